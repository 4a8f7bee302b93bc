// Timers: GL_Timeout, the sorted list of running time items and the
// identifier map behind them.
#include "gl_timeout.h"

#include "runtime/timeout_ids.h"

#include <cstdlib>
#include <ctime>

ZPSList* pTimeItemList = nullptr;
ZPSList* pTmpTimeList = nullptr;
long iStartSec = 0, iStartUSec = 0;

namespace {

gui::TimeoutIdMap* gIds = nullptr;

constexpr long kUSecPerSec = 1000000;

// Lists and identifiers exist before any timer is used, even when the
// program did not go through egui_init.
void EnsureInit() {
    if (!gIds) InitTimeout();
}

bool IsDue(const GL_TimeItem* item, long nowSec, long nowUSec) {
    return item->dueSec < nowSec || (item->dueSec == nowSec && item->dueUSec <= nowUSec);
}

} // namespace

void GL_CheckTime(long* seconds, long* microseconds) {
    if (!seconds || !microseconds) return;
    // Exactly one second of microseconds stays as it is; nothing that reads
    // a due time needs the count below 1000000.
    if (*microseconds > kUSecPerSec) {
        *seconds += *microseconds / kUSecPerSec;
        *microseconds %= kUSecPerSec;
    }
}

unsigned long GL_GetNowTime(long* seconds, long* microseconds) {
    // Monotonic: a change of the wall clock must not stall or burst timers.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    long s = long(ts.tv_sec), us = long(ts.tv_nsec / 1000);
    if (seconds) *seconds = s;
    if (microseconds) *microseconds = us;
    return static_cast<unsigned long>(s) * 1000ul + static_cast<unsigned long>(us) / 1000ul;
}

void InitTimeout() {
    if (gIds) return;
    gIds = new gui::TimeoutIdMap();
    pTimeItemList = new ZPSList(0);
    pTmpTimeList = new ZPSList(0);
    GL_GetNowTime(&iStartSec, &iStartUSec);
}

void DestroyTimeout() {
    if (!pTimeItemList) return;
    pTmpTimeList->clear();
    while (pTimeItemList->first) {
        GL_TimeItem* item = static_cast<GL_TimeItem*>(pTimeItemList->first->data);
        pTimeItemList->Unlink(pTimeItemList->first);
        free(item);
    }
}

int GetNewTimeoutId() {
    EnsureInit();
    int id = gIds->Get();
    if (id <= 0) {
        char source[] = "GL_Timeout";
        ExitMsg(source, gIds->LastFailedSearchStart() == 0 ? 145 : 153);
    }
    return id;
}

int FreeTimeoutId(int id) {
    EnsureInit();
    return gIds->Free(id) == 0 ? 0 : -1;
}

int IsLessThanTime(GL_TimeItem* a, GL_TimeItem* b) {
    if (!a || !b) return 0;
    return a->dueSec < b->dueSec || (a->dueSec == b->dueSec && a->dueUSec <= b->dueUSec);
}

GL_TimeItem* NewTimeItem(GL_Timeout* timeout) {
    if (!timeout) return nullptr;
    auto* item = static_cast<GL_TimeItem*>(malloc(sizeof(GL_TimeItem)));
    if (!item) return nullptr;
    item->id = GetNewTimeoutId();
    item->intervalSec = long(timeout->intervalSec);
    item->intervalUSec = long(timeout->intervalUSec);
    item->repeat = (timeout->flags & GL_Timeout::kRepeat) ? 1 : 0;
    item->owner = timeout;
    GL_GetNowTime(&item->dueSec, &item->dueUSec);
    item->dueSec += item->intervalSec;
    item->dueUSec += item->intervalUSec;
    GL_CheckTime(&item->dueSec, &item->dueUSec);
    return item;
}

int AddTimeItem(GL_TimeItem* item) {
    EnsureInit();
    if (!item) return -1;
    int index = 0;
    for (ZPCList* node = pTimeItemList->first; node; node = node->next, ++index)
        if (IsLessThanTime(item, static_cast<GL_TimeItem*>(node->data))) return pTimeItemList->InsertItem(index, item);
    return pTimeItemList->AppendItem(item);
}

// Unlinks and frees the item with that identifier from one list.
static bool DeleteFrom(ZPSList* list, int id) {
    for (ZPCList* node = list->first; node; node = node->next) {
        GL_TimeItem* item = static_cast<GL_TimeItem*>(node->data);
        if (item->id != id) continue;
        list->Unlink(node);
        free(item);
        return true;
    }
    return false;
}

