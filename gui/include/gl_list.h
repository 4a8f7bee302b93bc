// GL_List: the small doubly linked list that widgets keep their own
// bookkeeping in (the lines of a wrapped label, for example). Each node holds
// a data pointer and a second value (a line's pixel width). The list owns its
// nodes, never the data: ClearAll and the destructor free the nodes only.
#pragma once

class GL_ListData {
public:
    void* data;
    long value;
    GL_ListData* prev;
    GL_ListData* next;
};

class GL_List {
public:
    // An empty list; the destructor frees the nodes (never the data).
    GL_List();
    ~GL_List();
    GL_List(const GL_List&) = delete;
    GL_List& operator=(const GL_List&) = delete;

    // Appends a node; returns it, or null when it cannot be allocated.
    GL_ListData* AddTail(void* data, long value);
    // Number of nodes.
    int GetCount() const { return count; }
    // The node at a zero-based position, null outside.
    GL_ListData* GetAt(int index) const;
    // Frees every node (not the data) and empties the list.
    void ClearAll();

    GL_ListData* head;
    GL_ListData* tail;
    int count;
};

// GL_DList: GL_List with a name per node; the node keeps its own copy of the
// name (null when none was given). The data still belongs to the caller.
class GL_DListData {
public:
    char* name;
    void* data;
    long value;
    GL_DListData* prev;
    GL_DListData* next;
};

class GL_DList {
public:
    // An empty list; the destructor frees the nodes and names (never the data).
    GL_DList();
    ~GL_DList();
    GL_DList(const GL_DList&) = delete;
    GL_DList& operator=(const GL_DList&) = delete;

    // Appends a node with a copy of name (may be null); returns it, or null
    // when it cannot be allocated.
    GL_DListData* AddTail(char const* name, void* data, long value);
    int GetCount() const { return count; }
    // The node at a zero-based position, null outside.
    GL_DListData* GetAt(int index) const;
    // Frees every node and its name (not the data) and empties the list.
    void ClearAll();

    GL_DListData* head;
    GL_DListData* tail;
    int count;
};
