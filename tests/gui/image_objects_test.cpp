// Image pixmaps, items, lists, the image widget, the window image members and
// the GIF animator against an in-process fake server: what goes on the wire
// (inline rows or a temporary file), how the file is made and removed, how
// names are resolved, and how an animation advances on its timer.
#include "fake_server.h"

#include "gl_image.h"
#include "gl_imagewidget.h"
#include "gl_timeout.h"
#include "gui_util.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern int pixno;
extern unsigned char power03_data_0040_0022[];

namespace {

enum : unsigned {
    CreatePixmap = 10,
    FreePixmap = 11,
    UpdatePixmap = 12,
    CopyAreaP2P = 14,
    SetWinShapeSizeOffset = 109,
    SetBackPixmap = 118,
    UpdateBigPixmap = 125,
};

// The emulated root is read once per process: set it before anything runs.
std::string MakeRoot() {
    char t[] = "/tmp/image-objects-XXXXXX";
    std::string root = mkdtemp(t);
    mkdir((root + "/tmp").c_str(), 0755);
    setenv("EINK_ROOT", root.c_str(), 1);
    return root;
}
const std::string gRoot = MakeRoot();
struct RootRemover {
    ~RootRemover() { std::system(("rm -rf '" + gRoot + "'").c_str()); }
} gRootRemover;

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Runs `fn` on this thread while another drains the fake server, so that
// large uploads do not fill the socket; returns every request.
template <class Fn> std::vector<Msg> Drained(FakeServer& server, Fn fn) {
    std::atomic<bool> done{false};
    std::vector<Msg> got;
    std::thread reader([&] {
        // Only the writing thread may flush the library's buffer.
        while (!done) {
            for (Msg& m : server.Take(false))
                got.push_back(std::move(m));
            usleep(1000);
        }
        for (Msg& m : server.Take(false))
            got.push_back(std::move(m));
    });
    fn();
    GL_Flush();
    done = true;
    reader.join();
    return got;
}

char* Pattern(int bytes, int seed) {
    char* p = static_cast<char*>(GL_malloc(bytes));
    for (int i = 0; i < bytes; ++i)
        p[i] = char((i * 7 + seed) % 251);
    return p;
}

std::string Path(const Msg& m) { return std::string(reinterpret_cast<const char*>(&m.bytes[28])); }

TEST(ImageUpload, SmallImagesGoInlineLargeOnesThroughAFileTheServerReads) {
    FakeServer server;
    char prog[] = "/usr/bin/imgtest";
    pProgNameFile = prog + 8; // "/imgtest"
    struct Case {
        int w, h, depth;
        bool viaFile;
    } cases[] = {
        {101, 396, 8, false}, // 39996 pixels
        {101, 397, 8, true},  // 40097 pixels, both sides above 100
        {2000, 100, 8, false}, {100, 1500, 8, false},
        {600, 800, 8, true},   {808, 600, 1, true}, // a mask: the file holds 101 bytes per row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "x" + std::to_string(c.depth));
        const int rowBytes = c.w * c.depth / 8;
        char* pattern = Pattern(rowBytes * c.h, c.w);
        const std::string expected(pattern, size_t(rowBytes) * c.h);
        GL_free(pattern);
        GL_ImagePixmap* pix = nullptr;
        int result = -2;
        std::vector<Msg> got = Drained(server, [&] {
            pix = new GL_ImagePixmap(Pattern(rowBytes * c.h, c.w), c.w, c.h, c.depth);
            result = pix->UpdatePixmap();
        });
        EXPECT_EQ(result, 0);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0].type(), CreatePixmap);
        EXPECT_EQ(got[0].word(4), pix->id);
        if (!c.viaFile) {
            ASSERT_EQ(got.size(), size_t(1 + c.h));
            std::string rows;
            for (int y = 0; y < c.h; ++y) {
                const Msg& m = got[size_t(1 + y)];
                ASSERT_EQ(m.type(), UpdatePixmap);
                ASSERT_EQ(m.word(12), uint32_t(y));
                ASSERT_EQ(m.bytes.size(), size_t(28 + rowBytes));
                rows.append(reinterpret_cast<const char*>(&m.bytes[28]), size_t(rowBytes));
            }
            EXPECT_EQ(rows, expected);
        } else {
            ASSERT_EQ(got.size(), 2u);
            const Msg& m = got[1];
            ASSERT_EQ(m.type(), UpdateBigPixmap);
            EXPECT_EQ(m.word(4), pix->id);
            EXPECT_EQ(m.word(16), uint32_t(rowBytes)); // bytes per row, what the server reads
            EXPECT_EQ(m.word(20), uint32_t(c.h));
            EXPECT_EQ(m.word(24), uint32_t(c.depth));
            const std::string path = Path(m);
            char prefix[64];
            snprintf(prefix, sizeof prefix, "/tmp/imgtest_%lx_", (unsigned long)getpid());
            EXPECT_EQ(path.rfind(gRoot + prefix, 0), 0u) << path;
            EXPECT_EQ(path.size(), gRoot.size() + strlen(prefix) + 5) << path;
            struct stat st;
            ASSERT_EQ(lstat(path.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 0777, 0600u) << "only the owner may read the pixels";
            EXPECT_EQ(ReadFile(path), expected);
            unlink(path.c_str()); // what the server does after reading
        }
        delete pix;
        EXPECT_EQ(server.Types(), std::vector<unsigned>{FreePixmap});
    }
}

