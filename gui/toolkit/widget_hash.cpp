// The widget hash: server window identifier -> GL_Window. Identifiers are
// handed out in sequence, so id % 100 spreads them evenly; a one-entry cache
// serves the usual run of several events for the same window.
#include "gl_window.h"

#include <cstdlib>

GL_WidgetHashItem* gpWidgetHashItem[100];
unsigned long giCurrWindowId = 0;
GL_Window* gpCurrWidget = nullptr;
GL_WidgetHashItem* gpCurrWidgetHashItem = nullptr;
unsigned char bWidgetHashInit = 0;
ZPSList* pWMList = nullptr;
ZPSList* pWMIdList = nullptr;

static constexpr unsigned long kBuckets = 100;

static void SetCache(GL_WidgetHashItem* item) {
    gpCurrWidgetHashItem = item;
    giCurrWindowId = item ? item->windowId : 0;
    gpCurrWidget = item ? item->window : nullptr;
}

int GL_InitWidgetHash() {
    if (!bWidgetHashInit) {
        for (auto& head : gpWidgetHashItem)
            head = nullptr;
        SetCache(nullptr);
        bWidgetHashInit = 1;
    }
    if (!pWMList) pWMList = new ZPSList(0);
    if (!pWMIdList) pWMIdList = new ZPSList(0); // identifiers stored as pointer-sized values, parallel to pWMList
    return 0;
}

int GL_ClearWidgetHash() { return 0; }

int GL_InsertWidgetHash(unsigned long id, GL_Window* window) {
    GL_InitWidgetHash();
    if (id == 0 || !window) return -1;
    auto* item = static_cast<GL_WidgetHashItem*>(malloc(sizeof(GL_WidgetHashItem)));
    if (!item) return -1;
    GL_WidgetHashItem*& head = gpWidgetHashItem[id % kBuckets];
    item->windowId = id;
    item->window = window;
    item->prev = nullptr;
    item->next = head;
    if (head) head->prev = item;
    head = item;
    SetCache(item);
    return 0;
}

GL_Window* GL_FindWidgetByWindowId(unsigned long id) {
    GL_InitWidgetHash();
    if (id == 0) return nullptr;
    if (gpCurrWidgetHashItem && id == giCurrWindowId) return gpCurrWidget;
    for (GL_WidgetHashItem* item = gpWidgetHashItem[id % kBuckets]; item; item = item->next) {
        if (item->windowId == id) {
            SetCache(item);
            return item->window;
        }
    }
    return nullptr;
}

int GL_RemoveWidgetHash(unsigned long id) {
    GL_InitWidgetHash();
    if (id == 0) return -1;
    GL_WidgetHashItem*& head = gpWidgetHashItem[id % kBuckets];
    for (GL_WidgetHashItem* item = head; item; item = item->next) {
        if (item->windowId != id) continue;
        if (item->prev)
            item->prev->next = item->next;
        else
            head = item->next;
        if (item->next) item->next->prev = item->prev;
        free(item);
        SetCache(nullptr);
        return 0;
    }
    return -1;
}
