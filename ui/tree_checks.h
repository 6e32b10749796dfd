// How one tick in a check-box tree spreads: down into what a folder holds,
// and up to the folders that then hold nothing but ticked items.
#pragma once

#include "ui/tree_control.h"

#include <functional>

using ItemKindOf = std::function<int(HTREEITEM)>;

// `checked` is the state `item` takes; its own mark is left to the caller.
void PropagateCheck(const CTreeCtrl& tree, HTREEITEM item, bool checked, const ItemKindOf& kindOf);

// Every item below `item`, depth first.
void ForEachDescendant(const CTreeCtrl& tree, HTREEITEM item,
                       const std::function<void(HTREEITEM)>& visit);
// Every item of the tree, each before its children.
void ForEachItem(const CTreeCtrl& tree, const std::function<void(HTREEITEM)>& visit);
// Every item of the tree, each after its children.
void ForEachItemChildrenFirst(const CTreeCtrl& tree, const std::function<void(HTREEITEM)>& visit);