TEST(ImageUpload, TheTemporaryFileNeverFollowsALinkAndIsRemovedWhenTheUploadFails) {
    FakeServer server;
    char prog[] = "imgtest";
    pProgNameFile = prog;
    // Another user planted a link under the next predictable name.
    const std::string victim = gRoot + "/victim";
    { std::ofstream(victim) << "keep"; }
    char planted[256];
    snprintf(planted, sizeof planted, "%s/tmp/imgtest_%lx_%05d", gRoot.c_str(), (unsigned long)getpid(), pixno);
    ASSERT_EQ(symlink(victim.c_str(), planted), 0);
    GL_ImagePixmap* pix = nullptr;
    std::vector<Msg> got = Drained(server, [&] {
        pix = new GL_ImagePixmap(Pattern(200 * 300, 1), 200, 300, 8);
        EXPECT_EQ(pix->UpdatePixmap(), 0);
    });
    EXPECT_EQ(ReadFile(victim), "keep");
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(got[1].type(), UpdateBigPixmap);
    const std::string used = Path(got[1]);
    EXPECT_NE(used, planted);
    EXPECT_EQ(ReadFile(used).size(), 60000u);
    unlink(used.c_str());
    unlink(planted);

    // The request cannot be sent: the file must not stay behind.
    const int savedFd = connFd;
    connFd = -1;
    const int next = pixno;
    EXPECT_EQ(pix->UpdatePixmap(), -1);
    connFd = savedFd;
    char wouldBe[256];
    snprintf(wouldBe, sizeof wouldBe, "%s/tmp/imgtest_%lx_%05d", gRoot.c_str(), (unsigned long)getpid(), next);
    EXPECT_NE(access(wouldBe, F_OK), 0) << wouldBe;

    // No place for the file: the rows go inline instead of being lost.
    const std::string tmp = gRoot + "/tmp", away = gRoot + "/tmp-away";
    ASSERT_EQ(rename(tmp.c_str(), away.c_str()), 0);
    got = Drained(server, [&] { EXPECT_EQ(pix->UpdatePixmap(), 0); });
    ASSERT_EQ(rename(away.c_str(), tmp.c_str()), 0);
    ASSERT_EQ(got.size(), 300u);
    EXPECT_EQ(got[299].type(), UpdatePixmap);
    EXPECT_EQ(got[299].word(12), 299u);

    // No data, no identifier, no size: nothing is sent.
    GL_ImagePixmap empty(10, 10, 8);
    EXPECT_EQ(empty.UpdatePixmap(), -1);
    delete pix;
    server.Take();
}

