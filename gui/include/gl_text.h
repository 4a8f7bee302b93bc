// Text measurement, line splitting and text output.
//
// Toolkit text is a byte string in the device's multi-byte encoding: a byte
// of 128 or more that is not the last byte starts a two-byte (wide)
// character, every other byte is one single-byte character. With scalable
// fonts the server decodes the bytes of its text requests as UTF-8, so text
// drawn through GL_TextOut is UTF-8 then, and measured as UTF-8 (through
// UCS-2) by CalcStringWidth, GL_GetTextInfo and CalcShortString.
//
// No function here reads past the byte count it is given (or past the
// terminating NUL when the count is 0), also when the last byte is a lead
// byte. All widths are in pixels.
#pragma once

#include "gl_types.h"
#include "nc_font.h"

class GL_List;

// Text drawn by GL_TextOutUtf82 is converted to UTF-8 first when set (0 at start).
extern unsigned char bLabelUtf8;

// ---- Widths -------------------------------------------------------------------------

// Width of one big-endian UCS-2 unit (its two bytes swapped give the code):
// codes up to 255 have their own advance, every other code the wide advance.
// A null font means the default font. The two functions are the same rule.
int SL_GetCharInfo(GL_Font* font, unsigned short unit);
int SL_GetCharInfo2(GL_Font* font, unsigned short unit);
// Sum of the default font's single-byte widths over n bytes (0: up to the NUL).
int SL_GetStringInfo8(char const* text, unsigned long n);
// Wide width times n / 2 (n bytes of wide characters, 0: up to the NUL).
int SL_GetStringInfo16(char const* text, unsigned long n);
// The same two rules with a font (null: the default font).
int SL_GetStringInfoSingle(GL_Font* font, char const* text, unsigned long n);
int SL_GetStringInfoDouble(GL_Font* font, char const* text, unsigned long n);
// Width of a UTF-8 string: the sum of SL_GetCharInfo over its UCS-2 units.
int CalcStringWidth(GL_Font* font, char* text);
// The same over the first n bytes (n < 1: all of it); *count (when given)
// gets the number of characters.
int CalcStringWidth2(GL_Font* font, char* text, int n, int* count);
// UTF-8 text (n bytes, 0: all): writes the ascent, the further line metric
// (word 9), the line height, the width and the character count of the font
// (null: the default font) into the non-null outputs; returns the width.
int SL_GetTextInfo816(GL_Font* font, GL_Font* font2, char const* text, unsigned long n, int* ascent, int* metric9,
                      int* lineHeight, int* width, int* count);
// The widgets' measurement of UTF-8 text (n bytes, 0: all): both non-null
// rectangles become (0, -ascent, width, line height) and *count the number of
// characters. Returns the width, or 0 (rectangles untouched) when it is 0.
int GL_GetTextInfo(GL_Font* font, GL_Font* font2, char const* text, unsigned long n, _GS_Rect* rect, _GS_Rect* rect2,
                   unsigned long* count);
// Multi-byte text (n bytes, 0: all) measured run by run: single-byte runs by
// SL_GetStringInfo8, wide runs by SL_GetStringInfo16. Outputs as
// SL_GetTextInfo816, with the default font's metrics under scalable fonts and
// 0 otherwise; returns the width.
int SL_GetStringInfo816(char const* text, unsigned long n, int* ascent, int* metric9, int* lineHeight, int* width,
                        int* count);
// The same as rectangles (0, -ascent, width, line height) and a count; the
// descriptors are not used. Returns the width (0: rectangles untouched).
int GL_GetStringInfo(_SL_Font* font, _SL_Font* font2, char const* text, unsigned long n, _GS_Rect* rect,
                     _GS_Rect* rect2, unsigned long* count);

// ---- Fitting text into a width --------------------------------------------------------

