// Listening endpoints, accepting clients and reading their requests.
#pragma once

#include <sys/select.h>

#include "core/server.h"

extern int g_localFd;     // Unix-domain endpoint "/tmp/.commfile"
extern int g_networkFd;   // TCP client endpoint, -1 when absent
extern int g_keyListenFd; // TCP key channel endpoint, -1 when absent
extern int g_keyFd;       // the key channel connection, -1 when none

// Creates the three endpoints. False when the local endpoint cannot be made.
bool SS_CreateEndpoints();
void SS_CloseEndpoints();

// Accepts on the local or network endpoint and sends SysInfo.
void SS_AcceptClient(int listenFd);
// Accepts the key channel (replacing the previous one).
void SS_AcceptKeyChannel();
// Reads one byte of the key channel and acts on it.
void SS_ReadKeyChannel();

// Adds the read and write interest of every connection; returns the highest
// descriptor. `pending` is set when a connection already holds a complete
// request, so that select must not wait.
int SS_FillClientSets(fd_set* readSet, fd_set* writeSet, int maxFd, bool* pending);

// One pass over the connections: flush what is writable, read what is
// readable, execute at most one complete request per connection, in list
// order; then free what was torn down. Without sets only what is already
// buffered is executed.
void SS_ServiceClients(fd_set* readSet, fd_set* writeSet);
// Passes over what is already buffered, without reading, while the coarse
// clock still reads `tick` (looked at every few passes) and some connection
// holds a complete request; every pass is followed by SS_AfterPass. True
// when any request ran.
bool SS_ServiceBuffered(long long tick);

// Builds the SysInfo record for a connection with the given serial; returns
// its length.
uint32_t SS_BuildSysInfo(uint8_t* out, uint32_t serial);