TEST(ImageUpload, PixelAndMaskSettersZoomAndBuiltInImages) {
    FakeServer server;
    GL_ImagePixmap pix(static_cast<char*>(GL_cmalloc(4 * 3)), 4, 3, 8);
    EXPECT_EQ(pix.SetPixmapValue(3, 2, 0x1AB), 0);
    EXPECT_EQ(pix.data[11], 0xAB);
    EXPECT_EQ(pix.SetPixmapValue(4, 0, 1), -1);
    EXPECT_EQ(pix.SetPixmapValue(0, -1, 1), -1);
    GL_ImagePixmap mask(static_cast<char*>(GL_cmalloc(2 * 2)), 9, 2, 1); // rows of 16 bits
    EXPECT_EQ(mask.width, 16);
    EXPECT_EQ(mask.SetPixmapMask(9, 1, 1), 0);
    EXPECT_EQ(mask.data[3], 0x02);
    EXPECT_EQ(mask.SetPixmapMask(9, 1, 0), 0);
    EXPECT_EQ(mask.data[3], 0x00);
    EXPECT_EQ(mask.SetPixmapMask(16, 0, 1), -1);

    // Area averaging: halving averages 2 x 2 blocks (rounded), doubling
    // repeats, an unchanged size copies.
    char* src = static_cast<char*>(GL_malloc(16));
    const unsigned char values[16] = {0, 10, 200, 100, 20, 30, 0, 255, 7, 7, 9, 9, 7, 7, 9, 10};
    memcpy(src, values, 16);
    GL_ImagePixmap big(src, 4, 4, 8);
    std::unique_ptr<GL_ImagePixmap> half(big.Zoom(2, 2));
    ASSERT_TRUE(half);
    EXPECT_EQ(std::vector<int>(half->data, half->data + 4), (std::vector<int>{15, 139, 7, 10}));
    std::unique_ptr<GL_ImagePixmap> twice(big.Zoom(8, 8));
    ASSERT_TRUE(twice);
    EXPECT_EQ((std::vector<int>{twice->data[0], twice->data[1], twice->data[2], twice->data[8 * 7 + 7]}),
              (std::vector<int>{0, 0, 10, 10}));
    std::unique_ptr<GL_ImagePixmap> same(big.Zoom(4, 4));
    EXPECT_EQ(memcmp(same->data, values, 16), 0);
    EXPECT_EQ(big.Zoom(0, 4), nullptr);

    // The built-in table: the first "displaysetup" wins, "/Kora/res/power03.jpg"
    // is 40 x 22, uploaded from the table's own memory.
    EXPECT_EQ(GL_FindBuiltinImage("/Kora/res/displaysetup.jpg"), &gBuiltinImages[34]);
    server.Take();
    GL_ImageListItem item(nullptr, const_cast<char*>("/Kora/res/power03.jpg"));
    EXPECT_TRUE(item.IsGood());
    EXPECT_EQ(std::make_pair(item.width, item.height), std::make_pair(40, 22));
    EXPECT_EQ(item.pixmap->data, power03_data_0040_0022);
    EXPECT_EQ(item.pixmap->dataBorrowed, 1);
    std::vector<Msg> got = server.Take();
    ASSERT_EQ(got.size(), 23u); // CreatePixmap and 22 rows
    EXPECT_EQ(memcmp(&got[3].bytes[28], power03_data_0040_0022 + 2 * 40, 40), 0);
    EXPECT_EQ(GL_FindBuiltinImage("/Kora/res/nothing.jpg"), nullptr);
}

// Writes a test image file; returns its path.
std::string MakeImage(const std::string& name, const std::string& convertArgs) {
    std::string path = gRoot + "/" + name;
    EXPECT_EQ(std::system(("convert " + convertArgs + " " + path + " 2>/dev/null").c_str()), 0);
    return path;
}

