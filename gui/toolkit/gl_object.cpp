// GL_Object: ownership tree and named-event callbacks.
#include "gl_object.h"

#include "eventloop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int iSeq = 0;
char pTmpBuffer[1024];
int iWarnMsgDebug = 0;
int iExitMsgDebug = 0;

namespace {

// Every gCallback in progress on this thread, innermost first. A destructor
// marks the frames of its object, so a dispatch whose source was deleted by
// one of its targets stops instead of touching freed lists.
struct DispatchFrame {
    GL_Object* source;
    bool sourceGone;
    DispatchFrame* outer;
};
thread_local DispatchFrame* tDispatch = nullptr;

bool IsEmpty(char const* s) { return s == nullptr || s[0] == '\0'; }

ZPSList* TargetsOf(ZMSList* callbacks, char const* event) {
    return callbacks ? static_cast<ZPSList*>(callbacks->FindItem(event)) : nullptr;
}

} // namespace

const char* GL_TT::GetClassName() { return "GL_TT"; }

GL_Object::GL_Object(GL_Object* parentObject, char const* objectName, int objectStyle)
    : parent(parentObject), name(nullptr), style(objectStyle), objectFlags(0), userData(nullptr),
      callbacks(new ZMSList(0)), callbackSources(new ZPSList(0)), children(new ZPSList(0)) {
    if (!IsEmpty(objectName)) name = strdup(objectName);
    if (parent) {
        // AddChild reparents only when the child names another parent.
        parent = nullptr;
        parentObject->AddChild(this);
    }
}

const char* GL_Object::GetClassName() { return "GL_Object"; }

int GL_Object::AddChild(GL_Object* child) {
    if (!child || child == this) return -1;
    if (child->parent && child->parent != this) child->parent->RemoveChild(child);
    if (children->FindItemByData(child)) return 1;
    child->parent = this;
    return children->AppendItem(child);
}

int GL_Object::RemoveChild(GL_Object* child) {
    if (child && children && children->RemoveItemByData(child) == 0) child->parent = nullptr;
    return 0;
}

int GL_Object::ExecCallback(GL_Object*, char const*, void*, void*, void*, void*, void*) {
    fprintf(stderr, "%s %s %d\n", "GL_Object", "ExecCallback", 472);
    return 0;
}

int GL_Object::IsWindow() { return 0; }
int GL_Object::IsWidget() { return 0; }

int GL_Object::AddCallback(GL_Object* target, char const* event, void* extra) {
    if (!target || IsEmpty(event) || !callbacks) return 0;
    ZPSList* targets = TargetsOf(callbacks, event);
    if (!targets) {
        targets = new ZPSList(0);
        if (callbacks->AppendItem(event, targets) != 1) {
            delete targets;
            return 0;
        }
    }
    if (targets->FindItemByData(target)) return 0;
    if (targets->AppendItemExtra(target, extra) != 0) return 0;
    if (target->callbackSources) target->callbackSources->AppendItem(this);
    return 1;
}

int GL_Object::RemoveCallback(GL_Object* target, char const* event) {
    if (!callbacks || callbacks->count == 0) return 0;
    // Removes the matching nodes of one event's list; a removed target
    // forgets this object as one of its sources, unless it is registered here
    // under another event too.
    std::vector<GL_Object*> removed;
    auto strip = [&](ZPSList* targets) {
        ZPCList* node = targets->first;
        while (node) {
            ZPCList* next = node->next;
            GL_Object* t = static_cast<GL_Object*>(node->data);
            if (!target || t == target) {
                targets->Unlink(node);
                removed.push_back(t);
            }
            node = next;
        }
    };
    bool allEvents = IsEmpty(event);
    if (!allEvents) {
        ZPSList* targets = TargetsOf(callbacks, event);
        if (!targets) return 0;
        strip(targets);
    } else {
        for (ZMCList* entry = callbacks->first; entry; entry = entry->next)
            strip(static_cast<ZPSList*>(entry->data));
    }
    // This applies to targets being destroyed too: a source that forgot one
    // of them may itself be deleted before that target's destructor walks its
    // sources. The destructor unlinks each source before calling it, so the
    // removal never disturbs that walk.
    for (GL_Object* t : removed) {
        bool stillTarget = false;
        for (ZMCList* entry = callbacks->first; entry && !stillTarget; entry = entry->next)
            stillTarget = static_cast<ZPSList*>(entry->data)->FindItemByData(t) != nullptr;
        if (!stillTarget && t->callbackSources) t->callbackSources->RemoveItemByData(this);
    }
    return 1;
}

