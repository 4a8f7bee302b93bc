// Text conversion between the encodings the toolkit meets: single/double-byte
// Chinese text (GB2312, GBK / two-byte GB18030), UTF-8 and 16-bit Unicode.
//
// "UCS-2 big-endian" means two bytes per character, high byte first, whatever
// the processor's byte order. Buffer sizes below are what the caller must
// provide; no function writes more.
#pragma once

// UTF-8 (*len bytes) -> UCS-2 big-endian in out (at least 2 * *len bytes);
// *len becomes the output byte count. Malformed bytes give U+0080, a
// truncated final sequence is dropped. *len == 0 returns in; otherwise out.
char* MU82U(char* in, char* out, int* len);
// UCS-2 big-endian (*len bytes, whole units only) -> UTF-8 in out (at least
// 3 * (*len / 2) bytes); *len becomes the output byte count. No terminator.
char* MU2U8(char* in, char* out, int* len);
// Single/double-byte GB text (*len bytes) -> UCS-2 big-endian in out (at
// least 2 * *len bytes). A double-byte character takes two output bytes
// (filled with its GB18030 value); a lone final lead byte ends the text.
char* MG2U(char* in, char* out, int* len);
// UCS-2 big-endian (*len bytes) -> single/double-byte text in out (at least
// *len bytes): ASCII gives one byte, any other unit two bytes (its GB2312
// code, or "??" when GB2312 lacks it).
char* MU2G(char* in, char* out, int* len);
// GB text -> new zero-terminated UTF-8 buffer (caller frees), *len its length.
// Null for a null input or a non-positive *len.
char* MG2U8(char* in, int* len);
// UTF-8 -> new zero-terminated GB buffer (caller frees), *len its length.
char* MU82G(char* in, int* len);

// UTF-8 (n bytes, 0 meaning strlen) -> new zero-filled buffer of 2n+2 bytes of
// UCS-2 big-endian; *count gets the number of units. Null for empty input.
unsigned short* Utf82UConvert(char const* s, unsigned long n, int* count);
// n UCS-2 big-endian units -> new zero-terminated UTF-8 buffer (4n+52 bytes);
// *len gets the byte count. Null for a null input.
char* U2Utf8Convert(unsigned short* s, int n, int* len);

// One GB character at p with *len bytes available -> Unicode value; *len
// becomes the bytes used. Invalid pairs give a space and use one byte.
unsigned short Gb180302Unicode(unsigned char* p, int* len);
// n bytes of GB text -> 16-bit units stored low byte first (out holds at
// least n units); returns the unit count. No terminator.
int GB2UnicodeByLen(char* s, int n, unsigned short* out);
// GB2UnicodeByLen over a zero-terminated string.
int GB2Unicode(char* s, unsigned short* out);
// GB2312 character (hi from 0xA7) -> Unicode value, stored in *out when out
// is given and returned; 0 when the code is outside the table.
unsigned short GB2UnicodeWord(unsigned char hi, unsigned char lo, unsigned short* out);
// One UCS-2 unit at u, big-endian (U2G) or little-endian (U2G2) -> its two
// GB2312 bytes at out (0 0 when GB2312 lacks it). Returns out.
char* U2G(char* u, char* out);
char* U2G2(char* u, char* out);

// Single/double-byte text (n bytes, n <= 0 meaning strlen) -> wide characters
// (a byte, or lead << 8 | trail). *out, when null, gets a new buffer of 2n+2
// bytes; otherwise it must hold n units. Returns the count, also in *count.
int Char2String(char const* s, int n, unsigned short** out, int* count);
// Char2String plus a terminating zero unit (a given *out holds n+1 units);
// *singleByteOnly, when given, gets 1 if no double-byte character occurred.
int AChar2String(char const* s, int n, unsigned short** out, int* count, unsigned char* singleByteOnly);
// Wide characters back to a new zero-terminated byte string in *out (caller
// frees); returns strlen of it, also in *len. Null or empty input gives 0.
int String2Char(unsigned short* w, int n, char** out, int* len);

// iconv from the encoding `from` to `to`: converts input (inlen bytes) once
// into out (outsize bytes); returns the bytes produced, 0 when iconv does not
// know an encoding.
int my_iconv2(char const* to, char const* from, char* out, unsigned int outsize, char* in, unsigned int inlen);

// GB2312 -> Unicode for rows 0xA7-0xF7: entry (hi, lo) at 2 * ((hi - 0xA7) * 94
// + (lo - 0xA1)), high byte first.
extern const unsigned char GtoU[81 * 94 * 2];
// Unicode -> GB2312: entry u at 2 * u, GB code high byte first, 0 0 when none.
extern unsigned char UtoG[65536 * 2];