// A new UTF-8 string (caller frees) that fits maxWidth: the whole text when
// it fits; otherwise the longest leading part that fits beside suffix (for
// example "..."), with suffix appended; only the suffix when no character
// fits beside it or when the suffix alone is wider than maxWidth. Null for a
// null text, or when maxWidth is below the suffix width and there is no
// suffix; a copy of the text for an empty text or maxWidth <= 0.
char* CalcShortString(GL_Font* font, char* text, int maxWidth, char* suffix);
// Breaks multi-byte text into lines at most maxWidth wide and appends each to
// list (data: a new zero-terminated string the caller frees, value: its
// width). A line feed ends a line; a line feed right after another gives an
// empty line "". A character wider than maxWidth fits on no line and is left
// out. Nothing happens (0) for a null or empty text, maxWidth <= 12 or a null
// list. Returns the list's count. flag is not used.
int SplitString(GL_Font* font, char* text, int maxWidth, unsigned char flag, GL_List* list);

// ---- Text output ------------------------------------------------------------------------
// Each draws at (x, y), y being the baseline, into a pixmap in the given pixel
// and returns the x after the drawn text, 0 when nothing was sent. A count of
// 0 means the whole string; at most 510 bytes go out (cut back to a whole
// character).

// Single-byte text (TextOutS), advance by SL_GetStringInfo8.
int SL_TextOutS(unsigned long pixmap, int x, int y, char const* text, unsigned long n, unsigned long pixel);
// Wide text (TextOutD), advance by SL_GetStringInfo16.
int SL_TextOutD(unsigned long pixmap, int x, int y, char const* text, unsigned long n, unsigned long pixel);
// Single-byte text (TextOutSingle) with the font's index and size (bitmap
// mode: iCharId and size 8); advance by SL_GetStringInfoSingle.
int SL_TextOutSingle(unsigned long pixmap, GL_Font* font, int x, int y, char const* text, unsigned long n,
                     unsigned long pixel);
// Wide text (TextOutDouble), size 16 in bitmap mode with the advance of
// SL_GetStringInfoDouble; with scalable fonts the text is UTF-8 and the
// advance is its CalcStringWidth2 width, which is what the server draws.
int SL_TextOutDouble(unsigned long pixmap, GL_Font* font, int x, int y, char const* text, unsigned long n,
                     unsigned long pixel);
// count 16-bit Unicode characters (TextOutSimple), at most 510; a count that
// is negative as a signed value means up to the first 0 unit. Returns 0.
int GL_TextOutSimple(unsigned long pixmap, GL_Font* font, GL_Font* font2, int x, int y, unsigned short* text,
                     unsigned long count, unsigned long pixel, void* reserved);
// What widgets call. -1 for a null or empty text. Bitmap mode: runs of
// single-byte and wide characters through SL_TextOutS / SL_TextOutD, each
// where the previous ended. Scalable fonts with bHasCharSet: the whole text
// through SL_TextOutDouble, returns 0. Scalable fonts otherwise: runs of ASCII
// through SL_TextOutSingle, and each UTF-8 multi-byte character through
// SL_TextOutDouble at its measured place, with font. Returns the x after the
// text, which is where GL_GetTextInfo says the text ends.
int GL_TextOut(unsigned long pixmap, GL_Font* font, GL_Font* font2, int x, int y, char const* text, unsigned long n,
               unsigned long pixel, void* reserved);
// The bitmap-mode run splitting of GL_TextOut alone.
int GL_TextOutString(unsigned long pixmap, _SL_Font* font, _SL_Font* font2, int x, int y, char const* text,
                     unsigned long n, unsigned long pixel, void* reserved);
// GL_TextOut when bLabelUtf8 is 0. Otherwise the text (in "BIG5" when the
// language is "tradit", else "GB18030") is converted to UTF-8 and drawn with
// GL_TextOut; returns 0 then (also when the conversion gives nothing).
int GL_TextOutUtf82(unsigned long pixmap, GL_Font* font, GL_Font* font2, int x, int y, char const* text,
                    unsigned long n, unsigned long pixel, void* reserved);

// iconv from `from` to `to`, once: input (inlen bytes) into out (outsize
// bytes). Returns the bytes produced, 0 when the converter cannot be opened.
int MyIconV(char const* to, char const* from, char* out, unsigned int outsize, char* in, unsigned int inlen);
