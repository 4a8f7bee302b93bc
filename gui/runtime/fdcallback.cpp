// Descriptor callbacks: objects told "DataIn!" when a descriptor is readable.
#include "eventloop.h"

ZPSList* pRFDList = nullptr;

int AddFDCallback(int fd, GL_Object* object) {
    if (fd < 0 || !object) return -1;
    if (!pRFDList) pRFDList = new ZPSList(0);
    // Each record is its own allocation, so the same pair can be added twice.
    auto* record = new GL_FDCallback{object, fd};
    if (pRFDList->AppendItem(record) != 0) {
        delete record;
        return -1;
    }
    return 0;
}

template <class Match> static int RemoveRecords(Match match) {
    if (!pRFDList) return 0;
    int removed = 0;
    for (ZPCList* node = pRFDList->first; node;) {
        ZPCList* next = node->next;
        auto* record = static_cast<GL_FDCallback*>(node->data);
        if (match(record)) {
            pRFDList->Unlink(node);
            delete record;
            ++removed;
        }
        node = next;
    }
    return removed;
}

int RemoveFDCallback(int fd, GL_Object* object) {
    return RemoveRecords([=](GL_FDCallback* r) { return r->fd == fd && r->object == object; });
}

int DestroyFDCallback(GL_Object* object) {
    return RemoveRecords([=](GL_FDCallback* r) { return r->object == object; });
}
