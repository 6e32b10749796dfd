#include "ui/tree_checks.h"

#include "ui/tree_items.h"

namespace {

void VisitChildrenFirst(const CTreeCtrl& tree, HTREEITEM first,
                        const std::function<void(HTREEITEM)>& visit) {
    for (HTREEITEM item = first; item; item = tree.Sibling(item)) {
        VisitChildrenFirst(tree, tree.Child(item), visit);
        visit(item);
    }
}

bool OtherChildrenChecked(const CTreeCtrl& tree, HTREEITEM parent, HTREEITEM except) {
    for (HTREEITEM child = tree.Child(parent); child; child = tree.Sibling(child)) {
        if (child != except && !tree.Checked(child)) {
            return false;
        }
    }
    return true;
}

} // namespace

void ForEachDescendant(const CTreeCtrl& tree, HTREEITEM item,
                       const std::function<void(HTREEITEM)>& visit) {
    for (HTREEITEM child = tree.Child(item); child; child = tree.Sibling(child)) {
        visit(child);
        ForEachDescendant(tree, child, visit);
    }
}

void ForEachItem(const CTreeCtrl& tree, const std::function<void(HTREEITEM)>& visit) {
    for (HTREEITEM item = tree.Root(); item; item = tree.Sibling(item)) {
        visit(item);
        ForEachDescendant(tree, item, visit);
    }
}

void ForEachItemChildrenFirst(const CTreeCtrl& tree, const std::function<void(HTREEITEM)>& visit) {
    VisitChildrenFirst(tree, tree.Root(), visit);
}

void PropagateCheck(const CTreeCtrl& tree, HTREEITEM item, bool checked, const ItemKindOf& kindOf) {
    const int kind = kindOf(item);
    const auto setBelow = [&](bool state) {
        ForEachDescendant(tree, item, [&](HTREEITEM below) { tree.SetChecked(below, state); });
    };
    if (checked) {
        if (kind != kMailboxItem) {
            setBelow(true);
        }
        if (kind == kRootItem) {
            return;
        }
        HTREEITEM child = item;
        for (HTREEITEM parent = tree.Parent(child); parent; parent = tree.Parent(child)) {
            if (!OtherChildrenChecked(tree, parent, child)) {
                break;
            }
            tree.SetChecked(parent, true);
            child = parent;
        }
        return;
    }
    if (kind != kRootItem) {
        for (HTREEITEM parent = tree.Parent(item); parent; parent = tree.Parent(parent)) {
            tree.SetChecked(parent, false);
        }
    }
    if (kind != kMailboxItem) {
        setBelow(false);
    }
}