TEST(ImageObjects, ListsWidgetNamesAndWindowImageMembers) {
    FakeServer server;
    std::string png = MakeImage("a.png", "-size 30x20 gradient:black-white");
    std::string xpm = gRoot + "/s.xpm";
    std::ofstream(xpm) << "/* XPM */\n\"4 2 2 1\",\"a c #000000\",\"b c None\",\"abba\",\"baab\"";
    std::string broken = gRoot + "/broken.png";
    std::ofstream(broken) << "\x89PNG\r\n\x1a\n1234";

    InitImageList();
    GL_ImageList* list = pRootImageList;
    InitImageList();
    EXPECT_EQ(pRootImageList, list);
    EXPECT_EQ(list->AddImageFile(const_cast<char*>("broken"), broken.data()), nullptr);
    EXPECT_EQ(list->count, 0);
    GL_ImageListItem* shared = list->AddImageFile(const_cast<char*>("shared"), png.data());
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->inList, 1);
    GL_ImageListItem* power = list->AddImageFile(const_cast<char*>("p"), const_cast<char*>("/Kora/res/power00.jpg"));
    ASSERT_NE(power, nullptr);
    EXPECT_EQ((std::vector<int>{list->count, list->maxWidth, list->minWidth, list->sameSize}),
              (std::vector<int>{2, 40, 30, 0}));
    EXPECT_EQ(list->FindPixmapByName(const_cast<char*>("shared")), shared);
    EXPECT_EQ(list->FindPixmapByName(const_cast<char*>("share")), nullptr);
    EXPECT_EQ(list->FindPixmapByIndex(1), power);
    EXPECT_EQ(list->FindPixmapByIndex(2), nullptr);

    GL_Window main(nullptr, "main", 0, 0, 200, 100, 255, 0);
    {
        GL_Image image(&main, "img", 0, 0, 50, 40, 0);
        EXPECT_EQ(image.SetImageFile(nullptr, 0), 0);
        // A registered name: no file named "shared" exists.
        EXPECT_EQ(image.SetImageFile(const_cast<char*>("shared"), 0), 0);
        EXPECT_EQ(image.image1, shared);
        EXPECT_EQ(image.SetImageFile(const_cast<char*>("/Kora/res/power03.jpg"), 0), 0);
        ASSERT_NE(image.image1, nullptr);
        EXPECT_EQ(image.image1->width, 40);
        // A broken file: no image, -1; then the old image is dropped: 0.
        EXPECT_EQ(image.SetImageFile(broken.data(), 0), 0);
        EXPECT_EQ(image.image1, nullptr);
        EXPECT_EQ(image.SetImageFile(broken.data(), 0), -1);
        EXPECT_EQ(image.SetImageFile(const_cast<char*>("/no/such/file.png"), 0), -1);
        EXPECT_EQ(image.SetImageFile(const_cast<char*>("shared"), 0), 0);
        EXPECT_EQ(image.SetImageFile(const_cast<char*>(""), 0), 1);
        EXPECT_EQ(image.image1, nullptr);
        EXPECT_EQ(image.SetImageFile(const_cast<char*>("shared"), 0), 0);
    }
    // The shared item survived the widget.
    EXPECT_EQ(list->FindPixmapByName(const_cast<char*>("shared")), shared);
    EXPECT_EQ(shared->width, 30);

    // Window members: image, background (SetBackPixmap) and shape (the mask,
    // centred: (200 - 4) / 2, (100 - 2) / 2).
    server.Take();
    EXPECT_EQ(main.SetImageFile(nullptr, 0), -1);
    EXPECT_EQ(main.SetImageFile(broken.data(), 0), -1);
    EXPECT_EQ(main.SetImageFile(png.data(), 1), 0);
    ASSERT_NE(main.image2, nullptr);
    EXPECT_EQ(main.SetBackImageFile(broken.data()), 0);
    EXPECT_EQ(main.backImage, nullptr);
    EXPECT_EQ(main.SetBackImageFile(png.data()), 0);
    ASSERT_NE(main.backImage, nullptr);
    EXPECT_EQ(main.backgroundMode, 1u);
    unsigned long backPixmap = main.backImage->pixmap->id;
    EXPECT_EQ(main.SetShapeImageFile(xpm.data()), 0);
    ASSERT_NE(main.shapeImage, nullptr);
    unsigned long shapeMask = main.shapeImage->mask->id;
    bool sawBack = false, sawShape = false;
    for (const Msg& m : server.Take()) {
        if (m.type() == SetBackPixmap && m.word(4) == main.windowId && m.word(8) == backPixmap) sawBack = true;
        if (m.type() == SetWinShapeSizeOffset) {
            EXPECT_EQ(m.word(4), main.windowId);
            EXPECT_EQ(m.word(8), shapeMask);
            EXPECT_EQ(m.word(12), 98u);
            EXPECT_EQ(m.word(16), 49u);
            sawShape = true;
        }
    }
    EXPECT_TRUE(sawBack);
    EXPECT_TRUE(sawShape);
    EXPECT_EQ(main.SetShapeImageFile(broken.data()), -1);
    EXPECT_EQ(main.shapeImage, nullptr);
    EXPECT_EQ(main.SetBackColor(0), 0);
    EXPECT_EQ(main.backImage, nullptr);
    EXPECT_EQ(main.backgroundMode, 0u);

    list->ClearAll();
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->sameSize, 1);
    delete pRootImageList;
    pRootImageList = nullptr;
}

