// Conversions between GB text, UTF-8 and UCS-2. Every decoder bounds its
// reads by the input length it is given and its writes by the output size
// its contract states (see gui_conv.h).
#include "gui_conv.h"

#include "gui_util.h"
#include "runtime/gbtables.h"

#include <cstring>
#include <iconv.h>

unsigned char UtoG[65536 * 2];

namespace {

const unsigned short kReplacement = 0x0080;

inline void PutBE(unsigned char* out, int& o, unsigned short u) {
    out[o++] = (unsigned char)(u >> 8);
    out[o++] = (unsigned char)(u & 0xFF);
}

inline bool IsCont(unsigned char b) { return (b & 0xC0) == 0x80; }

// The inverse table is built from the forward one when the library is loaded,
// before any client code can run; the first GB code of a value wins. The
// converters also ask for it, in case a static initialiser of the library
// runs before this one.
void PutUtoG(unsigned short u, int hi, int lo) {
    if (u == 0 || UtoG[2 * u] != 0) return;
    UtoG[2 * u] = (unsigned char)hi;
    UtoG[2 * u + 1] = (unsigned char)lo;
}

bool utoGBuilt = false;

__attribute__((constructor)) void BuildUtoG() {
    if (utoGBuilt) return;
    utoGBuilt = true;
    for (int i = 0; i < kGb2312SymbolCells; i++)
        PutUtoG(kGb2312Symbols[i], 0xA1 + i / 94, 0xA1 + i % 94);
    for (int i = 0; i < 81 * 94; i++)
        PutUtoG((unsigned short)(GtoU[2 * i] << 8 | GtoU[2 * i + 1]), 0xA7 + i / 94, 0xA1 + i % 94);
}

} // namespace

