// Where the device's fixed paths and ports live. On the device every path is
// used as it stands; on a desktop the environment variable EINK_ROOT names a
// directory under which all of them are taken, so that a whole emulated
// device (panel file, input FIFOs, configuration files) fits in one folder.
#pragma once

#include <cstddef>
#include <string>

namespace eink {

// "/home/refresh.txt" -> "$EINK_ROOT/home/refresh.txt" when EINK_ROOT is set.
// Paths that come from data (a font file named in a list, an image file named
// by a client) are not fixed paths and must not go through here.
std::string Path(const char* fixedPath);

// The same into a caller's buffer; returns buf, or null when it does not fit.
char* Path(const char* fixedPath, char* buf, size_t size);

// The emulation root, or "" on the device.
const std::string& Root();

// TCP ports: EINK_PORT and EINK_KEY_PORT replace 2999 and 3000 when set.
int ClientPort();
int KeyChannelPort();

// Milliseconds of a monotonic clock: intervals and timers, never dates.
long long NowMs();
// The same from the kernel's tick: a few milliseconds coarse, but nearly
// free to read.
long long CoarseNowMs();

} // namespace eink
