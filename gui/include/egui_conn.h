// libgui's connection to winserver: start-up, the exported connection state,
// the raw transfer functions and the wait for a reply with its saved-event
// queue. Single-threaded: every function here runs on the client's thread.
#ifndef EGUI_CONN_H
#define EGUI_CONN_H

#include <cstddef>

// ---- Sizes of the exported buffers ----------------------------------------------

#define EGUI_REQ_BUFFER_SIZE 131072 // largest message either side handles
#define EGUI_SYSINFO_SIZE 99092     // fixed part of the system-information record
#define EGUI_CHARINFO_SIZE 131072   // largest character-information block

// ---- Messages from the server ----------------------------------------------------

// One message as it arrived from the server: the header word (bits 0-7 the
// type, bits 8-31 the total length, little-endian), then the body whose
// layout depends on the type (most types carry a window identifier at 4).
// A pointer to it points either into gReqBuffer (valid until the next read or
// request) or to a saved copy owned by the caller (see CheckWaitEvent).
struct GS_GeneralEvent_st {
    unsigned char header[4]; // type in byte 0, total length in bytes 1-3
    unsigned char window[4]; // window identifier of most types; the body goes on past
};

// The message as bytes, header included, as many as GL_EventLength says.
inline const unsigned char* GL_EventBytes(const GS_GeneralEvent_st* ev) {
    return reinterpret_cast<const unsigned char*>(ev);
}
// Little-endian 32-bit field at `offset` from the start of the message.
inline unsigned int GL_EventWord(const GS_GeneralEvent_st* ev, unsigned int offset) {
    const unsigned char* p = GL_EventBytes(ev) + offset;
    return unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
}
inline unsigned int GL_EventType(const GS_GeneralEvent_st* ev) { return ev->header[0]; }
inline unsigned int GL_EventLength(const GS_GeneralEvent_st* ev) { return GL_EventWord(ev, 0) >> 8; }

// ---- Exported state ---------------------------------------------------------------

extern int connFd;                                     // -1 while not connected
extern unsigned char gReqBuffer[EGUI_REQ_BUFFER_SIZE]; // every request is built here, every message read here
extern unsigned char gSysInfo[EGUI_SYSINFO_SIZE];      // fixed part of SysInfo
extern unsigned char iDataInfo[EGUI_CHARINFO_SIZE];    // character-information block after SysInfo
extern int iTotalCharInfoSize;                         // its size, 0 when none
extern int iDisplayWidth, iDisplayHeight;              // screen as the client sees it
extern int iDepth, iDepthBytes;                        // bits and bytes per pixel
extern int iRotateMode;                                // 0 normal, 1 left, 2 bottom, 3 right
extern unsigned char bVerticalScreen;                  // 1 when SysInfo says the screen is vertical
extern int iErrLine;                  // 1 reading, 2 read failed, 3 writing, 4 wrote 0, 5 write failed, 0 done
extern char* pProgName;               // copy of argv[0]
extern char* pProgNameFile;           // its last "/" (or its start)
extern unsigned char bWaitForServer;  // started with "-ws"
extern unsigned char bQuitProgram;    // the event loop must end
extern char* progname;                // name printed by the signal handler, set by the program
extern void (*pClientCloseFunc)(int); // the program's close hook, called with 0 on a signal
extern int bSleepCan;                 // last sleep answer sent: 0, 9 or 1
extern int iCharset;                  // character-set mode last sent by NC_SetCharsetMode

// Saved-event state: messages read while WaitEvent waited for another type.
class ZPSList;
extern ZPSList* gSavedEventQueue;       // oldest first; created on first use
extern GS_GeneralEvent_st* gSavedEvent; // cleared by egui_init
extern unsigned char* pSavedEventData;  // cleared by egui_init

// ---- Start-up and connection ---------------------------------------------------------

// Connects (waiting and retrying once a second when argv[1] is exactly "-ws"),
// reads SysInfo, installs the signal handler and registers the program under
// argv[0]. Returns 1, or 0 when the server cannot be reached without "-ws".
int egui_init(int argc, char** argv);
// Does nothing.
void egui_clear();
// Connects to the server's socket and reads SysInfo; returns the descriptor,
// or -1. Returns the existing connFd at once when already connected.
int OpenConnection();
// Writes what is buffered, closes connFd when open and sets it to -1; returns 0.
int CloseConnection();
// Reads SysInfo and the block after it, and sets the display globals; exits
// the program with status 1 when the record comes short. Returns 1.
int GetSysInfoFromServer();
// Next identifier for a window, pixmap or font: the connection's base plus
// the counter kept in gSysInfo, which is then incremented.
unsigned long GetProgramIdBase();
// Ends the program through the signal handler with the code 33.
void QuitProgram();
// The handler for SIGPIPE, SIGINT, SIGTERM and SIGSEGV, also run with 33 by
// QuitProgram and 99 by the end of the event loop: prints the code, calls the
// close hook (not for 13 and 11), sends RequestClose (not for 99) and exits 0.
void GL_SignalHandler(int code);
// SIGCHLD ignored with SA_RESTART.
void setupSignalHandler();

// ---- Transfer ---------------------------------------------------------------------------

// The request buffer, whatever the size: a request must not exceed 131072 bytes.
unsigned char* GL_AllocReq(int size);
// Writes count bytes at once (after whatever is buffered for fd), waiting
// while the socket is full; returns count, 0 when a
// write returned 0, -1 on failure or when fd < 0. Sets iErrLine.
int NetWrite(int fd, const void* buffer, int count);
// Reads count bytes (after writing whatever is buffered for fd), waiting for them; returns the bytes read (fewer when
// the server closed, which also sets bQuitProgram), -1 when fd < 0. A hard read error ends the program through
// QuitProgram.
int NetRead(int fd, void* buffer, int count);
// Requests are collected in an output buffer and written in batches: before
// the program waits for anything (egui_loop going to sleep, WaitEvent,
// CheckWaitEvent, NetRead and every reply read, the library's own sleeps),
// when the buffer is full, by GL_Flush, by CloseConnection and when the
// program ends through exit or the library's signal handler. The server sees
// the same bytes in the same order as with one write per request.
//
// Writes everything buffered now; returns the bytes written (0 when nothing
// was pending), -1 on failure (the server is gone: bQuitProgram is set).
int GL_Flush();
// 0: every request is written at once, as soon as it is built (what is
// buffered is written first); 1: buffered (the default). The environment
// variable LIBGUI_UNBUFFERED=1 starts a program unbuffered.
void GL_SetBuffered(int on);
// 1 while requests are buffered.
int GL_IsBuffered();

// Writes one message header of the wire protocol (type in bits 0-7, length in
// bits 8-31); returns NetWrite's result.
int WriteHeader(int fd, int type, int length);

// ---- Waiting for a reply -----------------------------------------------------------

// Reads one whole message into gReqBuffer; null when the connection is closed,
// a read came up short or the message is malformed.
GS_GeneralEvent_st* GotEvent();
// Reads messages until one of `type` arrives and returns it (in gReqBuffer);
// every other message is saved, oldest first, for CheckWaitEvent. Null when
// the connection fails.
GS_GeneralEvent_st* WaitEvent(int type);
// The oldest saved message, removed from the queue, or null; hand it to
// Handle_Event and free it with FreeEventData.
GS_GeneralEvent_st* CheckWaitEvent();
// Frees a message returned by CheckWaitEvent; gReqBuffer and null are ignored.
void FreeEventData(GS_GeneralEvent_st* event);

#endif // EGUI_CONN_H
