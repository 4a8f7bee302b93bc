// Font loading, the metric records and their publication in SysInfo, and the
// choice of face for a text request.
#include "render/fonts.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/einkroot.h"
#include "protocol/protocol.h"

FT_Library g_ftLibrary = nullptr;
FT_Error g_ftError = 0;
SSFont* g_fontList = nullptr;
int g_fontCount = 0;
char g_fontNames[kMaxFonts][kFontNameSize];
uint8_t g_fontLoaded[kMaxFonts];
char g_defaultFontName[kFontNameSize];
int g_defaultFontIndex = 0;

namespace {

// Where the list files may be, first match wins.
const char* const kFontLstPaths[] = {"/mnt/us/velmora/res/font.lst", "/mnt/Kora/bin/font.lst", "/Kora/res/font.lst",
                                     "/Kora/res/Font/font.lst", "/Kora/bin/font.lst"};
const char* const kXftLstPaths[] = {"/mnt/us/velmora/res/xftfont.lst", "/Kora/res/xftfont.lst",
                                    "/Kora/res/Font/xftfont.lst", "/Kora/bin/xftfont.lst"};

constexpr int kLineSize = 1024;
// A font file is read whole into memory; anything bigger than this is not a
// font we can afford on the device.
constexpr long kMaxFontFile = 64L * 1024 * 1024;

// The font part of SysInfo, built once by InitFonts (offsets as in the record).
uint8_t g_fontSysInfo[proto::sysinfo::kFixedSize];

bool g_noFaceLogged = false;

FILE* OpenFirst(const char* const* paths, size_t count) {
    for (size_t i = 0; i < count; i++) {
        FILE* f = fopen(eink::Path(paths[i]).c_str(), "rb");
        if (f) return f;
    }
    return nullptr;
}

// One line of at most kLineSize - 1 bytes; the rest of a longer line is
// consumed and dropped so that it never reads as a line of its own.
bool ReadLine(FILE* f, char* line) {
    if (!fgets(line, kLineSize, f)) return false;
    size_t n = strlen(line);
    if (n == kLineSize - 1 && line[n - 1] != '\n') {
        int c;
        while ((c = fgetc(f)) != EOF && c != '\n') {
        }
        line[0] = '\0'; // too long to be a path we could keep: skipped
    }
    return true;
}

// Drops one trailing CR, LF or space.
void StripOne(char* s) {
    size_t n = strlen(s);
    if (n > 0 && (s[n - 1] == '\r' || s[n - 1] == '\n' || s[n - 1] == ' ')) s[n - 1] = '\0';
}

// Reads a regular file whole; null when it cannot be read, is empty or too big.
uint8_t* ReadWholeFile(const char* path, long* size) {
    FILE* f = fopen(path, "rb");
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > kMaxFontFile) {
        fclose(f);
        return nullptr;
    }
    long n = long(st.st_size);
    uint8_t* data = static_cast<uint8_t*>(malloc(size_t(n)));
    if (data && fread(data, 1, size_t(n), f) != size_t(n)) {
        free(data);
        data = nullptr;
    }
    fclose(f);
    if (data) *size = n;
    return data;
}

int NameIndex(const char* name) {
    if (!name[0]) return -1;
    for (int i = 0; i < kMaxFonts; i++)
        if (g_fontLoaded[i] && strcmp(g_fontNames[i], name) == 0) return i;
    return -1;
}

SSFont* FontAt(int index) {
    for (SSFont* f = g_fontList; f; f = f->next)
        if (f->index == index) return f;
    return nullptr;
}

// Copies a name into a kFontNameSize field, cut to fit.
void CopyName(char* dst, const char* src) {
    size_t n = strnlen(src, kFontNameSize - 1);
    memcpy(dst, src, n);
    dst[n] = '\0';
}

void PutWord(uint8_t* record, uint32_t offset, int32_t value) { proto::PutU32(record + offset, uint32_t(value)); }

// 26.6 fixed point to whole pixels, rounding up.
int32_t CeilPixels(FT_Pos v) { return int32_t((v + 63) >> 6); }

