// Named image items, image lists and the program's root list.
#include "gl_image.h"

#include "egui_conn.h"
#include "gui_util.h"

#include <climits>
#include <cstring>

GL_ImageList* pRootImageList = nullptr;

void InitImageList() {
    if (!pRootImageList) pRootImageList = new GL_ImageList();
}

// ---- GL_ImageListItem ---------------------------------------------------------------------

namespace {
char* CopyName(char const* name) { return name && *name ? GL_CopyString(name) : nullptr; }
} // namespace

GL_ImageListItem::GL_ImageListItem(char* itemName, char* path)
    : name(CopyName(itemName)), width(0), height(0), pixmap(nullptr), mask(nullptr), inList(0) {
    if (GL_BuiltinImage const* b = GL_FindBuiltinImage(path)) {
        // Uploaded straight from the table: the pixmap borrows the data.
        pixmap = new GL_ImagePixmap(1, reinterpret_cast<char*>(const_cast<unsigned char*>(b->data)), int(b->width),
                                    int(b->height), 8);
        pixmap->UpdatePixmap();
        width = int(b->width);
        height = int(b->height);
        return;
    }
    if (!GL_ReadImageFile(path, &width, &height, &pixmap, &mask)) width = height = 0;
}

GL_ImageListItem::GL_ImageListItem(char* itemName, char* data, int length)
    : name(CopyName(itemName)), width(0), height(0), pixmap(nullptr), mask(nullptr), inList(0) {
    if (!GL_ReadImageData(data, length, &width, &height, &pixmap, &mask)) width = height = 0;
}

GL_ImageListItem::GL_ImageListItem(char* itemName, GL_ImagePixmap* pix, GL_ImagePixmap* bits, int w, int h)
    : name(CopyName(itemName)), width(w), height(h), pixmap(pix), mask(bits), inList(0) {}

GL_ImageListItem::~GL_ImageListItem() {
    GL_free(name);
    delete pixmap;
    delete mask;
}

GL_ImageListItem* GL_ImageListItem::Zoom(int newWidth, int newHeight) {
    if (!pixmap) return nullptr;
    GL_ImagePixmap* zoomed = pixmap->Zoom(newWidth, newHeight);
    if (!zoomed) return nullptr;
    zoomed->UpdatePixmap();
    return new GL_ImageListItem(nullptr, zoomed, nullptr, newWidth, newHeight);
}

// ---- GL_ImageList -----------------------------------------------------------------------------

GL_ImageList::GL_ImageList()
    : items(new ZPSList(0)), count(0), maxWidth(0), minWidth(0), maxHeight(0), minHeight(0), sameSize(1) {}

GL_ImageList::~GL_ImageList() { ClearAll(); }

GL_ImageListItem* GL_ImageList::AddImageFile(char* itemName, char* path) {
    auto* item = new GL_ImageListItem(itemName, path);
    if (!item->IsGood()) {
        delete item;
        return nullptr;
    }
    if (!items) items = new ZPSList(0);
    items->AppendItem(item);
    item->inList = 1;
    if (count == 0) {
        maxWidth = minWidth = item->width;
        maxHeight = minHeight = item->height;
    } else {
        if (item->width != maxWidth || item->width != minWidth || item->height != maxHeight ||
            item->height != minHeight)
            sameSize = 0;
        if (item->width > maxWidth) maxWidth = item->width;
        if (item->width < minWidth) minWidth = item->width;
        if (item->height > maxHeight) maxHeight = item->height;
        if (item->height < minHeight) minHeight = item->height;
    }
    ++count;
    return item;
}

GL_ImageListItem* GL_ImageList::AddImageData(char*, char*, int) { return nullptr; }

int GL_ImageList::SetImageListItem(GL_ImageListItem*, char*, GL_ImagePixmap*, GL_ImagePixmap*, int, int,
                                   unsigned char) {
    return 1;
}

GL_ImageListItem* GL_ImageList::FindPixmapByName(char* itemName) {
    if (!items || !itemName) return nullptr;
    for (ZPCList* node = items->first; node; node = node->next) {
        auto* item = static_cast<GL_ImageListItem*>(node->data);
        if (item->name && strcmp(item->name, itemName) == 0) return item;
    }
    return nullptr;
}

GL_ImageListItem* GL_ImageList::FindPixmapByIndex(unsigned long index) {
    if (!items || index > unsigned(INT_MAX)) return nullptr;
    return static_cast<GL_ImageListItem*>(items->FindDataByIndex(int(index)));
}

void GL_ImageList::ClearAll() {
    if (items) {
        for (ZPCList* node = items->first; node; node = node->next)
            delete static_cast<GL_ImageListItem*>(node->data);
        delete items;
        items = nullptr;
    }
    count = 0;
    maxWidth = minWidth = maxHeight = minHeight = 0;
    sameSize = 1;
}
