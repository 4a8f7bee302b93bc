// Scalable fonts and anti-aliased text.
//
// The server loads at most three fonts named by "xftfont.lst", measures each
// at the pixel sizes 7..36 and publishes those metric records in SysInfo, so
// that clients measure text without a round trip. Only the default font
// (named by "font.lst", else the first listed) keeps its faces for drawing;
// the others contribute metrics only.
//
// SysInfo bytes written here (the core adds the geometry words and byte 1168):
//   44  u16 20            68  u16 10            75  font option byte, 0
//   80..1167  a copy of the default font's 36-pixel metric record: a client
//             that draws without a font sends size code 254, which the server
//             draws at 36 pixels, so that is the entry it must measure with.
//             Byte 92 (inside that copy, where the record holds a zero word)
//             is the scalable-fonts flag. Without fonts the whole area is 0.
//   1172 + font x 32640 + (size - 7) x 1088  the metric records, 0 where a
//             font is absent or could not be opened.
// Every other byte from 44 to 1167 is 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include <ft2build.h>
#include FT_FREETYPE_H

// Loads the fonts named by the list files and builds the metric tables.
// Safe to call again after FreeFonts (tests do).
void InitFonts();
void FreeFonts();

// Writes the font part of a SysInfo record (offsets 44..1167 as the fonts
// define them, and the metric tables from 1172).
void FontsFillSysInfo(uint8_t* sysinfo);

// The character-information block sent after the fixed part of SysInfo;
// returns its size (0 when there is none) and points `data` at it.
uint32_t FontsCharInfo(const uint8_t** data);

// ---- Font records ------------------------------------------------------------

constexpr int kFontMinSize = 7;
constexpr int kFontMaxSize = 36;
constexpr int kFontSizes = kFontMaxSize - kFontMinSize + 1;
constexpr int kMaxFonts = 3;
constexpr int kFontNameSize = 100;
constexpr uint32_t kMetricRecordSize = 1088;

// Byte offsets inside a metric record (little-endian words).
namespace metric {
constexpr uint32_t kFontIndex = 0, kSize = 4, kCreatedSize = 8, kWideAdvance = 16, kBBoxTop = 20, kBBoxBottom = 24,
                   kFixedWidth = 28, kAscent = 32, kDescent = 36, kAscentDescent = 40, kLineGap = 44, kLineHeight = 48,
                   kConst65535 = 56, kAdvances = 60, kFlag = 1084;
}

// The glyph drawn for a character the face lacks.
constexpr uint16_t kFallbackChar = 0x56D7;

struct SSGlyphCache; // rendered glyphs of one face (text rendering)

// One pixel size of one font: its face (null when the slot is empty) and the
// metric record exactly as published.
struct SSFontFace {
    FT_Face face;
    uint8_t record[kMetricRecordSize];
    SSGlyphCache* cache; // created on first use, freed with the face
};

struct SSFont {
    char path[kFontNameSize]; // as listed
    uint8_t* data;            // whole file; kept only while this is the default
    long fileSize;
    SSFontFace* faces[kFontSizes]; // by size - 7; null when absent
    int index;                     // position in the list, 0..2
    SSFont* next;
};

extern FT_Library g_ftLibrary;
extern FT_Error g_ftError;                         // of the last FreeType call, for diagnostics
extern SSFont* g_fontList;                         // in the order of "xftfont.lst"
extern int g_fontCount;                            // fonts loaded
extern char g_fontNames[kMaxFonts][kFontNameSize]; // paths of the listed fonts
extern uint8_t g_fontLoaded[kMaxFonts];
extern char g_defaultFontName[kFontNameSize]; // from "font.lst", may be ""
extern int g_defaultFontIndex;

// Reads "font.lst" (first of its search order that opens) into `name`
// (at least kFontNameSize bytes): the first line of two or more characters
// without one trailing CR, LF or space; "" when there is none.
void ReadDefaultFontName(char* name);

// Computes the published metric record of `face` at pixel size `size` (the
// face's pixel size must already be set).
void FontsMeasure(FT_Face face, int fontIndex, int size, uint8_t* record);

// The face a text request draws with, or null when none can be had (the
// caller then draws nothing). May re-read "font.lst" and switch the default.
FT_Face FontsChooseFace(int64_t fontIndex, int64_t size, SSFontFace** slotOut);

// ---- Text rendering ----------------------------------------------------------

// A grey 8-bit image to draw into.
struct SSTextTarget {
    uint8_t* pixels;
    int32_t width, height;
    int32_t stride; // bytes per row
};

// The blend of a glyph's coverage `a` (0..255) with colour `pixel` over `old`:
// old + floor((pixel - old) * a / 256).
inline uint8_t BlendCoverage(uint8_t old, uint8_t pixel, uint8_t a) {
    int d = (int(pixel) - int(old)) * int(a);
    return uint8_t(int(old) + (d >> 8)); // arithmetic shift floors negative values too
}

// Decodes the UTF-8 text of TextOutSingle/TextOutDouble: at most 512 bytes
// (`count` bytes, or up to the first NUL when count <= 0; never more than
// `available`), code points cut to 16 bits, only 32..127 and from 160 kept.
// Writes at most 512 characters into `out` and returns how many.
constexpr int kMaxTextChars = 512;
int DecodeTextUtf8(const uint8_t* text, int64_t count, uint32_t available, uint16_t* out);

// Draws `n` characters with the pen on the baseline at (x, y) and returns the
// pen's x after the last glyph.
int64_t DrawTextFace(const SSTextTarget& target, SSFontFace* slot, int64_t x, int64_t y, const uint16_t* chars, int n,
                     uint32_t pixel);

// Frees a face's glyph cache (the face is going away).
void FreeGlyphCache(SSGlyphCache* cache);

// The bytes that all glyph caches together may hold (16 MB); a cache that
// would pass it is emptied first. Returns the previous budget (tests).
size_t SetGlyphCacheBudget(size_t bytes);
// Bytes the glyph caches hold now.
size_t GlyphCacheBytes();