void ReleaseFace(SSFontFace*& slot) {
    if (!slot) return;
    if (slot->face) FT_Done_Face(slot->face);
    FreeGlyphCache(slot->cache);
    delete slot;
    slot = nullptr;
}

// Creates the face of one pixel size from the font's data and measures it.
// Returns null when FreeType cannot open the data as a face.
SSFontFace* CreateFace(SSFont* font, int size) {
    FT_Face face = nullptr;
    g_ftError = FT_New_Memory_Face(g_ftLibrary, font->data, font->fileSize, 0, &face);
    if (g_ftError) return nullptr;
    g_ftError = FT_Set_Pixel_Sizes(face, FT_UInt(size), 0);
    g_ftError = FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    SSFontFace* slot = new SSFontFace();
    slot->face = face;
    slot->cache = nullptr;
    FontsMeasure(face, font->index, size, slot->record);
    return slot;
}

void ReleaseAllFaces(SSFont* font) {
    for (SSFontFace*& slot : font->faces)
        ReleaseFace(slot);
}

void CreateAllFaces(SSFont* font) {
    for (int size = kFontMinSize; size <= kFontMaxSize; size++) {
        SSFontFace*& slot = font->faces[size - kFontMinSize];
        ReleaseFace(slot);
        slot = CreateFace(font, size);
    }
}

void BuildSysInfo() {
    using namespace proto::sysinfo;
    memset(g_fontSysInfo, 0, sizeof g_fontSysInfo);
    proto::PutU16(g_fontSysInfo + kConst20, 20);
    proto::PutU16(g_fontSysInfo + kConst10, 10);
    g_fontSysInfo[kFontOption] = 0;
    for (SSFont* f = g_fontList; f; f = f->next) {
        for (int size = kFontMinSize; size <= kFontMaxSize; size++) {
            const SSFontFace* slot = f->faces[size - kFontMinSize];
            if (slot) memcpy(g_fontSysInfo + MetricOffset(uint32_t(f->index), size), slot->record, kMetricRecordSize);
        }
    }
    if (g_fontCount > 0) {
        // A client without a font of its own measures with the entry at 80
        // and sends size code 254, which draws at the largest size.
        memcpy(g_fontSysInfo + kDefaultMetrics, g_fontSysInfo + MetricOffset(uint32_t(g_defaultFontIndex), kMaxSize),
               kMetricRecordSize);
    }
    g_fontSysInfo[kScalableFonts] = g_fontCount > 0 ? 1 : 0;
}

// Reloads `to` as the default font in place of the current default `from`.
// Keeps the current default when the new file can no longer be read.
bool SwitchDefault(SSFont* from, SSFont* to, const char* name) {
    long size = 0;
    uint8_t* data = ReadWholeFile(to->path, &size);
    if (!data) {
        printf("font %s cannot be read again: default font kept\n", to->path);
        return false;
    }
    ReleaseAllFaces(from);
    free(from->data);
    from->data = nullptr;
    to->data = data;
    to->fileSize = size;
    CreateAllFaces(to);
    CopyName(g_defaultFontName, name);
    g_defaultFontIndex = to->index;
    printf("default font now %s\n", to->path);
    return true;
}

// "font.lst" without the diagnostic line, for the re-reads of text requests.
void ReadDefaultNameQuiet(char* name) {
    name[0] = '\0';
    FILE* f = OpenFirst(kFontLstPaths, sizeof kFontLstPaths / sizeof kFontLstPaths[0]);
    if (f) {
        char line[kLineSize];
        while (ReadLine(f, line)) {
            if (strlen(line) < 2) continue;
            StripOne(line);
            CopyName(name, line);
            break;
        }
        fclose(f);
    }
}

} // namespace

void ReadDefaultFontName(char* name) {
    ReadDefaultNameQuiet(name);
    printf("tmpfontname:%s\n", name);
}

// Clients measure every character above 255 with one advance, and text
// requests draw such characters in cells of that width. The advance of the
// fallback ideograph is the one that fits CJK text, where the face's
// maximum advance (often a wide symbol's) would leave gaps between them.
static int32_t WideAdvance(FT_Face face, int32_t maxAdvance) {
    FT_UInt glyph = FT_Get_Char_Index(face, kFallbackChar);
    if (!glyph) return maxAdvance;
    g_ftError = FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP);
    if (g_ftError) return maxAdvance;
    int32_t advance = CeilPixels(face->glyph->advance.x);
    return advance > 0 ? advance : maxAdvance;
}

