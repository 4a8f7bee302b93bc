// The image readers against an independent decoder: ImageMagick makes test
// pictures in every format and flavour and decodes them itself; our grey
// pixels must equal GL_RGB2Pixel of its colours (exactly, or within one level
// where the two round differently). Then the rules of detection and the size
// limits, and hostile data: truncated, oversized, zero-sized and inconsistent
// files must fail cleanly (the sanitizers watch every read).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gl_image.h"
#include "gui_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

// GL_RGB2Pixel, written out here from its definition.
int Rule(int r, int g, int b) { return r == g && g == b ? r : (11 * r + 16 * g + 5 * b) / 32; }

class Dir {
public:
    Dir() {
        char t[] = "/tmp/image-decode-XXXXXX";
        path_ = mkdtemp(t);
    }
    ~Dir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

Bytes ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}
void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

bool Convert(const std::string& args) {
    std::string cmd = "convert " + args + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

struct Grey {
    int w = 0, h = 0;
    std::vector<int> v;    // grey per pixel
    std::vector<int> mask; // 1 opaque, 0 transparent (all 1 when none)
};

// ImageMagick's decoding of `file` (its first image unless a frame index is
// given in the name): RGBA bytes, then the rule.
Grey Reference(const Dir& dir, const std::string& file, int w, int h, bool flattenOnWhite = false) {
    Grey g;
    const std::string raw = dir / "ref.rgba";
    std::string src = file.find('[') == std::string::npos ? file + "[0]" : file;
    std::string flatten = flattenOnWhite ? "-background white -alpha remove " : "";
    EXPECT_TRUE(Convert("'" + src + "' " + flatten + "-depth 8 rgba:" + raw)) << file;
    Bytes b = ReadAll(raw);
    EXPECT_EQ(b.size(), size_t(w) * h * 4) << file;
    if (b.size() != size_t(w) * h * 4) return g;
    g.w = w, g.h = h;
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        g.v.push_back(Rule(b[4 * i], b[4 * i + 1], b[4 * i + 2]));
        g.mask.push_back(b[4 * i + 3] == 255 ? 1 : 0);
    }
    return g;
}

Grey Ours(const Bytes& data) {
    Grey g;
    // An exact-size heap copy: a read past the end is caught by the sanitizer.
    char* copy = static_cast<char*>(malloc(data.size()));
    memcpy(copy, data.data(), data.size());
    unsigned char *pixels = nullptr, *mask = nullptr;
    int ok = GL_DecodeImageData(copy, int(data.size()), &g.w, &g.h, &pixels, &mask);
    free(copy);
    if (!ok) return Grey{};
    for (int i = 0; i < g.w * g.h; ++i) {
        g.v.push_back(pixels[i]);
        const int x = i % g.w, y = i / g.w;
        g.mask.push_back(mask ? (mask[size_t(y) * ((g.w + 7) / 8) + x / 8] >> (x % 8)) & 1 : 1);
    }
    GL_free(pixels);
    GL_free(mask);
    return g;
}

bool Decodes(const Bytes& data) {
    char* copy = static_cast<char*>(malloc(data.empty() ? 1 : data.size()));
    if (!data.empty()) memcpy(copy, data.data(), data.size());
    int w = -1, h = -1;
    unsigned char *pixels = nullptr, *mask = nullptr;
    int ok = GL_DecodeImageData(copy, int(data.size()), &w, &h, &pixels, &mask);
    free(copy);
    GL_free(pixels);
    GL_free(mask);
    return ok == 1;
}

// Largest difference over the pixels both call opaque; -1 when the sizes or
// the transparency differ. Transparent pixels (of the reference) must be
// transparent in ours when we have a mask, or white in a still GIF.
int Compare(const Grey& ours, const Grey& ref, bool maskExpected, std::string* why) {
    if (ours.w != ref.w || ours.h != ref.h || ref.v.empty()) {
        *why = "size " + std::to_string(ours.w) + "x" + std::to_string(ours.h) + " vs " + std::to_string(ref.w) + "x" +
               std::to_string(ref.h);
        return -1;
    }
    int most = 0;
    for (size_t i = 0; i < ref.v.size(); ++i) {
        if (!ref.mask[i]) {
            if (maskExpected ? ours.mask[i] != 0 : ours.v[i] != 255) {
                *why = "transparent pixel " + std::to_string(i) + " shown";
                return -1;
            }
            continue;
        }
        if (!ours.mask[i]) {
            *why = "opaque pixel " + std::to_string(i) + " hidden";
            return -1;
        }
        most = std::max(most, std::abs(ours.v[i] - ref.v[i]));
    }
    return most;
}

