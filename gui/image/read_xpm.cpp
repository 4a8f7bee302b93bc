// XPM by hand: the C source form, strings in double quotes. Colours given as
// "#" with 6 or 12 hexadecimal digits are opaque; any other colour (a name,
// "None") is transparent. Every string is located and checked before the
// pixel buffers are allocated, so their size is bounded by the data itself.
#include "gl_image.h"

#include "gui_util.h"
#include "image/image_decode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace gui_image {
namespace {

// The quoted strings of the data, in order (escape sequences are not
// interpreted: XPM strings do not use them).
std::vector<std::string_view> Strings(const char* text, size_t length, size_t most) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < length && out.size() < most) {
        const char c = text[i];
        if (c == '/' && i + 1 < length && text[i + 1] == '*') { // comment
            const void* end = i + 2 < length ? memmem(text + i + 2, length - i - 2, "*/", 2) : nullptr;
            if (!end) break;
            i = size_t(static_cast<const char*>(end) - text) + 2;
        } else if (c == '"') {
            const void* end = memchr(text + i + 1, '"', length - i - 1);
            if (!end) break;
            const size_t close = size_t(static_cast<const char*>(end) - text);
            out.emplace_back(text + i + 1, close - i - 1);
            i = close + 1;
        } else {
            ++i;
        }
    }
    return out;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(c | 0x20);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Parses "#rrggbb" or "#rrrrggggbbbb". False for anything else.
bool ParseColour(std::string_view v, unsigned char* grey) {
    if (v.size() != 7 && v.size() != 13) return false;
    if (v[0] != '#') return false;
    const size_t digits = (v.size() - 1) / 3;
    unsigned rgb[3];
    for (int c = 0; c < 3; ++c) {
        unsigned value = 0;
        for (size_t k = 0; k < digits; ++k) {
            int d = Hex(v[1 + c * digits + k]);
            if (d < 0) return false;
            value = value << 4 | unsigned(d);
        }
        // Four digits per component carry 16 bits: the top eight are the
        // 8-bit component (the low eight would be noise).
        rgb[c] = digits == 4 ? value >> 8 : value;
    }
    *grey = Grey(rgb[0], rgb[1], rgb[2]);
    return true;
}

struct Colour {
    std::string_view key;
    bool opaque;
    unsigned char grey;
};

// The colour after the "c" key of a colour line (its key already removed).
// A name of several words ends at the next key of the line.
std::string_view ColourOfC(std::string_view rest) {
    static const std::string_view keys[] = {"c", "m", "g", "g4", "s"};
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < rest.size() && rest[i] != ' ' && rest[i] != '\t')
            ++i;
        if (i > start) words.push_back(rest.substr(start, i - start));
    }
    for (size_t w = 0; w + 1 < words.size(); ++w) {
        if (words[w] != "c") continue;
        std::string_view first = words[w + 1];
        size_t end = w + 2;
        while (end < words.size() && std::find(std::begin(keys), std::end(keys), words[end]) == std::end(keys))
            ++end;
        const char* tail = words[end - 1].data() + words[end - 1].size();
        return std::string_view(first.data(), size_t(tail - first.data()));
    }
    return {};
}

} // namespace

bool DecodeXPM(const uint8_t* bytes, size_t length, Decoded* out) {
    if (!bytes || length < 9) return false;
    const char* text = reinterpret_cast<const char*>(bytes);
    std::vector<std::string_view> first = Strings(text, length, 1);
    if (first.empty()) return false;
    long long w = 0, h = 0, ncolours = 0, cpp = 0;
    {
        // The values string is short; a copy gives sscanf its terminator.
        char values[128] = {};
        memcpy(values, first[0].data(), std::min(first[0].size(), sizeof values - 1));
        if (sscanf(values, "%lld %lld %lld %lld", &w, &h, &ncolours, &cpp) != 4) return false;
    }
    if (cpp < 1 || cpp > 15 || w < 1 || h < 1 || ncolours < 1) return false;
    // Every colour and every row needs its own string: counts beyond what
    // the data can hold are refused before anything is reserved for them.
    if (ncolours > (long long)length / 3 || h > (long long)length / 3 || w > (long long)length / cpp) return false;
    const size_t needed = size_t(1 + ncolours + h);
    std::vector<std::string_view> strings = Strings(text, length, needed);
    if (strings.size() < needed) return false;

    std::vector<Colour> colours;
    colours.reserve(size_t(ncolours));
    for (long long i = 0; i < ncolours; ++i) {
        std::string_view line = strings[size_t(1 + i)];
        if (line.size() < size_t(cpp)) return false;
        Colour c{line.substr(0, size_t(cpp)), false, 0};
        c.opaque = ParseColour(ColourOfC(line.substr(size_t(cpp))), &c.grey);
        colours.push_back(c);
    }
    // Sorted by key for the look-ups; the first of equal keys wins.
    std::stable_sort(colours.begin(), colours.end(), [](const Colour& a, const Colour& b) { return a.key < b.key; });
    // One-character keys are looked up in a table.
    int direct[256];
    std::fill(std::begin(direct), std::end(direct), -1);
    if (cpp == 1)
        for (size_t i = colours.size(); i-- > 0;)
            direct[static_cast<unsigned char>(colours[i].key[0])] = int(i);

    for (long long y = 0; y < h; ++y)
        if (strings[size_t(1 + ncolours + y)].size() < size_t(w * cpp)) return false;
    const size_t stride = MaskStride(int(w));
    unsigned char* pixels = static_cast<unsigned char*>(GL_malloc(int(w * h)));
    unsigned char* mask = static_cast<unsigned char*>(GL_cmalloc(int(stride * size_t(h))));
    if (!pixels || !mask) {
        GL_free(pixels);
        GL_free(mask);
        return false;
    }
    for (long long y = 0; y < h; ++y) {
        std::string_view row = strings[size_t(1 + ncolours + y)];
        for (long long x = 0; x < w; ++x) {
            std::string_view key = row.substr(size_t(x * cpp), size_t(cpp));
            const Colour* c = nullptr;
            if (cpp == 1) {
                int i = direct[static_cast<unsigned char>(key[0])];
                c = i >= 0 ? &colours[size_t(i)] : nullptr;
            } else {
                auto it = std::lower_bound(colours.begin(), colours.end(), key,
                                           [](const Colour& a, std::string_view k) { return a.key < k; });
                c = it != colours.end() && it->key == key ? &*it : nullptr;
            }
            if (!c) { // a pixel of no colour: the file is inconsistent
                GL_free(pixels);
                GL_free(mask);
                return false;
            }
            pixels[size_t(y * w + x)] = c->opaque ? c->grey : 0;
            if (c->opaque) mask[size_t(y) * stride + size_t(x / 8)] |= static_cast<unsigned char>(1u << (x % 8));
        }
    }
    out->width = int(w);
    out->height = int(h);
    out->pixels = pixels;
    out->mask = mask;
    return true;
}

} // namespace gui_image
