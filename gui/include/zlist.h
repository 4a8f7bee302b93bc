// The two list containers of libgui: ZPSList, a doubly linked list of untyped
// pointers, and ZMSList, a doubly linked list of pointers keyed by a string.
// The lists own their nodes (and ZMSList its copies of the keys), never the
// data the nodes point to. A node's data is never null: insertion refuses it.
// Not thread-safe; used from the client's thread only.
#pragma once

class ZPCList {
public:
    void* data;    // never null
    void* extra;   // value given to AppendItemExtra (pointer-wide, so nothing is cut)
    ZPCList* prev; // null for the head
    ZPCList* next; // null for the tail
};

class ZPSList {
public:
    int count; // number of nodes reachable from first
    ZPCList* first;
    ZPCList* last;
    unsigned char allowDuplicates; // 1: the same data pointer may occur twice

    // An empty list; a non-zero argument allows duplicate data pointers.
    explicit ZPSList(unsigned char allowDuplicates = 0);
    ~ZPSList();
    ZPSList(const ZPSList&) = delete;
    ZPSList& operator=(const ZPSList&) = delete;

    // Appends a node after the tail. -1 for null data, or for data already
    // present when duplicates are not allowed; 0 on success.
    int AppendItemExtra(void* data, void* extra);
    int AppendItem(void* data);
    // Inserts before the node at index when 0 <= index < count (0 makes the
    // new node the head); any other index appends. Same refusals as append.
    int InsertItem(int index, void* data);
    // Node or data at a zero-based position; null outside 0..count-1.
    ZPCList* FindItemByIndex(int index);
    void* FindDataByIndex(int index);
    // First node holding data (null if none or data is null), and its position (-1 if none).
    ZPCList* FindItemByData(void* data);
    int FindIndexByData(void* data);
    // Unlink and free one node; 0 on success, -1 when there is no such node.
    int RemoveItemByIndex(int index);
    int RemoveItemByData(void* data);
    // Frees every node (never the data).
    void clear();

    // Unlinks and frees node, which must belong to this list.
    void Unlink(ZPCList* node);
};

// Removes every node of list holding data; returns how many were removed.
int RemoveItemByDataDuplicate(ZPSList* list, void* data);

class ZMCList {
public:
    char* key;  // heap copy (GL_malloc); never null, "" for an absent key
    void* data; // never null
    ZMCList* prev;
    ZMCList* next;
};

class ZMSList {
public:
    int count;
    unsigned char allowDuplicates;
    ZMCList* first;
    ZMCList* last;

    // An empty list; a non-zero argument lets one key hold several data
    // pointers. The destructor frees nodes and keys, never the data.
    explicit ZMSList(unsigned char allowDuplicates = 0);
    ~ZMSList();
    ZMSList(const ZMSList&) = delete;
    ZMSList& operator=(const ZMSList&) = delete;

    // Appends (copy of key, data) and returns 1. Returns 0 without change for
    // a null or empty key, null data, or, when duplicates are not allowed,
    // when FindItem(key) already yields this same data pointer.
    int AppendItem(char const* key, void* data);
    // Data of the first node whose key equals key exactly; null if none.
    void* FindItem(char const* key);
    // Unlinks and frees the first node with that key: 1, or 0 when none.
    int RemoveItem(char const* key);
    // Frees every node and key (never the data).
    void clear();
};
