// Client-side fonts: a font is the metric entry that SysInfo carries for one
// character set and one pixel size. Building one sends nothing to the server.
//
// Two font modes follow the scalable-fonts flag of SysInfo (byte 92):
// - scalable (1): widths, ascent and line height come from the metric entry of
//   the font, or of the default font (the entry SysInfo carries at offset 80)
//   where a GL_Font* is null; text requests carry the entry's font index and
//   size code;
// - bitmap (0): single-byte widths come from the byte table iDataInfo and
//   every wide character has the width of SysInfo byte 51.
#ifndef NC_FONT_H
#define NC_FONT_H

#define GL_FONT_ENTRY_WORDS 272 // 1088 bytes: 3 + 12 parameter words, 256 widths, a flag byte and padding

// Words of a metric entry that the client reads.
enum {
    GL_FONT_INDEX = 0,     // font index sent in text requests
    GL_FONT_SIZE = 1,      // size code sent in text requests
    GL_FONT_WIDE = 4,      // advance of every wide character
    GL_FONT_ASCENT = 5,    // ascent
    GL_FONT_DESCENT = 6,   // descent
    GL_FONT_METRIC9 = 9,   // a further line metric
    GL_FONT_LINE = 10,     // line height
    GL_FONT_ADVANCES = 15, // advance of single-byte code c is word 15 + c
};

class GL_Font {
public:
    // Constructs nothing further: the entry is filled by NC_NewFont.
    GL_Font(char const* name, int size, int style);
    // Frees nothing.
    ~GL_Font();

    // Word i of the metric entry (see the enum above); 0 outside the entry.
    int Word(int i) const { return i >= 0 && i < GL_FONT_ENTRY_WORDS ? int(entry[i]) : 0; }

    int reserved;                            // the word before the entry
    unsigned int entry[GL_FONT_ENTRY_WORDS]; // the metric entry, word for word
};

// Built-in bitmap font descriptor (24 bytes).
struct _SL_Font {
    unsigned short first; // first halfword (16 for pEFont, 0 for pMFont)
    unsigned short ascent;
    unsigned short descent;
    unsigned short width;  // cell width
    unsigned short height; // cell height
    unsigned short letter; // 'Q' (wide characters) or 'Y' (single-byte)
    unsigned char reserved[12];
};

// Character set (0, 1 or 2) whose metric tables new fonts use.
extern int iCharId;
// 1 once SetCharset ran: GL_TextOut then sends the whole text as one
// double-byte request.
extern int bHasCharSet;
// The bitmap font descriptors for wide (pMFont) and single-byte (pEFont)
// characters; set by InitFont (egui_init calls it), null before.
extern _SL_Font* pMFont;
extern _SL_Font* pEFont;

// Fills pMFont (ascent 14, descent 2, cell 16 x 16, 'Q') and pEFont (first
// 16, ascent 10, descent 2, cell 16 x 16, 'Y').
void InitFont();
// The larger of the two descriptors' ascent, descent, height (14, 2, 16).
int GetFontAscent();
int GetFontDescent();
int GetFontHeight();
// The same for a null font; 0 for any other.
int XGetFontAscent(_SL_Font* font);
int XGetFontDescent(_SL_Font* font);
int XGetFontHeight(_SL_Font* font);

// Sets iCharId to the charset clamped to 0..2 and bHasCharSet to 1.
void SetCharset(int charset);

// A new font (the caller deletes it) holding the SysInfo entry of character
// set iCharId and the size clamped to 7..36; name, style and flag are not used.
GL_Font* NC_NewFont(char const* name, int size, int style, unsigned char flag);
// Sends nothing; 1 for an identifier of 0 or more, 0 for a negative one.
int NC_DeleteFont(int id);
// With scalable fonts only: writes the wide-character advance, the line
// height, the ascent and the descent of the font (null: the default font)
// into the non-null outputs. Returns 0.
int SL_GetFontInfo(GL_Font* font, int* wide, int* lineHeight, int* ascent, int* descent);

// 1 when SysInfo says the server has scalable fonts.
int GL_ScalableFonts();
// Word i of the font's entry, or of the default font's for a null font.
int GL_FontWord(GL_Font* font, int i);

#endif // NC_FONT_H
