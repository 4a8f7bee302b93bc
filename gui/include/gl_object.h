// The root of the libgui class tree. GL_Object gives every toolkit element a
// parent that owns it, owned children in stacking order, a name, a style
// word, a user-data pointer, and named-event callbacks through which one
// object tells others ("Clicked!", "Value!", "Timeout!", "Delete!" ...).
//
// The virtual operations are declared in a fixed order: the exported
// interface is a binary contract and derived classes of client programs rely
// on the slot of each one. Add new virtual operations only at the end of the
// most derived class.
#pragma once

#include "zlist.h"

class GL_TT {
public:
    // Slot 0.
    virtual const char* GetClassName();
};

// objectFlags bits.
enum {
    GL_OBJ_DESTROYING = 1, // destruction under way
    GL_OBJ_WINDOW = 2,     // the object is a GL_Window
    GL_OBJ_INITED = 4,     // window initialised
};

class GL_Object : public GL_TT {
public:
    // Stores the parent (and joins its children through the parent's
    // AddChild), copies the name (an empty name counts as none), keeps style.
    GL_Object(GL_Object* parent, char const* name, int style);
    GL_Object(const GL_Object&) = delete;
    GL_Object& operator=(const GL_Object&) = delete;

    const char* GetClassName() override; // slot 0: "GL_Object"
    // Slots 1, 2: sends "Delete!" and "Delete2!", leaves the parent, drops
    // every callback registration on both sides, then deletes the children.
    virtual ~GL_Object();
    // Slot 3: takes child from its previous parent and appends it to the
    // children (this object then owns it); 0, or nonzero when it already is
    // a child here.
    virtual int AddChild(GL_Object* child);
    // Slot 4: child leaves the children (it is not deleted, its parent
    // becomes null); returns 0.
    virtual int RemoveChild(GL_Object* child);
    // Slot 5: the receiving side of a callback (sender, event name, values).
    // Classes that handle events override it and compare the event name.
    virtual int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e);
    virtual int IsWindow(); // slot 6: 0
    virtual int IsWidget(); // slot 7: 0

    // Field access. The user data belongs to the program; the name is the
    // object's own copy (null when none); the children list is the object's.
    void SetUserData(void* data) { userData = data; }
    void* GetUserData() { return userData; }
    GL_Object* GetParent() { return parent; }
    char const* GetName() { return name; }
    int GetStyle() { return style; }
    ZPSList* GetChildren() { return children; }

    // Registers target for event; `extra` is stored with the registration.
    // 1 when added; 0 for a missing target or event, or when target is
    // already registered for the event.
    int AddCallback(GL_Object* target, char const* event, void* extra);
    // Removes target's registrations for event (every target's when target
    // is null; every event's when event is null or empty). 0 when the object
    // has no callbacks or a named event has no entry, else 1.
    int RemoveCallback(GL_Object* target, char const* event);
    // Tells every target registered for event, in registration order, through
    // its ExecCallback(this, event, a, b, c, d, 0). Targets may unregister,
    // delete other objects or delete this object from inside the call: the
    // result is 1 when this object was deleted meanwhile (the caller must not
    // touch it any more), else 0.
    int gCallback(char const* event, void* a = nullptr, void* b = nullptr, void* c = nullptr, void* d = nullptr);

    // Fields, in this order (binary contract).
    GL_Object* parent;
    char* name; // owned copy, null when absent or empty
    int style;
    unsigned char objectFlags;
    void* userData;
    ZMSList* callbacks;       // event name -> ZPSList* of targets (extra in each node)
    ZPSList* callbackSources; // objects on whose callback lists this one is a target
    ZPSList* children;        // owned, first = lowest
};

// Callback sequence counter and the scratch text of the last dispatch
// ("[seq] event [sender]").
extern int iSeq;
extern char pTmpBuffer[1024];

// The object cache keeps nothing: Add returns 1, the others 0.
int AddObjectInObjectCacheList(GL_Object* object, unsigned char kind);
int RemoveObjectInObjectCacheList(GL_Object* object, unsigned char kind);
int FindObjectInObjectCacheList(GL_Object* object);

// Diagnostics: both print "<source> <line> error,and exit." when their debug
// switch is set; ExitMsg then ends the process with status 0.
extern int iWarnMsgDebug;
extern int iExitMsgDebug;
void WarnMsg(char* source, int line);
void ExitMsg(char* source, int line);