int GL_Object::gCallback(char const* event, void* a, void* b, void* c, void* d) {
    if (!callbacks || IsEmpty(event)) return 0;
    ZPSList* targets = TargetsOf(callbacks, event);
    if (!targets) return 0;
    int n = iSeq++;
    snprintf(pTmpBuffer, sizeof pTmpBuffer, "[%d] %s [%p]", n, event, static_cast<void*>(this));

    // The live list is walked, so a target registered during the dispatch is
    // called in it too. Each step takes the first target not yet called that
    // is still registered: a target may unregister itself or others, or
    // delete objects (which unregisters them), from inside its ExecCallback,
    // and none of those is ever called.
    std::vector<GL_Object*> called;
    DispatchFrame frame{this, false, tDispatch};
    tDispatch = &frame;
    for (;;) {
        ZPSList* current = TargetsOf(callbacks, event);
        GL_Object* target = nullptr;
        for (ZPCList* node = current ? current->first : nullptr; node && !target; node = node->next) {
            auto* t = static_cast<GL_Object*>(node->data);
            if (std::find(called.begin(), called.end(), t) == called.end()) target = t;
        }
        if (!target) break;
        called.push_back(target);
        target->ExecCallback(this, event, a, b, c, d, nullptr);
        if (frame.sourceGone) break;
    }
    tDispatch = frame.outer;
    return frame.sourceGone ? 1 : 0;
}

GL_Object::~GL_Object() {
    for (DispatchFrame* f = tDispatch; f; f = f->outer)
        if (f->source == this) f->sourceGone = true;
    if (objectFlags & GL_OBJ_DESTROYING) return;
    objectFlags |= GL_OBJ_DESTROYING;

    DestroyFDCallback(this); // the loop must not call a destroyed object
    gCallback("Delete!");
    gCallback("Delete2!", this);
    if (parent) parent->RemoveChild(this);
    parent = nullptr;

    // Leave every list this object is a target on. The sources do not touch
    // this object's own lists since it is being destroyed.
    while (callbackSources->first) {
        GL_Object* source = static_cast<GL_Object*>(callbackSources->first->data);
        callbackSources->Unlink(callbackSources->first);
        source->RemoveCallback(this, nullptr);
    }
    delete callbackSources;
    callbackSources = nullptr;

    // Every target forgets this object as a source.
    for (ZMCList* entry = callbacks->first; entry; entry = entry->next) {
        ZPSList* targets = static_cast<ZPSList*>(entry->data);
        for (ZPCList* node = targets->first; node; node = node->next) {
            GL_Object* t = static_cast<GL_Object*>(node->data);
            if (t->callbackSources) RemoveItemByDataDuplicate(t->callbackSources, this);
        }
        delete targets;
    }
    delete callbacks;
    callbacks = nullptr;

    // Children go in list order; the head is taken each time because a
    // child's destruction may delete or reparent its siblings.
    while (children->first) {
        GL_Object* child = static_cast<GL_Object*>(children->first->data);
        children->Unlink(children->first);
        child->parent = nullptr;
        // A child already being destroyed (its "Delete!" target deleted this
        // parent) finishes on its own; deleting it here would free it twice.
        if (!(child->objectFlags & GL_OBJ_DESTROYING)) delete child;
    }
    delete children;
    children = nullptr;
    free(name);
    name = nullptr;
}

int AddObjectInObjectCacheList(GL_Object*, unsigned char) { return 1; }
int RemoveObjectInObjectCacheList(GL_Object*, unsigned char) { return 0; }
int FindObjectInObjectCacheList(GL_Object*) { return 0; }

void WarnMsg(char* source, int line) {
    if (iWarnMsgDebug) printf("%s %d error,and exit.\n", source ? source : "", line);
}

void ExitMsg(char* source, int line) {
    if (iExitMsgDebug) printf("%s %d error,and exit.\n", source ? source : "", line);
    fflush(stdout);
    exit(0);
}