void FontsMeasure(FT_Face face, int fontIndex, int size, uint8_t* record) {
    memset(record, 0, kMetricRecordSize);
    PutWord(record, metric::kFontIndex, fontIndex);
    PutWord(record, metric::kSize, size);
    PutWord(record, metric::kCreatedSize, size);
    if (!FT_IS_SCALABLE(face)) return;

    const FT_Size_Metrics& m = face->size->metrics;
    int32_t maxAdvance = CeilPixels(m.max_advance);
    int32_t ascent = CeilPixels(m.ascender);
    int32_t descent = CeilPixels(m.descender < 0 ? -m.descender : m.descender);
    int32_t gap = CeilPixels(m.height - (m.descender < 0 ? -m.descender : m.descender) - m.ascender);
    PutWord(record, metric::kWideAdvance, WideAdvance(face, maxAdvance));
    PutWord(record, metric::kBBoxTop, CeilPixels(FT_MulFix(face->bbox.yMax, m.y_scale)));
    PutWord(record, metric::kBBoxBottom, CeilPixels(FT_MulFix(-face->bbox.yMin, m.y_scale)));
    PutWord(record, metric::kFixedWidth, FT_IS_FIXED_WIDTH(face) ? 1 : 0);
    PutWord(record, metric::kAscent, ascent);
    PutWord(record, metric::kDescent, descent);
    PutWord(record, metric::kAscentDescent, ascent + descent);
    PutWord(record, metric::kLineGap, gap);
    PutWord(record, metric::kLineHeight, ascent + descent + gap);
    PutWord(record, metric::kConst65535, 65535);
    for (uint32_t code = 0; code < 256; code++) {
        int32_t advance = maxAdvance;
        FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (glyph) {
            g_ftError = FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP);
            if (g_ftError) g_ftError = FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT);
            if (!g_ftError) advance = CeilPixels(face->glyph->advance.x);
        }
        PutWord(record, metric::kAdvances + 4 * code, advance);
    }
    record[metric::kFlag] = 0;
}

void InitFonts() {
    memset(g_fontNames, 0, sizeof g_fontNames);
    memset(g_fontLoaded, 0, sizeof g_fontLoaded);
    g_fontCount = 0;
    g_defaultFontIndex = 0;
    g_noFaceLogged = false;
    BuildSysInfo();
    if (!g_ftLibrary) {
        g_ftError = FT_Init_FreeType(&g_ftLibrary);
        if (g_ftError) {
            g_ftLibrary = nullptr;
            printf("FreeType cannot start (error %d): no fonts\n", g_ftError);
            return;
        }
    }
    ReadDefaultFontName(g_defaultFontName);

    FILE* list = OpenFirst(kXftLstPaths, sizeof kXftLstPaths / sizeof kXftLstPaths[0]);
    if (!list) {
        printf("no xftfont.lst: no fonts\n");
        return;
    }
    SSFont** tail = &g_fontList;
    SSFont* provisional = nullptr; // first font, kept drawable until a listed default shows up
    bool defaultSeen = false;
    char line[kLineSize];
    while (g_fontCount < kMaxFonts && ReadLine(list, line)) {
        if (strlen(line) < 2) continue;
        StripOne(line);
        if (strlen(line) >= size_t(kFontNameSize)) {
            printf("font path too long, skipped\n");
            continue;
        }
        long size = 0;
        uint8_t* data = ReadWholeFile(line, &size);
        if (!data) continue;
        printf("xft:s=%s\n", line);

        SSFont* font = new SSFont();
        CopyName(font->path, line);
        font->data = data;
        font->fileSize = size;
        font->index = g_fontCount;
        *tail = font;
        tail = &font->next;
        CopyName(g_fontNames[font->index], line);

        bool isDefault = g_defaultFontName[0] ? strcmp(font->path, g_defaultFontName) == 0 : font->index == 0;
        // When "font.lst" names a font that is not listed, the first font
        // draws: a name that matches nothing must not leave the server
        // without any face at all.
        bool keep = isDefault || (font->index == 0 && g_defaultFontName[0]);
        for (int px = kFontMinSize; px <= kFontMaxSize; px++) {
            SSFontFace* slot = CreateFace(font, px);
            if (!slot) {
                printf("FreeType cannot open %s (error %d)\n", font->path, g_ftError);
                break;
            }
            if (!keep) {
                FT_Done_Face(slot->face);
                slot->face = nullptr;
            }
            font->faces[px - kFontMinSize] = slot;
        }
        g_fontLoaded[font->index] = 1;
        g_fontCount++;
        if (isDefault) defaultSeen = true;
        if (keep && !isDefault) provisional = font;
        if (!keep) {
            free(font->data);
            font->data = nullptr;
        }
    }
    fclose(list);
    printf("iXftFontNum:%d\n", g_fontCount);

    int named = NameIndex(g_defaultFontName);
    g_defaultFontIndex = named < 0 ? 0 : named;
    if (provisional && defaultSeen) {
        // The named default was listed after all: the first font goes back
        // to contributing metrics only.
        for (SSFontFace* slot : provisional->faces) {
            if (slot && slot->face) {
                FT_Done_Face(slot->face);
                slot->face = nullptr;
            }
        }
        free(provisional->data);
        provisional->data = nullptr;
    }
    BuildSysInfo();
}

