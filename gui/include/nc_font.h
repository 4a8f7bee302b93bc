// Client-side fonts: a font is the metric entry that SysInfo carries for one
// character set and one pixel size. Building one sends nothing to the server.
#ifndef NC_FONT_H
#define NC_FONT_H

#define GL_FONT_ENTRY_WORDS 272 // 1088 bytes: 3 + 12 parameter words, 256 widths, a flag byte and padding

class GL_Font {
public:
    // Constructs nothing further: the entry is filled by NC_NewFont.
    GL_Font(char const* name, int size, int style);
    // Frees nothing.
    ~GL_Font();

    // Word i of the metric entry (0 font index, 1 size code, 4 wide-character
    // advance, 5 ascent, 6 descent, 10 line height, 15 + c advance of code c).
    int Word(int i) const { return i >= 0 && i < GL_FONT_ENTRY_WORDS ? int(entry[i]) : 0; }

    int reserved;                            // the word before the entry
    unsigned int entry[GL_FONT_ENTRY_WORDS]; // the metric entry, word for word
};

// Character set (0, 1 or 2) whose metric tables new fonts use.
extern int iCharId;

// A new font (the caller deletes it) holding the SysInfo entry of character
// set iCharId and the size clamped to 7..36; name, style and flag are not used.
GL_Font* NC_NewFont(char const* name, int size, int style, unsigned char flag);
// Sends nothing; 1 for an identifier of 0 or more, 0 for a negative one.
int NC_DeleteFont(int id);

#endif // NC_FONT_H
