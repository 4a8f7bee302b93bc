// Generated code tables (gbtables.cpp, made by tools/gen_gbtables), private to libgui.
#pragma once

// GB2312 symbol rows A1-A6, 94 cells a row, as Unicode values.
constexpr int kGb2312SymbolCells = 6 * 94;
extern const unsigned short kGb2312Symbols[kGb2312SymbolCells];

// Two-byte GB18030 in lead/trail order, trail 0x7F and the user-defined
// cells left out (see Gb180302Unicode for the index).
constexpr int kGb18030TwoByteCells = 126 * 190 - 6 * 94 - 7 * 94 - 7 * 96;
extern const unsigned short kGb18030TwoByte[kGb18030TwoByteCells];