// GIF surgery: the global colour map moved into the first image descriptor
// as a local map (ImageMagick writes a single image with a global map).
Bytes GlobalMapToLocal(const Bytes& in) {
    if (in.size() < 13 || !(in[10] & 0x80)) return {};
    const size_t mapSize = 3u << ((in[10] & 7) + 1);
    const int bits = in[10] & 7;
    Bytes map(in.begin() + 13, in.begin() + 13 + long(mapSize));
    Bytes out(in.begin(), in.begin() + 13);
    out[10] &= 0x70; // no global map
    size_t pos = 13 + mapSize;
    while (pos < in.size() && in[pos] == 0x21) { // extensions up to the image
        size_t p = pos + 2;
        while (p < in.size() && in[p])
            p += in[p] + 1;
        out.insert(out.end(), in.begin() + long(pos), in.begin() + long(p + 1));
        pos = p + 1;
    }
    if (pos + 10 > in.size() || in[pos] != 0x2C) return {};
    Bytes desc(in.begin() + long(pos), in.begin() + long(pos + 10));
    desc[9] = uint8_t((desc[9] & 0x40) | 0x80 | bits);
    out.insert(out.end(), desc.begin(), desc.end());
    out.insert(out.end(), map.begin(), map.end());
    out.insert(out.end(), in.begin() + long(pos + 10), in.end());
    return out;
}

// BMP surgery: a bottom-up file turned top-down (negative height, rows
// reversed), for a 24-bit file of the given size.
Bytes TopDown(const Bytes& in, int w, int h) {
    Bytes out = in;
    const uint32_t off = in[10] | in[11] << 8 | in[12] << 16 | uint32_t(in[13]) << 24;
    const size_t stride = size_t((w * 24 + 31) / 32 * 4);
    for (int y = 0; y < h; ++y)
        memcpy(&out[off + size_t(y) * stride], &in[off + size_t(h - 1 - y) * stride], stride);
    const int32_t neg = -h;
    memcpy(&out[22], &neg, 4);
    return out;
}

struct Case {
    const char* name; // file name (its extension picks the format)
    const char* make; // convert arguments between the source and the file
    int tolerance;    // 0 exact, 1 within one level
    bool mask;        // our reader gives a mask
    bool flatten;     // compare against ImageMagick's picture on white
};

