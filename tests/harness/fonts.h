// Font list files for an emulated root, with the Debian fonts that the
// project's set-up script installs.
#pragma once

#include <string>
#include <vector>

#include "harness/eink_root.h"

namespace testing_eink {

// Font files of fonts-dejavu-core and fonts-wqy-microhei.
extern const char* const kDejaVuSans;
extern const char* const kDejaVuSansMono;
extern const char* const kWqyMicroHei;

// Where the server looks first for its two list files.
extern const char* const kXftFontList; // "/mnt/us/velmora/res/xftfont.lst"
extern const char* const kFontList;    // "/mnt/us/velmora/res/font.lst"

// Writes "xftfont.lst" with one font path per line under `rootDir` (the
// directory that EINK_ROOT names). A non-empty `defaultFont` also writes
// "font.lst" naming it; an empty one removes any "font.lst" there.
void WriteFontLists(const std::string& rootDir, const std::vector<std::string>& fonts,
                    const std::string& defaultFont = "");
void WriteFontLists(const EinkRoot& root, const std::vector<std::string>& fonts, const std::string& defaultFont = "");

// The usual set: DejaVu Sans (the default), DejaVu Sans Mono, WenQuanYi
// Micro Hei.
void WriteDefaultFontLists(const EinkRoot& root);

// For in-process tests of the font module: makes a fresh temporary
// directory the process's EINK_ROOT and returns it. Call it before anything
// resolves a device path (the root is read once per process); later calls
// return the same directory. It is removed when the process exits.
const std::string& InProcessRoot();

} // namespace testing_eink
