// Fonts built from the metric tables of SysInfo, the default font, the
// character-set switch and the built-in bitmap font descriptors.
#include "nc_font.h"

#include "egui_conn.h"
#include "protocol/protocol.h"

namespace si = proto::sysinfo;

int iCharId = 0;
int bHasCharSet = 0;
_SL_Font* pMFont = nullptr;
_SL_Font* pEFont = nullptr;

static_assert(sizeof(unsigned int) * GL_FONT_ENTRY_WORDS == si::kMetricEntrySize, "metric entry size");
static_assert(sizeof(_SL_Font) == 24, "bitmap font descriptor size");

namespace {

_SL_Font gMFont, gEFont;

_SL_Font Descriptor(unsigned short first, unsigned short ascent, unsigned short descent, char letter) {
    _SL_Font f{};
    f.first = first;
    f.ascent = ascent;
    f.descent = descent;
    f.width = 16;
    f.height = 16;
    f.letter = static_cast<unsigned short>(letter);
    return f;
}

int Larger(unsigned short _SL_Font::*field) {
    int m = pMFont ? (pMFont->*field) : 0;
    int e = pEFont ? (pEFont->*field) : 0;
    return m > e ? m : e;
}

} // namespace

GL_Font::GL_Font(char const*, int, int) : reserved(0), entry{} {}

GL_Font::~GL_Font() {}

GL_Font* NC_NewFont(char const* name, int size, int style, unsigned char) {
    // A character set outside the three tables would read past the record.
    int charset = iCharId < 0 ? 0 : iCharId >= int(si::kCharsets) ? int(si::kCharsets) - 1 : iCharId;
    GL_Font* font = new GL_Font(name, size, style);
    const unsigned char* src = gSysInfo + si::MetricOffset(uint32_t(charset), size);
    for (int i = 0; i < GL_FONT_ENTRY_WORDS; ++i)
        font->entry[i] = proto::GetU32(src + 4 * i);
    return font;
}

int NC_DeleteFont(int id) { return id >= 0 ? 1 : 0; }

int GL_ScalableFonts() { return gSysInfo[si::kScalableFonts] != 0; }

int GL_FontWord(GL_Font* font, int i) {
    if (font) return font->Word(i);
    if (i < 0 || i >= GL_FONT_ENTRY_WORDS) return 0;
    // The server puts the default font's entry at this place of the record.
    return int(proto::GetU32(gSysInfo + si::kDefaultMetrics + 4 * uint32_t(i)));
}

int SL_GetFontInfo(GL_Font* font, int* wide, int* lineHeight, int* ascent, int* descent) {
    if (!GL_ScalableFonts()) return 0;
    if (wide) *wide = GL_FontWord(font, GL_FONT_WIDE);
    if (lineHeight) *lineHeight = GL_FontWord(font, GL_FONT_LINE);
    if (ascent) *ascent = GL_FontWord(font, GL_FONT_ASCENT);
    if (descent) *descent = GL_FontWord(font, GL_FONT_DESCENT);
    return 0;
}

void SetCharset(int charset) {
    iCharId = charset < 0 ? 0 : charset > 2 ? 2 : charset;
    bHasCharSet = 1;
}

void InitFont() {
    gMFont = Descriptor(0, 14, 2, 'Q');
    gEFont = Descriptor(16, 10, 2, 'Y');
    pMFont = &gMFont;
    pEFont = &gEFont;
}

int GetFontAscent() { return Larger(&_SL_Font::ascent); }
int GetFontDescent() { return Larger(&_SL_Font::descent); }
int GetFontHeight() { return Larger(&_SL_Font::height); }

int XGetFontAscent(_SL_Font* font) { return font ? 0 : GetFontAscent(); }
int XGetFontDescent(_SL_Font* font) { return font ? 0 : GetFontDescent(); }
int XGetFontHeight(_SL_Font* font) { return font ? 0 : GetFontHeight(); }