TEST(ImageDecode, EveryFormatAndFlavourMatchesImageMagick) {
    Dir dir;
    const std::string base = dir / "base.png", alpha = dir / "alpha.png";
    constexpr int W = 64, H = 48;
    ASSERT_TRUE(Convert("-seed 7 -size 64x48 plasma: " + base)) << "ImageMagick's convert is needed";
    // A picture with an alpha ramp for the formats that carry transparency.
    ASSERT_TRUE(Convert(base + " -alpha set -channel A -fx 'i/w' +channel " + alpha));

    const Case cases[] = {
        // GIF: colour maps of 1 to 8 bits, interlaced, transparent.
        {"g1.gif", "-colors 2", 0, false, false},
        {"g3.gif", "-colors 8", 0, false, false},
        {"g5.gif", "-colors 32", 0, false, false},
        {"g8.gif", "-colors 256", 0, false, false},
        {"gi.gif", "-colors 100 -interlace GIF", 0, false, false},
        {"gt.gif", "-colors 50 -fill red -draw 'rectangle 5,5,30,20' -transparent red", 0, false, false},
        // PNG: grey of 1 to 16 bits, palette, RGB, RGBA, 16-bit, interlaced.
        {"p_g1.png", "-colorspace Gray -depth 1 -define png:color-type=0", 0, false, false},
        {"p_g4.png", "-colorspace Gray -depth 4 -define png:color-type=0", 0, false, false},
        {"p_g8.png", "-colorspace Gray -depth 8 -define png:color-type=0", 0, false, false},
        {"p_pal.png", "-colors 60 PNG8:", 0, false, false},
        {"p_rgb.png", "-depth 8 PNG24:", 0, false, false},
        {"p_rgba.png", "ALPHA -depth 8 PNG32:", 1, false, true},
        {"p_48.png", "-depth 16 PNG48:", 1, false, false},
        {"p_i.png", "-depth 8 -interlace PNG PNG24:", 0, false, false},
        // JPEG: grey, colour, progressive.
        {"j_grey.jpg", "-colorspace Gray -type Grayscale -quality 90", 0, false, false},
        {"j_col.jpg", "-quality 90", 0, false, false},
        {"j_prog.jpg", "-quality 80 -interlace JPEG", 0, false, false},
        // BMP: 1, 4, 8 (plain and RLE8), 24 and 32 bits.
        {"b1.bmp", "-colors 2 -type Palette BMP3:", 0, false, false},
        {"b4.bmp", "-colors 16 -type Palette BMP3:", 0, false, false},
        {"b8.bmp", "-colors 200 -type Palette -compress None BMP3:", 0, false, false},
        {"b8r.bmp", "-colors 200 -type Palette -compress RLE BMP3:", 0, false, false},
        {"b24.bmp", "-type TrueColor BMP3:", 0, false, false},
        {"b32.bmp", "-type TrueColorAlpha BMP:", 0, false, false},
        // XPM: six hexadecimal digits per colour.
        {"x.xpm", "-depth 8 -colors 40", 0, true, false},
        {"x16.xpm", "-colors 40", 1, true, false}, // four digits per component
        {"xt.xpm", "-depth 8 -colors 40 -fill red -draw 'rectangle 5,5,30,20' -transparent red", 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string make = c.make, src = base;
        if (make.rfind("ALPHA ", 0) == 0) src = alpha, make = make.substr(6);
        const std::string file = dir / c.name;
        // A trailing "FORMAT:" prefixes the output file.
        std::string prefix;
        if (!make.empty() && make.back() == ':') {
            size_t sp = make.rfind(' ');
            prefix = make.substr(sp == std::string::npos ? 0 : sp + 1);
            make = sp == std::string::npos ? "" : make.substr(0, sp);
        }
        ASSERT_TRUE(Convert(src + " " + make + " " + prefix + file));
        std::string why;
        int diff = Compare(Ours(ReadAll(file)), Reference(dir, file, W, H, c.flatten), c.mask, &why);
        EXPECT_GE(diff, 0) << why;
        EXPECT_LE(diff, c.tolerance);
    }

    // GIF with a local colour map only; BMP stored top-down.
    {
        const std::string file = dir / "g8.gif", local = dir / "glocal.gif";
        Bytes moved = GlobalMapToLocal(ReadAll(file));
        ASSERT_FALSE(moved.empty());
        WriteAll(local, moved);
        std::string why;
        EXPECT_EQ(Compare(Ours(moved), Reference(dir, local, W, H), false, &why), 0) << why;
    }
    {
        const std::string file = dir / "b24.bmp", td = dir / "btd.bmp";
        Bytes flipped = TopDown(ReadAll(file), W, H);
        WriteAll(td, flipped);
        std::string why;
        EXPECT_EQ(Compare(Ours(flipped), Reference(dir, file, W, H), false, &why), 0) << why;
    }
}

TEST(ImageDecode, XpmNamesNoneAndLongHexColours) {
    // Names and "None" are transparent; "#rrggbb" and "#rrrrggggbbbb" are
    // opaque (the four-digit components scale to their top eight bits);
    // keys of two characters.
    const std::string xpm = "/* XPM */\nstatic char* x[] = {\n/* c */\n\"4 2 4 2\",\n"
                            "\"aa c #102030\",\n\"bb c red\",\n\"cc c None\",\n\"dd s sym c #FFFF80007F00\",\n"
                            "\"aabbccdd\",\n\"ddccbbaa\"};\n";
    Grey g = Ours(Bytes(xpm.begin(), xpm.end()));
    ASSERT_EQ(g.w, 4);
    ASSERT_EQ(g.h, 2);
    EXPECT_EQ(g.mask, (std::vector<int>{1, 0, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(g.v[0], Rule(0x10, 0x20, 0x30));
    EXPECT_EQ(g.v[3], Rule(0xFF, 0x80, 0x7F));
    EXPECT_EQ(g.v[7], Rule(0x10, 0x20, 0x30));

    // A pixel whose key has no colour, fewer rows than announced, more than
    // 15 characters per pixel, fewer than four numbers.
    for (const char* bad :
         {"/* XPM */\n\"1 1 1 1\",\"a c #000000\",\"b\"", "/* XPM */\n\"1 2 1 1\",\"a c #000000\",\"a\"",
          "/* XPM */\n\"1 1 1 16\",\"aaaaaaaaaaaaaaaa c #000000\",\"aaaaaaaaaaaaaaaa\"",
          "/* XPM */\n\"1 1 1\",\"a c #000000\",\"a\"", "/* XPM */\n\"1 1 99999999999 1\",\"a c #000000\",\"a\""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Decodes(Bytes(bad, bad + strlen(bad))));
    }
}

TEST(ImageDecode, DetectionAndSizeLimits) {
    Dir dir;
    // The GIF signature in any letter case; a 7-byte file with the PNG
    // signature is not a PNG (nor anything else).
    ASSERT_TRUE(Convert("-size 5x3 xc:gray50 " + dir / "s.gif"));
    Bytes gif = ReadAll(dir / "s.gif");
    Bytes lower = gif;
    lower[0] = 'g', lower[1] = 'i', lower[2] = 'f';
    EXPECT_TRUE(Decodes(gif));
    EXPECT_TRUE(Decodes(lower));
    const uint8_t png7[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A};
    EXPECT_FALSE(Decodes(Bytes(png7, png7 + 7)));
    EXPECT_FALSE(Decodes({}));
    EXPECT_FALSE(Decodes({'B'}));
    unsigned char* pixels = nullptr;
    EXPECT_EQ(GL_DecodeImageData(nullptr, 10, nullptr, nullptr, &pixels, nullptr), 0);
    EXPECT_EQ(GL_DecodeImageData(reinterpret_cast<const char*>(gif.data()), 0, nullptr, nullptr, &pixels, nullptr), 0);

    // 2000 x 1500 is the largest picture; one pixel more either way fails.
    struct Limit {
        const char* size;
        const char* ext;
        bool ok;
    } limits[] = {
        {"2000x1500", "jpg", true}, {"2001x10", "jpg", false},  {"10x1501", "jpg", false},  {"2000x1500", "png", true},
        {"2001x10", "png", false},  {"10x1501", "png", false},  {"2000x1500", "gif", true}, {"2001x10", "gif", false},
        {"10x1501", "bmp", false},  {"2000x1500", "bmp", true}, {"2001x10", "bmp", false},
    };
    for (const Limit& l : limits) {
        SCOPED_TRACE(std::string(l.size) + "." + l.ext);
        const std::string file = dir / (std::string("l.") + l.ext);
        ASSERT_TRUE(Convert(std::string("-size ") + l.size + " xc:gray40 " +
                            (std::string(l.ext) == "bmp" ? "BMP3:" : "") + file));
        Bytes data = ReadAll(file);
        EXPECT_EQ(Decodes(data), l.ok);
        if (l.ok) {
            Grey g = Ours(data);
            EXPECT_EQ(std::make_pair(g.w, g.h), std::make_pair(2000, 1500));
            EXPECT_EQ(g.v[size_t(g.w) * g.h - 1], 102); // gray40
        }
    }
}

// Writes a little-endian 32-bit value.
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

TEST(ImageDecode, HostileFilesFailCleanly) {
    Dir dir;
    const std::string src = "-seed 3 -size 40x30 plasma: ";
    ASSERT_TRUE(Convert(src + "-quality 85 " + dir / "h.jpg"));
    ASSERT_TRUE(Convert(src + "-interlace JPEG " + dir / "hp.jpg"));
    ASSERT_TRUE(Convert(src + dir / "h.png"));
    ASSERT_TRUE(Convert(src + "-interlace PNG " + dir / "hi.png"));
    ASSERT_TRUE(Convert(src + dir / "h.gif"));
    ASSERT_TRUE(Convert(src + "BMP3:" + dir / "h.bmp"));
    ASSERT_TRUE(Convert(src + "-colors 200 -compress RLE BMP3:" + dir / "hr.bmp"));
    ASSERT_TRUE(Convert(src + "-depth 8 " + dir / "h.xpm"));

    // Every file decodes whole and fails when cut in the middle of its
    // pixels; cuts at every 97th byte must never crash or read outside.
    for (const char* name : {"h.jpg", "hp.jpg", "h.png", "hi.png", "h.gif", "h.bmp", "hr.bmp", "h.xpm"}) {
        SCOPED_TRACE(name);
        Bytes full = ReadAll(dir / name);
        ASSERT_TRUE(Decodes(full));
        EXPECT_FALSE(Decodes(Bytes(full.begin(), full.begin() + long(full.size() / 2))));
        for (size_t cut = 0; cut < full.size(); cut += 97)
            Decodes(Bytes(full.begin(), full.begin() + long(cut)));
        // Bytes flipped all over: any outcome but a crash or a stray read.
        Bytes noisy = full;
        for (size_t i = 20; i < noisy.size(); i += 31)
            noisy[i] ^= 0x5A;
        Decodes(noisy);
    }

    Bytes bmp = ReadAll(dir / "h.bmp");
    Bytes rle = ReadAll(dir / "hr.bmp");
    Bytes png = ReadAll(dir / "h.png");
    Bytes gif = ReadAll(dir / "h.gif");
    Bytes jpg = ReadAll(dir / "h.jpg");
    auto with = [](Bytes b, auto edit) {
        edit(b);
        return b;
    };
    // PNG header fields with a valid checksum, so that libpng reads them.
    auto pngSize = [&](uint32_t w, uint32_t h) {
        return with(png, [&](Bytes& b) {
            for (int i = 0; i < 4; ++i)
                b[16 + size_t(i)] = uint8_t(w >> (24 - 8 * i)), b[20 + size_t(i)] = uint8_t(h >> (24 - 8 * i));
            uint32_t crc = Crc32(&b[12], 17);
            for (int i = 0; i < 4; ++i)
                b[29 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        });
    };
    auto jpgSize = [&](uint16_t w, uint16_t h) {
        return with(jpg, [&](Bytes& b) {
            for (size_t i = 2; i + 9 < b.size(); ++i)
                if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
                    b[i + 5] = uint8_t(h >> 8), b[i + 6] = uint8_t(h), b[i + 7] = uint8_t(w >> 8),
                          b[i + 8] = uint8_t(w);
                    break;
                }
        });
    };
    const struct {
        const char* what;
        Bytes data;
    } bad[] = {
        {"bmp width 0", with(bmp, [](Bytes& b) { Put32(b, 18, 0); })},
        {"bmp height 0", with(bmp, [](Bytes& b) { Put32(b, 22, 0); })},
        {"bmp width 2001", with(bmp, [](Bytes& b) { Put32(b, 18, 2001); })},
        {"bmp width 0x7fffffff", with(bmp, [](Bytes& b) { Put32(b, 18, 0x7fffffff); })},
        {"bmp height INT_MIN", with(bmp, [](Bytes& b) { Put32(b, 22, 0x80000000u); })},
        {"bmp top-down 1501", with(bmp, [](Bytes& b) { Put32(b, 22, uint32_t(-1501)); })},
        {"bmp more rows than data", with(bmp, [](Bytes& b) { Put32(b, 22, 31); })},
        {"bmp pixels beyond the file", with(bmp, [&](Bytes& b) { Put32(b, 10, uint32_t(b.size())); })},
        {"bmp 7 bits per pixel", with(bmp, [](Bytes& b) { Put16(b, 28, 7); })},
        {"bmp RLE8 at 24 bits", with(bmp, [](Bytes& b) { Put32(b, 30, 1); })},
        {"bmp header size 1000", with(bmp, [](Bytes& b) { Put32(b, 14, 1000); })},
        {"bmp RLE top-down", with(rle, [](Bytes& b) { Put32(b, 22, uint32_t(-30)); })},
        {"bmp RLE ending before its last row", Bytes(rle.begin(), rle.end() - 40)},
        {"png width 0", pngSize(0, 30)},
        {"png 2001 wide", pngSize(2001, 30)},
        {"png 0x7fffffff high", pngSize(40, 0x7fffffff)},
        {"png without its end chunk", Bytes(png.begin(), png.end() - 12)},
        {"gif screen 0x0", with(gif, [](Bytes& b) { Put16(b, 6, 0), Put16(b, 8, 0); })},
        {"gif screen 65535 wide", with(gif, [](Bytes& b) { Put16(b, 6, 65535); })},
        {"gif header only", Bytes(gif.begin(), gif.begin() + 13)},
        {"jpeg 0 wide", jpgSize(0, 30)},
        {"jpeg 65535 x 65535", jpgSize(65535, 65535)},
        {"jpeg 2001 wide", jpgSize(2001, 30)},
        {"jpeg without end", Bytes(jpg.begin(), jpg.end() - 200)},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.what);
        EXPECT_FALSE(Decodes(b.data));
    }
}

TEST(ImageDecode, RawJpegDitherAndConversionHelpers) {
    Dir dir;
    ASSERT_TRUE(Convert("-size 30x20 gradient:white-black -quality 95 " + dir / "r.jpg"));
    Bytes jpg = ReadAll(dir / "r.jpg");
    int w = 0, h = 0;
    unsigned char* grey = decode_jpeg_gray(jpg.data(), int(jpg.size()), &w, &h);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 20);
    Grey ref = Reference(dir, dir / "r.jpg", 30, 20);
    for (int i = 0; i < w * h; ++i)
        ASSERT_EQ(grey[i], ref.v[size_t(i)]) << i;
    GL_free(grey);
    EXPECT_EQ(decode_jpeg_gray(jpg.data(), 0, &w, &h), nullptr);
    EXPECT_EQ(decode_jpeg_gray(jpg.data(), 100, &w, &h), nullptr);

    // Ordered dithering to eight levels keeps levels, and the mean of a flat
    // area stays within one step of the original.
    std::vector<unsigned char> flat(64 * 64, 100);
    smgDither8Gto8C(flat.data(), 64, 64);
    const std::vector<int> levels = {0, 37, 73, 110, 146, 183, 219, 255};
    long sum = 0;
    for (unsigned char v : flat) {
        EXPECT_NE(std::find(levels.begin(), levels.end(), v), levels.end()) << int(v);
        sum += v;
    }
    EXPECT_NEAR(double(sum) / flat.size(), 100.0, 4.0);
    EXPECT_TRUE(std::count(flat.begin(), flat.end(), 73) && std::count(flat.begin(), flat.end(), 110));
    for (int level : levels) { // a level is kept everywhere, as the server's dither keeps it
        std::vector<unsigned char> block(64, uint8_t(level));
        smgDither8Gto8C(block.data(), 8, 8);
        EXPECT_EQ(std::count(block.begin(), block.end(), level), 64) << level;
    }
    // Error diffusion to one bit: only 0 and 128 remain, the mean is kept.
    std::vector<unsigned char> ramp(64 * 16);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = uint8_t(i % 64 * 2);
    DitherRawImage(ramp.data(), 64, 16, 1, 0);
    long rampSum = 0;
    for (unsigned char v : ramp) {
        EXPECT_TRUE(v == 0 || v == 128) << int(v);
        rampSum += v;
    }
    // (Truncated shares of the error and the edges lose a little; without
    // diffusion every sample below 128 would become 0.)
    EXPECT_NEAR(double(rampSum) / ramp.size(), 63.0, 6.0);
}

} // namespace
