// The emulated panel as a test sees it: the packed 4-bit panel file, the line
// that every update command appends to "<fb>.updates", and the PNG beside it.
// Pixel values are worked out here independently of the server's code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness/eink_root.h"

namespace testing_eink {

// Panel nibble of a grey level: 15 minus its top four bits (0 white, 15 black).
constexpr int GreyToNibble(int grey) { return 15 - ((grey & 0xFF) >> 4); }

// The update records so far, one "left top right bottom w4 w5" line each.
std::vector<std::string> PanelUpdates(const EinkRoot& root);
// Waits until at least `count` update lines exist; false on time-out.
bool WaitPanelUpdates(const EinkRoot& root, size_t count, int timeoutMs = 5000);
// True when no update line beyond `count` appears within `ms` (a negative
// check: pass a generous time).
bool NoPanelUpdateWithin(const EinkRoot& root, size_t count, int ms);

// Waits until no update line has come for `quietMs` (the pushes under way
// are over); returns the number of lines then.
size_t WaitPanelQuiet(const EinkRoot& root, int quietMs);

// The panel memory as the server left it ("/dev/fb0").
class PanelImage {
public:
    // Reads the panel file; `width` is the row length in pixels that the
    // update record names (the panel's width in its current orientation).
    PanelImage(const EinkRoot& root, int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // Nibble at physical (x, y): even pixels in the high nibble.
    int Nibble(int x, int y) const;
    // Number of pixels of the rectangle whose nibble is not `nibble`.
    int CountOther(int x, int y, int w, int h, int nibble) const;

private:
    int width_, height_;
    std::vector<uint8_t> bytes_;
};

// Decodes an 8-bit grey PNG ("<fb>.png"); empty when it cannot be read.
std::vector<uint8_t> ReadGreyPng(const std::string& path, int* width, int* height);

} // namespace testing_eink
