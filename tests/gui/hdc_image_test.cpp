// Images through the drawing context: what GL_HDC's and kpx_*'s loaders
// upload and what draw_bitmap sends, against a stand-in server; a file that
// cannot be read gives an item that draws nothing.
#include "fake_server.h"

#include "gl_hdc.h"
#include "gl_image.h"
#include "gui_util.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern unsigned char power03_data_0040_0022[];

namespace {

enum : unsigned { CreatePixmap = 10, FreePixmap = 11, UpdatePixmap = 12, CopyAreaP2P = 14 };

// 6 x 3: red (grey 87), mid grey (128) and transparent pixels.
const char* const kXpmRows[] = {"r..g.r", ".rg..g", "gg..rr"};

std::string MakeDir() {
    char t[] = "/tmp/hdc-image-XXXXXX";
    return mkdtemp(t);
}

struct Dir {
    std::string path = MakeDir();
    ~Dir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string Write(const char* name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
        return path + "/" + name;
    }
};

// The rows of one pixmap's UpdatePixmap requests, in row order.
std::string Rows(const std::vector<Msg>& msgs, uint32_t id, int rowBytes) {
    std::string rows;
    for (const Msg& m : msgs)
        if (m.type() == UpdatePixmap && m.word(4) == id && m.bytes.size() == size_t(28 + rowBytes) &&
            m.word(12) == uint32_t(rows.size() / size_t(rowBytes)))
            rows.append(reinterpret_cast<const char*>(&m.bytes[28]), size_t(rowBytes));
    return rows;
}

TEST(HdcImage, LoadedImagesAreCopiedThroughTheirMaskAndBrokenFilesDrawNothing) {
    FakeServer server;
    Dir dir;
    std::string xpm = "/* XPM */\n\"6 3 3 1\",\"r c #FF0000\",\"g c #808080\",\". c None\",\n";
    for (const char* row : kXpmRows)
        xpm += std::string("\"") + row + "\",\n";
    const std::string xpmPath = dir.Write("shape.xpm", xpm);
    std::string xpmGrey, xpmMask; // expected opaque pixels ('\0' where transparent) and mask bytes
    for (const char* row : kXpmRows) {
        unsigned char bits = 0;
        for (int x = 0; x < 6; ++x) {
            xpmGrey += row[x] == 'r' ? char(87) : row[x] == 'g' ? char(128) : '\0';
            if (row[x] != '.') bits |= uint8_t(1u << x);
        }
        xpmMask += char(bits);
    }
    const std::string brokenPng = dir.Write("cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0", 18));
    const std::string emptyBmp = dir.Write("empty.bmp", "");

    GL_HDC dc;
    const uint32_t target = uint32_t(dc.createPixmap(100, 80, 8));
    server.Take();

