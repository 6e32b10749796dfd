// 16 by 16 image lists made from the module's own icons.
#pragma once

#include "ui/gdi_resources.h"

#include <initializer_list>

// Image k is icon resource number k of `icons`.
UniqueImageList MakeIconList(std::initializer_list<int> icons);