char* MU82U(char* in, char* out, int* len) {
    if (!len) return out;
    if (*len == 0) return in;
    if (*len < 0 || !in || !out) {
        *len = 0;
        return out;
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(in);
    unsigned char* d = reinterpret_cast<unsigned char*>(out);
    int n = *len, i = 0, o = 0;
    while (i < n) {
        unsigned char b = s[i];
        int left = n - i;
        if (b < 0x80) {
            PutBE(d, o, b);
            i += 1;
        } else if (IsCont(b)) {
            PutBE(d, o, kReplacement);
            i += 1;
        } else if ((b & 0xE0) == 0xC0) {
            if (left < 2) break;
            if (IsCont(s[i + 1]))
                PutBE(d, o, (unsigned short)((b & 0x1F) << 6 | (s[i + 1] & 0x3F)));
            else
                PutBE(d, o, kReplacement);
            i += 2;
        } else if ((b & 0xF0) == 0xE0) {
            if (left < 3) break;
            if (!IsCont(s[i + 1])) {
                PutBE(d, o, kReplacement);
                i += 2;
            } else {
                if (IsCont(s[i + 2]))
                    PutBE(d, o, (unsigned short)((b & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F)));
                else
                    PutBE(d, o, kReplacement);
                i += 3;
            }
        } else {
            // Four-byte forms and invalid leads: outside UCS-2.
            PutBE(d, o, kReplacement);
            i += 4;
        }
    }
    *len = o;
    return out;
}

char* MU2U8(char* in, char* out, int* len) {
    if (!len) return out;
    if (*len < 2 || !in || !out) {
        *len = 0;
        return out;
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(in);
    unsigned char* d = reinterpret_cast<unsigned char*>(out);
    int n = *len, o = 0;
    for (int i = 0; n - i >= 2; i += 2) {
        unsigned u = unsigned(s[i]) << 8 | s[i + 1];
        if (u < 0x80) {
            d[o++] = (unsigned char)u;
        } else if (u < 0x800) {
            d[o++] = (unsigned char)(0xC0 | u >> 6);
            d[o++] = (unsigned char)(0x80 | (u & 0x3F));
        } else {
            d[o++] = (unsigned char)(0xE0 | u >> 12);
            d[o++] = (unsigned char)(0x80 | (u >> 6 & 0x3F));
            d[o++] = (unsigned char)(0x80 | (u & 0x3F));
        }
    }
    *len = o;
    return out;
}

char* MG2U(char* in, char* out, int* len) {
    if (!len) return out;
    if (*len <= 0 || !in || !out) {
        *len = 0;
        return out;
    }
    unsigned char* s = reinterpret_cast<unsigned char*>(in);
    unsigned char* d = reinterpret_cast<unsigned char*>(out);
    int n = *len, i = 0, o = 0;
    while (i < n) {
        if (s[i] < 0x80) {
            PutBE(d, o, s[i]);
            i += 1;
            continue;
        }
        if (n - i < 2) break;
        int two = 2;
        PutBE(d, o, Gb180302Unicode(s + i, &two));
        i += 2;
    }
    *len = o;
    return out;
}

char* MU2G(char* in, char* out, int* len) {
    if (!len) return out;
    if (*len < 2 || !in || !out) {
        *len = 0;
        return out;
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(in);
    unsigned char* d = reinterpret_cast<unsigned char*>(out);
    BuildUtoG();
    int n = *len, o = 0;
    for (int i = 0; n - i >= 2; i += 2) {
        if (s[i] == 0 && s[i + 1] < 0x80) {
            d[o++] = s[i + 1];
            continue;
        }
        unsigned u = unsigned(s[i]) << 8 | s[i + 1];
        if (UtoG[2 * u]) {
            d[o++] = UtoG[2 * u];
            d[o++] = UtoG[2 * u + 1];
        } else {
            d[o++] = '?';
            d[o++] = '?';
        }
    }
    *len = o;
    return out;
}

char* MG2U8(char* in, int* len) {
    if (!in || !len || *len <= 0 || *len > 0x10000000) return nullptr;
    int n = *len;
    char* ucs = static_cast<char*>(GL_malloc(2 * n));
    char* utf8 = static_cast<char*>(GL_cmalloc(3 * n + 1));
    if (!ucs || !utf8) {
        GL_free(ucs);
        GL_free(utf8);
        return nullptr;
    }
    int m = n;
    MG2U(in, ucs, &m);
    MU2U8(ucs, utf8, &m);
    GL_free(ucs);
    utf8[m] = '\0';
    *len = m;
    return utf8;
}

char* MU82G(char* in, int* len) {
    if (!in || !len || *len <= 0 || *len > 0x10000000) return nullptr;
    int n = *len;
    char* ucs = static_cast<char*>(GL_malloc(2 * n));
    char* gb = static_cast<char*>(GL_cmalloc(2 * n + 1));
    if (!ucs || !gb) {
        GL_free(ucs);
        GL_free(gb);
        return nullptr;
    }
    int m = n;
    MU82U(in, ucs, &m);
    MU2G(ucs, gb, &m);
    GL_free(ucs);
    gb[m] = '\0';
    *len = m;
    return gb;
}

unsigned short* Utf82UConvert(char const* s, unsigned long n, int* count) {
    if (count) *count = 0;
    if (!s || !*s) return nullptr;
    if (n == 0) n = strlen(s);
    if (n > 0x10000000UL) return nullptr;
    char* out = static_cast<char*>(GL_cmalloc(int(2 * n + 2)));
    if (!out) return nullptr;
    int m = int(n);
    MU82U(const_cast<char*>(s), out, &m);
    if (count) *count = m / 2;
    return reinterpret_cast<unsigned short*>(out);
}

char* U2Utf8Convert(unsigned short* s, int n, int* len) {
    if (len) *len = 0;
    if (!s || n > 0x1000000) return nullptr;
    if (n < 0) n = 0;
    char* out = static_cast<char*>(GL_cmalloc(4 * n + 52));
    if (!out) return nullptr;
    int m = 2 * n;
    MU2U8(reinterpret_cast<char*>(s), out, &m);
    if (len) *len = m;
    return out;
}

unsigned short Gb180302Unicode(unsigned char* p, int* len) {
    if (!p || !len || *len < 1) {
        if (len) *len = 0;
        return 0;
    }
    int b1 = p[0];
    if (b1 < 0x80) {
        *len = 1;
        return (unsigned short)b1;
    }
    int b2 = *len >= 2 ? p[1] : 0;
    if (*len < 2 || b1 < 0x81 || b1 > 0xFE || b2 < 0x40 || b2 > 0xFE || b2 == 0x7F) {
        *len = 1;
        return 0x20;
    }
    *len = 2;
    if (b2 >= 0xA1) {
        if (b1 >= 0xAA && b1 <= 0xAF) return (unsigned short)(0xE000 + (b1 - 0xAA) * 94 + (b2 - 0xA1));
        if (b1 >= 0xF8) return (unsigned short)(0xE234 + (b1 - 0xF8) * 94 + (b2 - 0xA1));
    } else if (b1 >= 0xA1 && b1 <= 0xA7) {
        return (unsigned short)(0xE4C6 + (b1 - 0xA1) * 96 + (b2 - 0x40) - (b2 >= 0x80 ? 1 : 0));
    }
    int index = (b1 - 0x81) * 190 + (b2 - 0x40) - (b2 >= 0x80 ? 1 : 0);
    if (b1 >= 0xA1 && b1 <= 0xA7) index -= 96 * (b1 - 0xA0);
    if (b1 >= 0xA8) index -= 7 * 96;
    if (b1 >= 0xAA && b1 <= 0xAF) index -= 94 * (b1 - 0xAA);
    if (b1 >= 0xB0) index -= 6 * 94;
    if (b1 >= 0xF8) index -= 94 * (b1 - 0xF8);
    if (index < 0 || index >= kGb18030TwoByteCells) return 0x20; // cannot happen for the ranges above
    return kGb18030TwoByte[index];
}

int GB2UnicodeByLen(char* s, int n, unsigned short* out) {
    if (!s || n <= 0 || !out) return 0;
    unsigned char* p = reinterpret_cast<unsigned char*>(s);
    unsigned char* d = reinterpret_cast<unsigned char*>(out);
    int i = 0, units = 0;
    while (i < n) {
        unsigned short u;
        if (p[i] < 0x80) {
            u = p[i];
            i += 1;
        } else {
            if (n - i < 2) break;
            int two = 2;
            u = Gb180302Unicode(p + i, &two);
            i += 2;
        }
        d[2 * units] = (unsigned char)(u & 0xFF);
        d[2 * units + 1] = (unsigned char)(u >> 8);
        units++;
    }
    return units;
}

int GB2Unicode(char* s, unsigned short* out) {
    if (!s || !*s) return 0;
    size_t n = strlen(s);
    if (n > 0x7fffffff) return 0;
    return GB2UnicodeByLen(s, int(n), out);
}

unsigned short GB2UnicodeWord(unsigned char hi, unsigned char lo, unsigned short* out) {
    unsigned short u = 0;
    if (hi >= 0xA7 && hi <= 0xF7 && lo >= 0xA1 && lo <= 0xFE) {
        int i = (hi - 0xA7) * 94 + (lo - 0xA1);
        u = (unsigned short)(GtoU[2 * i] << 8 | GtoU[2 * i + 1]);
    }
    if (out) *out = u;
    return u;
}

char* U2G(char* u, char* out) {
    if (!u || !out) return out;
    BuildUtoG();
    unsigned v = unsigned((unsigned char)u[0]) << 8 | (unsigned char)u[1];
    out[0] = char(UtoG[2 * v]);
    out[1] = char(UtoG[2 * v + 1]);
    return out;
}

char* U2G2(char* u, char* out) {
    if (!u || !out) return out;
    char be[2] = {u[1], u[0]};
    return U2G(be, out);
}

namespace {

// Shared by Char2String and AChar2String; terminate adds a zero unit.
int WidenGb(char const* s, int n, unsigned short** out, int* count, unsigned char* singleByteOnly, bool terminate) {
    if (count) *count = 0;
    if (singleByteOnly) *singleByteOnly = 1;
    if (!s || !out) return 0;
    if (n <= 0) {
        size_t sl = strlen(s);
        if (sl > 0x10000000) return 0;
        n = int(sl);
    }
    if (n == 0) return 0;
    if (!*out) {
        *out = static_cast<unsigned short*>(GL_cmalloc(2 * n + 2));
        if (!*out) return 0;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    unsigned short* w = *out;
    int i = 0, units = 0;
    while (i < n) {
        if (p[i] >= 0x80 && i + 1 < n) {
            w[units++] = (unsigned short)(p[i] << 8 | p[i + 1]);
            if (singleByteOnly) *singleByteOnly = 0;
            i += 2;
        } else {
            w[units++] = p[i];
            i += 1;
        }
    }
    if (terminate) w[units] = 0;
    if (count) *count = units;
    return units;
}

} // namespace

int Char2String(char const* s, int n, unsigned short** out, int* count) {
    return WidenGb(s, n, out, count, nullptr, false);
}

int AChar2String(char const* s, int n, unsigned short** out, int* count, unsigned char* singleByteOnly) {
    return WidenGb(s, n, out, count, singleByteOnly, true);
}

int String2Char(unsigned short* w, int n, char** out, int* len) {
    if (len) *len = 0;
    if (!w || n <= 0 || w[0] == 0 || !out || n > 0x10000000) return 0;
    char* s = static_cast<char*>(GL_malloc(2 * n + 1));
    if (!s) return 0;
    int o = 0;
    for (int i = 0; i < n; i++) {
        if (w[i] < 256) {
            s[o++] = char(w[i]);
        } else {
            s[o++] = char(w[i] >> 8);
            s[o++] = char(w[i] & 0xFF);
        }
    }
    s[o] = '\0';
    *out = s;
    int l = int(strlen(s));
    if (len) *len = l;
    return l;
}

int my_iconv2(char const* to, char const* from, char* out, unsigned int outsize, char* in, unsigned int inlen) {
    if (!to || !from || !out || !in) return 0;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return 0;
    char* ip = in;
    char* op = out;
    size_t il = inlen, ol = outsize;
    iconv(cd, &ip, &il, &op, &ol);
    // Closed whatever iconv returned: a converter left open on a partial
    // conversion would leak with every call.
    iconv_close(cd);
    return int(outsize - ol);
}