int DeleteTimeItem(int id) {
    EnsureInit();
    // A pass of TimeoutLoop may hold the item among the due ones: it must
    // then not fire.
    return (DeleteFrom(pTimeItemList, id) || DeleteFrom(pTmpTimeList, id)) ? 0 : -1;
}

void TimeoutLoop() {
    EnsureInit();
    long nowSec, nowUSec;
    GL_GetNowTime(&nowSec, &nowUSec);

    // Due items move from the head of the sorted list to the due list, so the
    // running list stays sorted whatever the callbacks insert meanwhile.
    while (pTimeItemList->first) {
        GL_TimeItem* item = static_cast<GL_TimeItem*>(pTimeItemList->first->data);
        if (!IsDue(item, nowSec, nowUSec)) break;
        pTimeItemList->Unlink(pTimeItemList->first);
        if (item->repeat) {
            item->dueSec += item->intervalSec;
            item->dueUSec += item->intervalUSec;
            GL_CheckTime(&item->dueSec, &item->dueUSec);
        }
        pTmpTimeList->AppendItem(item);
    }

    // Callbacks may stop, start or delete timers: every item is taken off the
    // head of the due list, and one that a callback stopped is gone from it.
    while (pTmpTimeList->first) {
        GL_TimeItem* item = static_cast<GL_TimeItem*>(pTmpTimeList->first->data);
        pTmpTimeList->Unlink(pTmpTimeList->first);
        GL_Timeout* owner = item->owner;
        if (item->repeat)
            AddTimeItem(item);
        else
            free(item); // a fired one-shot item is never used again
        owner->gCallback("Timeout!");
    }
}

int GetTimeoutNearest(long* seconds, long* microseconds) {
    EnsureInit();
    long s = 0, us = 0;
    int result = 0;
    if (pTimeItemList->first) {
        GL_TimeItem* item = static_cast<GL_TimeItem*>(pTimeItemList->first->data);
        long nowSec, nowUSec;
        GL_GetNowTime(&nowSec, &nowUSec);
        if (item->dueSec >= nowSec) {
            s = item->dueSec - nowSec;
            if (item->dueUSec >= nowUSec) {
                us = item->dueUSec - nowUSec;
                result = 1;
            } else if (s == 0) {
                result = 0;
            } else {
                s -= 1;
                us = item->dueUSec - nowUSec + kUSecPerSec;
                result = 1;
            }
        }
    }
    if (!result) s = us = 0;
    if (seconds) *seconds = s;
    if (microseconds) *microseconds = us;
    return result;
}

// ---- GL_Timeout ---------------------------------------------------------------------

static void NormaliseInterval(int seconds, int microseconds, unsigned int* outSec, unsigned int* outUSec) {
    long s = seconds < 0 ? 0 : seconds;
    long us = microseconds < 0 ? 0 : microseconds;
    GL_CheckTime(&s, &us);
    *outSec = static_cast<unsigned int>(s);
    *outUSec = static_cast<unsigned int>(us);
}

GL_Timeout::GL_Timeout(int seconds, int microseconds, unsigned char repeat)
    : GL_Object(nullptr, nullptr, 0), id(-1), intervalSec(0), intervalUSec(0), flags(0) {
    NormaliseInterval(seconds, microseconds, &intervalSec, &intervalUSec);
    if (repeat && (intervalSec || intervalUSec)) flags |= kRepeat;
}

GL_Timeout::~GL_Timeout() { Stop(); }

const char* GL_Timeout::GetClassName() { return "GL_Timeout"; }

int GL_Timeout::Run() {
    if (flags & kRunning) return -1;
    GL_TimeItem* item = NewTimeItem(this);
    if (!item) return -1;
    id = item->id;
    AddTimeItem(item);
    flags |= kRunning;
    return 0;
}

int GL_Timeout::Stop() {
    if (!(flags & kRunning) || id < 1) return -1;
    DeleteTimeItem(id);
    FreeTimeoutId(id);
    flags &= static_cast<unsigned char>(~kRunning);
    id = -1;
    return 0;
}

int GL_Timeout::SetTime(int seconds, int microseconds) {
    unsigned int s, us;
    NormaliseInterval(seconds, microseconds, &s, &us);
    if (s == intervalSec && us == intervalUSec) return -1;
    bool wasRunning = (flags & kRunning) != 0;
    if (wasRunning) Stop();
    intervalSec = s;
    intervalUSec = us;
    if (!s && !us) flags &= static_cast<unsigned char>(~kRepeat);
    if (wasRunning) Run();
    return 0;
}
