#include "ui/icon_list.h"

#include "base/stowlark_app.h"

UniqueImageList MakeIconList(std::initializer_list<int> icons) {
    UniqueImageList images(
        ::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 10));
    for (const int icon : icons) {
        const HICON picture = static_cast<HICON>(::LoadImageA(
            App().Instance(), MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        ::ImageList_AddIcon(images.get(), picture);
        ::DestroyIcon(picture);
    }
    return images;
}
