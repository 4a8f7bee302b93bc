// The client's main loop: waits on the server connection and on registered
// descriptors (until one is readable, the nearest timer is due or a signal
// arrives; with nothing due it does not wake at all), dispatches every
// server message to its GL_Window, runs descriptor callbacks ("DataIn!") and
// timers, and ends the program when the server sends Close or the program
// sets bQuitProgram.
#pragma once

#include "egui_conn.h"
#include "gl_object.h"

#include <sys/time.h>

class GL_Window;

// Runs until bQuitProgram is set, then prints "Program Prepare to Exit..."
// and ends the process with status 0. Does not return.
[[noreturn]] void egui_loop();
// Number of times egui_loop went to sleep (for measuring idle wake-ups).
extern unsigned long iLoopSleeps;

// Dispatches one server message to its window. 0 when handled, when the
// window is not known and for types without an action; -1 for a null event,
// for input ignored because of a transient dialog, and for a key dropped by
// the key-ignore time.
int Handle_Event(GS_GeneralEvent_st* event);

// 1 when input for window must be ignored: the main window has transient
// dialogs and window does not belong to the most recent one.
int CheckIgnoreEvent(GL_Window* window);

// Key-ignore time: keys other than 122 and 123 are dropped for ms
// milliseconds from now; 0 switches it off.
extern unsigned char bSetKeyIgnore;
extern int ms_keyignore;
extern struct timeval tv_keyignore;
void SetKeyIgnoreTime(int ms);
// 0 while a key must be ignored, else 1.
int CheckKeyIgnoreTime();

// When set, KeyIn goes to the top window of the addressed window.
extern unsigned char bKeyProxyToTopWindow;
void SetKeyProxyToTopWindow(unsigned char on);

// later - earlier in whole milliseconds (microseconds truncated to
// milliseconds first; both records are normalised in place). When later is
// before earlier: 0, and *negative = 1 when negative is given.
long CalcTimeDiffMS(struct timeval* later, struct timeval* earlier, unsigned char* negative);

// Descriptor callbacks: while fd is readable, the loop calls
// object->ExecCallback(0, "DataIn!", 0, ...). The same pair may be added twice
// and is then called twice.
struct GL_FDCallback {
    GL_Object* object;
    int fd;
};
extern ZPSList* pRFDList;
// -1 for a negative descriptor or a null object, else 0.
int AddFDCallback(int fd, GL_Object* object);
// Removes every record of (fd, object); returns how many.
int RemoveFDCallback(int fd, GL_Object* object);
// Removes every record of the object (done when an object is destroyed).
int DestroyFDCallback(GL_Object* object);