void FreeFonts() {
    while (g_fontList) {
        SSFont* f = g_fontList;
        g_fontList = f->next;
        ReleaseAllFaces(f);
        free(f->data);
        delete f;
    }
    g_fontCount = 0;
    g_defaultFontIndex = 0;
    memset(g_fontNames, 0, sizeof g_fontNames);
    memset(g_fontLoaded, 0, sizeof g_fontLoaded);
    g_defaultFontName[0] = '\0';
    if (g_ftLibrary) FT_Done_FreeType(g_ftLibrary);
    g_ftLibrary = nullptr;
    BuildSysInfo();
}

void FontsFillSysInfo(uint8_t* sysinfo) {
    using namespace proto::sysinfo;
    memcpy(sysinfo + kConst20, g_fontSysInfo + kConst20, kOrientation - kConst20);
    memcpy(sysinfo + kFontTables, g_fontSysInfo + kFontTables, kFixedSize - kFontTables);
}

uint32_t FontsCharInfo(const uint8_t** data) {
    *data = nullptr;
    return 0;
}

FT_Face FontsChooseFace(int64_t fontIndex, int64_t size, SSFontFace** slotOut) {
    *slotOut = nullptr;
    if (g_fontCount == 0 || !g_fontList) return nullptr;
    SSFont* font = fontIndex >= 0 && fontIndex < g_fontCount ? FontAt(int(fontIndex)) : g_fontList;
    if (!font) font = g_fontList;
    int px = int(size < kFontMinSize ? kFontMinSize : size > kFontMaxSize ? kFontMaxSize : size);
    SSFontFace* slot = font->faces[px - kFontMinSize];
    if (!slot || !slot->face) {
        // The default may have been changed in "font.lst" since start.
        char name[kFontNameSize];
        ReadDefaultNameQuiet(name);
        SSFont* current = FontAt(g_defaultFontIndex);
        int named = NameIndex(name);
        SSFont* chosen = font;
        if (strcmp(name, g_defaultFontName) == 0 || named == g_defaultFontIndex) {
            if (current) chosen = current;
        } else if (named >= 0 && current) {
            SSFont* next = FontAt(named);
            if (next && !next->data && current->data) SwitchDefault(current, next, name);
        }
        slot = chosen->faces[px - kFontMinSize];
    }
    if (!slot || !slot->face) {
        // The device's server stopped here; a client's request must not end
        // the display server, so the text is simply not drawn.
        if (!g_noFaceLogged) {
            printf("no face for font %lld size %d: text not drawn\n", (long long)fontIndex, px);
            g_noFaceLogged = true;
        }
        return nullptr;
    }
    *slotOut = slot;
    return slot->face;
}