    struct Case {
        const char* what;
        std::function<GL_ImageListItem*()> load;
        int w, h;              // 0: the file cannot be read
        const std::string* px; // expected pixels; '\0' bytes are not compared (transparent)
        const std::string* mask;
    };
    const std::string builtin(reinterpret_cast<const char*>(power03_data_0040_0022), 40 * 22);
    char power03[] = "/Kora/res/power03.jpg";
    const Case cases[] = {
        {"xpm via member", [&] { return dc.load_bitmap_from_file(const_cast<char*>(xpmPath.c_str())); }, 6, 3, &xpmGrey,
         &xpmMask},
        {"xpm via kpx", [&] { return kpx_load_png_from_file(const_cast<char*>(xpmPath.c_str())); }, 6, 3, &xpmGrey,
         &xpmMask},
        {"built-in", [&] { return dc.load_jpg_from_file(power03); }, 40, 22, &builtin, nullptr},
        {"built-in via kpx", [&] { return kpx_load_jpg_from_file(power03); }, 40, 22, &builtin, nullptr},
        {"truncated png", [&] { return dc.load_png_from_file(const_cast<char*>(brokenPng.c_str())); }, 0, 0, nullptr,
         nullptr},
        {"empty file", [&] { return kpx_load_bitmap_from_file(const_cast<char*>(emptyBmp.c_str())); }, 0, 0, nullptr,
         nullptr},
        {"missing file", [&] { return dc.load_jpg_from_file(const_cast<char*>("/nonexistent/x.jpg")); }, 0, 0, nullptr,
         nullptr},
        {"no path", [&] { return kpx_load_png_from_file(nullptr); }, 0, 0, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GL_ImageListItem* item = c.load();
        ASSERT_NE(item, nullptr);
        std::vector<Msg> upload = server.Take();
        if (c.w == 0) {
            // Fails cleanly: no image, nothing on the wire, nothing drawn.
            EXPECT_FALSE(item->IsGood());
            EXPECT_EQ(item->GetPixmapId(), 0u);
            EXPECT_TRUE(upload.empty());
            EXPECT_EQ(dc.draw_bitmap(1, 1, 10, 10, item), 0);
            EXPECT_EQ(kpx_draw_bitmap(&dc, 1, 1, 10, 10, item), 0);
            EXPECT_TRUE(server.Take().empty());
            delete item;
            continue;
        }
        ASSERT_TRUE(item->IsGood());
        EXPECT_EQ(std::vector<int>({item->width, item->height}), std::vector<int>({c.w, c.h}));
        const uint32_t pix = uint32_t(item->GetPixmapId()), mask = uint32_t(item->GetMaskId());
        EXPECT_EQ(mask != 0, c.mask != nullptr);
        // The pixels that reach the server, row by row.
        std::string rows = Rows(upload, pix, c.w);
        ASSERT_EQ(rows.size(), c.px->size());
        for (size_t i = 0; i < rows.size(); ++i)
            if ((*c.px)[i]) {
                ASSERT_EQ(uint8_t(rows[i]), uint8_t((*c.px)[i])) << "pixel " << i;
            }
        if (c.mask) {
            EXPECT_EQ(Rows(upload, mask, 1), *c.mask);
        }

        // The image's pixmap from (0, 0), w x h, to (x, y), through its mask.
        EXPECT_EQ(dc.draw_bitmap(7, 9, c.w, c.h - 1, item), 1);
        EXPECT_EQ(kpx_draw_bitmap(&dc, 20, 30, 4, 2, item), 1);
        std::vector<Msg> copies = server.Take();
        ASSERT_EQ(copies.size(), 2u);
        const uint32_t want[2][10] = {
            {CopyAreaP2P, pix, target, mask, 0, 0, uint32_t(c.w), uint32_t(c.h - 1), 7, 9},
            {CopyAreaP2P, pix, target, mask, 0, 0, 4, 2, 20, 30},
        };
        for (int k = 0; k < 2; ++k) {
            std::vector<uint32_t> got = {copies[size_t(k)].type()};
            for (size_t off = 4; off <= 36; off += 4)
                got.push_back(copies[size_t(k)].word(off));
            EXPECT_EQ(got, std::vector<uint32_t>(want[k], want[k] + 10)) << "copy " << k;
        }

        // Nothing to copy: an empty size, no image, no context or no pixmap.
        GL_HDC bare;
        EXPECT_EQ(dc.draw_bitmap(0, 0, 0, 5, item), 0);
        EXPECT_EQ(dc.draw_bitmap(0, 0, 5, -1, item), 0);
        EXPECT_EQ(dc.draw_bitmap(0, 0, 5, 5, nullptr), 0);
        EXPECT_EQ(kpx_draw_bitmap(nullptr, 0, 0, 5, 5, item), 0);
        EXPECT_EQ(bare.draw_bitmap(0, 0, 5, 5, item), 0);
        EXPECT_TRUE(server.Take().empty());

        // The caller owns the item: deleting it frees its pixmaps.
        delete item;
        std::vector<uint32_t> freed;
        for (const Msg& m : server.Take())
            if (m.type() == FreePixmap) freed.push_back(m.word(4));
        EXPECT_EQ(freed.size(), mask ? 2u : 1u);
        EXPECT_NE(std::find(freed.begin(), freed.end(), pix), freed.end());
    }
}

} // namespace