class FrameCounter : public GL_Object {
public:
    FrameCounter() : GL_Object(nullptr, "frames", 0) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        if (strcmp(event, "GifData!") == 0) ++frames;
        return 0;
    }
    int frames = 0;
};

// The grey frames (and opacity) ImageMagick composes for an animation.
std::vector<std::vector<int>> Coalesced(const std::string& gif, int w, int h, int count,
                                        std::vector<std::vector<int>>* alpha) {
    std::vector<std::vector<int>> frames;
    std::string raw = gRoot + "/frames.rgba";
    EXPECT_EQ(std::system(("convert '" + gif + "' -coalesce -depth 8 rgba:" + raw).c_str()), 0);
    std::string b = ReadFile(raw);
    EXPECT_EQ(b.size(), size_t(w) * h * 4 * count);
    for (int f = 0; f < count && b.size() == size_t(w) * h * 4 * count; ++f) {
        frames.emplace_back();
        alpha->emplace_back();
        for (int i = 0; i < w * h; ++i) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(&b[(size_t(f) * w * h + i) * 4]);
            frames.back().push_back(p[0] == p[1] && p[1] == p[2] ? p[0] : (11 * p[0] + 16 * p[1] + 5 * p[2]) / 32);
            alpha->back().push_back(p[3] == 255);
        }
    }
    return frames;
}

