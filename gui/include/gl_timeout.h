// Timers. A GL_Timeout fires its "Timeout!" callback (GL_Object callbacks)
// once, or every interval when it repeats. Running timers are time items in
// one list sorted by due time; egui_loop runs TimeoutLoop at least every 10 ms
// or when the nearest timer is due. Times come from a monotonic clock.
#pragma once

#include "gl_object.h"

class GL_Timeout;

// One running timer.
struct GL_TimeItem {
    int id;
    long dueSec;
    long dueUSec;
    long intervalSec;
    long intervalUSec;
    unsigned char repeat;
    GL_Timeout* owner;
};

class GL_Timeout : public GL_Object {
public:
    // A repeating timer with a zero interval does not repeat.
    GL_Timeout(int seconds, int microseconds, unsigned char repeat);
    ~GL_Timeout() override;
    const char* GetClassName() override; // "GL_Timeout"

    // Starts the timer (due now + interval); nothing when already running.
    int Run();
    // Stops it and releases its identifier; nothing when not running.
    int Stop();
    // New interval; the same interval changes nothing (a running timer is
    // not restarted). A running timer restarts with the new interval.
    int SetTime(int seconds, int microseconds);
    // Running from Run until Stop: a one-shot timer stays running after it
    // fired, until Stop.
    int IsRunning() { return (flags & kRunning) != 0; }
    int GetId() { return id; }

    // Fields, in this order.
    int id; // -1 while not running
    unsigned int intervalSec;
    unsigned int intervalUSec;
    unsigned char flags;

    static constexpr unsigned char kRunning = 1, kRepeat = 2;
};

// Running items, earliest first, and the items that fall due in one pass.
extern ZPSList* pTimeItemList;
extern ZPSList* pTmpTimeList;
// When InitTimeout ran.
extern long iStartSec, iStartUSec;

// Carries whole seconds out of a microsecond count of 1000000 or more.
void GL_CheckTime(long* seconds, long* microseconds);
// Stores the current time and returns it in milliseconds.
unsigned long GL_GetNowTime(long* seconds, long* microseconds);

// Creates the identifier map and the lists once; records the start time.
void InitTimeout();
// Frees every time item and empties the list.
void DestroyTimeout();
// Fires every due timer, in due order. Safe against callbacks that stop,
// start or delete timers.
void TimeoutLoop();
// Time until the nearest timer is due: 1 with the delay in the outputs, or 0
// (outputs 0) when no timer is pending or the nearest one is already due.
int GetTimeoutNearest(long* seconds, long* microseconds);
// Timer identifiers (see the identifier map: one is reserved ahead).
int GetNewTimeoutId();
int FreeTimeoutId(int id);
// A new time item for a timer: a new identifier, due now + interval.
GL_TimeItem* NewTimeItem(GL_Timeout* timeout);
// Inserts before the first item due at the same time or later.
int AddTimeItem(GL_TimeItem* item);
// Removes and frees the item with that identifier; 0, or -1 when none.
int DeleteTimeItem(int id);
// 1 when a is due before b or at the same time.
int IsLessThanTime(GL_TimeItem* a, GL_TimeItem* b);
