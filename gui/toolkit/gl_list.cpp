// GL_List: nodes only; the data belongs to the caller.
#include "gl_list.h"

#include <cstring>
#include <new>

namespace {

// The two lists differ only in their nodes: linking and walking are shared.
template <class Node> Node* Append(Node* node, Node*& head, Node*& tail, int& count) {
    if (tail)
        tail->next = node;
    else
        head = node;
    tail = node;
    ++count;
    return node;
}

template <class Node> Node* At(Node* head, int count, int index) {
    if (index < 0 || index >= count) return nullptr;
    Node* n = head;
    while (index-- > 0)
        n = n->next;
    return n;
}

} // namespace

GL_List::GL_List() : head(nullptr), tail(nullptr), count(0) {}

GL_List::~GL_List() { ClearAll(); }

GL_ListData* GL_List::AddTail(void* data, long value) {
    GL_ListData* node = new (std::nothrow) GL_ListData{data, value, tail, nullptr};
    if (!node) return nullptr;
    return Append(node, head, tail, count);
}

GL_ListData* GL_List::GetAt(int index) const { return At(head, count, index); }

void GL_List::ClearAll() {
    while (head) {
        GL_ListData* next = head->next;
        delete head;
        head = next;
    }
    tail = nullptr;
    count = 0;
}

GL_DList::GL_DList() : head(nullptr), tail(nullptr), count(0) {}

GL_DList::~GL_DList() { ClearAll(); }

GL_DListData* GL_DList::AddTail(char const* name, void* data, long value) {
    char* copy = nullptr;
    if (name) {
        size_t n = strlen(name) + 1;
        copy = new (std::nothrow) char[n];
        if (!copy) return nullptr;
        memcpy(copy, name, n);
    }
    GL_DListData* node = new (std::nothrow) GL_DListData{copy, data, value, tail, nullptr};
    if (!node) {
        delete[] copy;
        return nullptr;
    }
    return Append(node, head, tail, count);
}

GL_DListData* GL_DList::GetAt(int index) const { return At(head, count, index); }

void GL_DList::ClearAll() {
    while (head) {
        GL_DListData* next = head->next;
        delete[] head->name;
        delete head;
        head = next;
    }
    tail = nullptr;
    count = 0;
}