// Compares the animator's current frame with a reference frame.
void ExpectFrame(GL_AGif& gif, const std::vector<int>& grey, const std::vector<int>& opaque, int index) {
    SCOPED_TRACE("frame " + std::to_string(index));
    const int w = gif.frameWidth, stride = (w + 7) / 8;
    int wrong = 0;
    for (size_t i = 0; i < grey.size(); ++i) {
        const int x = int(i) % w, y = int(i) / w;
        const int bit = (gif.frameMask->data[y * stride + x / 8] >> (x % 8)) & 1;
        if (bit != opaque[i] || (opaque[i] && gif.frame->data[i] != grey[i])) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(ImageAnimation, AnimatedGifAdvancesOnItsTimerAndRepeatsAStillOneStops) {
    FakeServer server;
    InitTimeout();
    const std::string f1 = MakeImage("f1.png", "-seed 1 -size 40x30 plasma:");
    const std::string f2 =
        MakeImage("f2.png", "-size 40x30 xc:red -fill blue -draw 'rectangle 0,0,19,29' -transparent red");
    const std::string f3 = MakeImage("f3.png", "-size 40x30 gradient:white-black");
    // Three frames, 10 hundredths each; the second is half transparent.
    const std::string anim = gRoot + "/anim.gif";
    ASSERT_EQ(std::system(("convert -delay 10 -dispose none " + f1 + " " + f2 + " " + f3 + " " + anim).c_str()), 0);
    std::vector<std::vector<int>> alpha;
    std::vector<std::vector<int>> ref = Coalesced(anim, 40, 30, 3, &alpha);
    ASSERT_EQ(ref.size(), 3u);

    GL_AGif gif;
    FrameCounter counter;
    gif.AddCallback(&counter, "GifData!", nullptr);
    EXPECT_EQ(gif.SetAGifFile(const_cast<char*>("/no/such.gif")), -1);
    ASSERT_EQ(gif.SetAGifFile(const_cast<char*>(anim.c_str())), 0);
    EXPECT_EQ(counter.frames, 1);
    EXPECT_EQ((std::vector<int>{gif.frameWidth, gif.frameHeight, gif.framePeriod}), (std::vector<int>{40, 30, 100}));
    ASSERT_NE(gif.timer, nullptr);
    EXPECT_EQ(gif.timer->intervalSec * 1000000 + gif.timer->intervalUSec, 100000u);
    EXPECT_TRUE(gif.timer->IsRunning());
    ExpectFrame(gif, ref[0], alpha[0], 0);
    // Seven ticks: frames 2, 3, 1, 2, 3, 1, 2 - for ever, one per tick.
    for (int tick = 1; tick <= 7; ++tick) {
        usleep(110000);
        TimeoutLoop();
        EXPECT_EQ(counter.frames, 1 + tick);
        ExpectFrame(gif, ref[size_t(tick % 3)], alpha[size_t(tick % 3)], tick % 3);
        EXPECT_EQ(gif.framePeriod, 100);
    }

    // One image with a delay: shown once, the timer stops at the next tick.
    const std::string still = gRoot + "/still.gif";
    ASSERT_EQ(std::system(("convert -delay 10 " + f1 + " " + still).c_str()), 0);
    GL_AGif one;
    FrameCounter c1;
    one.AddCallback(&c1, "GifData!", nullptr);
    ASSERT_EQ(one.SetAGifFile(const_cast<char*>(still.c_str())), 0);
    EXPECT_EQ(c1.frames, 1);
    EXPECT_EQ(one.framePeriod, 100);
    usleep(110000);
    TimeoutLoop();
    EXPECT_EQ(c1.frames, 1);
    EXPECT_EQ(one.framePeriod, -1);
    EXPECT_EQ(one.timer, nullptr);

    // A GL_Image that loads a GIF plays it through its animator and redraws
    // on every frame.
    GL_Window main(nullptr, "main", 0, 0, 100, 100, 255, 0);
    GL_Image image(&main, "gif", 0, 0, 60, 50, 0);
    main.ShowWindow(0);
    server.Take();
    ASSERT_EQ(image.SetImageFile(const_cast<char*>(anim.c_str()), 0), 0);
    ASSERT_NE(image.agif, nullptr);
    auto copiesOfFrame = [&] {
        int n = 0;
        for (const Msg& m : server.Take())
            if (m.type() == CopyAreaP2P && m.word(4) == image.agif->frame->id &&
                m.word(12) == image.agif->frameMask->id && m.word(24) == 40 && m.word(28) == 30 && m.word(32) == 10 &&
                m.word(36) == 10)
                ++n;
        return n;
    };
    EXPECT_EQ(copiesOfFrame(), 1);
    usleep(110000);
    TimeoutLoop();
    EXPECT_EQ(copiesOfFrame(), 1);
    // A still picture afterwards replaces the animation.
    EXPECT_EQ(image.SetImageFile(const_cast<char*>("/Kora/res/power01.jpg"), 0), 0);
    EXPECT_EQ(image.agif, nullptr);
}

} // namespace
