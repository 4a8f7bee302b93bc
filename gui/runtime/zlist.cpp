// Pointer lists. Scans stop at the first node with null data: insertion never
// creates one, so this only guards against a list damaged from outside.
#include "zlist.h"

#include "gui_util.h"

#include <cstring>

ZPSList::ZPSList(unsigned char allow) : count(0), first(nullptr), last(nullptr), allowDuplicates(allow ? 1 : 0) {}

ZPSList::~ZPSList() { clear(); }

int ZPSList::AppendItemExtra(void* data, void* extra) {
    if (!data) return -1;
    if (!allowDuplicates && FindItemByData(data)) return -1;
    ZPCList* node = new ZPCList{data, extra, last, nullptr};
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
    count++;
    return 0;
}

int ZPSList::AppendItem(void* data) { return AppendItemExtra(data, nullptr); }

int ZPSList::InsertItem(int index, void* data) {
    if (index < 0 || index >= count) return AppendItem(data);
    if (!data) return -1;
    if (!allowDuplicates && FindItemByData(data)) return -1;
    ZPCList* at = FindItemByIndex(index);
    if (!at) return -1;
    ZPCList* node = new ZPCList{data, nullptr, at->prev, at};
    if (at->prev)
        at->prev->next = node;
    else
        first = node;
    at->prev = node;
    count++;
    return 0;
}

ZPCList* ZPSList::FindItemByIndex(int index) {
    if (index < 0 || index >= count) return nullptr;
    // Walk from the nearer end: lists of list widgets can be long.
    if (index < count / 2) {
        ZPCList* node = first;
        for (int i = 0; node && i < index; i++)
            node = node->next;
        return node;
    }
    ZPCList* node = last;
    for (int i = count - 1; node && i > index; i--)
        node = node->prev;
    return node;
}

void* ZPSList::FindDataByIndex(int index) {
    ZPCList* node = FindItemByIndex(index);
    return node ? node->data : nullptr;
}

ZPCList* ZPSList::FindItemByData(void* data) {
    if (!data) return nullptr;
    for (ZPCList* node = first; node && node->data; node = node->next)
        if (node->data == data) return node;
    return nullptr;
}

int ZPSList::FindIndexByData(void* data) {
    if (!data) return -1;
    int index = 0;
    for (ZPCList* node = first; node && node->data; node = node->next, index++)
        if (node->data == data) return index;
    return -1;
}

void ZPSList::Unlink(ZPCList* node) {
    if (node->prev)
        node->prev->next = node->next;
    else
        first = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        last = node->prev;
    delete node;
    count--;
}

int ZPSList::RemoveItemByIndex(int index) {
    ZPCList* node = FindItemByIndex(index);
    if (!node) return -1;
    Unlink(node);
    return 0;
}

int ZPSList::RemoveItemByData(void* data) {
    ZPCList* node = FindItemByData(data);
    if (!node) return -1;
    Unlink(node);
    return 0;
}

void ZPSList::clear() {
    ZPCList* node = first;
    while (node) {
        ZPCList* next = node->next;
        delete node;
        node = next;
    }
    first = last = nullptr;
    count = 0;
}

int RemoveItemByDataDuplicate(ZPSList* list, void* data) {
    if (!list || !data) return 0;
    int removed = 0;
    ZPCList* node = list->first;
    while (node && node->data) {
        ZPCList* next = node->next;
        if (node->data == data) {
            list->Unlink(node);
            removed++;
        }
        node = next;
    }
    return removed;
}

ZMSList::ZMSList(unsigned char allow) : count(0), allowDuplicates(allow ? 1 : 0), first(nullptr), last(nullptr) {}

ZMSList::~ZMSList() { clear(); }

int ZMSList::AppendItem(char const* key, void* data) {
    if (!key || !*key || !data) return 0;
    if (!allowDuplicates && FindItem(key) == data) return 0;
    ZMCList* node = new ZMCList{GL_CopyString(key), data, last, nullptr};
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
    count++;
    return 1;
}

void* ZMSList::FindItem(char const* key) {
    if (!key || !*key) return nullptr;
    for (ZMCList* node = first; node && node->data; node = node->next)
        if (strcmp(node->key, key) == 0) return node->data;
    return nullptr;
}

int ZMSList::RemoveItem(char const* key) {
    if (!key) return 0;
    for (ZMCList* node = first; node && node->data; node = node->next) {
        if (strcmp(node->key, key) != 0) continue;
        if (node->prev)
            node->prev->next = node->next;
        else
            first = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            last = node->prev;
        GL_free(node->key);
        delete node;
        count--;
        return 1;
    }
    return 0;
}

void ZMSList::clear() {
    ZMCList* node = first;
    while (node) {
        ZMCList* next = node->next;
        GL_free(node->key);
        delete node;
        node = next;
    }
    first = last = nullptr;
    count = 0;
}
