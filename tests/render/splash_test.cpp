// The start-up picture: decoded in process onto a screen image, and end to
// end, where the splash push is the one path to the emulated panel that
// needs no host lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "harness/eink_root.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"
#include "render/apollo.h"

using namespace testing_eink;

namespace {

// Grey blocks of 16 x 16 whose levels sit in the middle of a panel nibble's
// range (16 k + 8), so that the lossy coding cannot move them to another.
uint8_t BlockGrey(int x, int y) { return uint8_t(16 * (((x / 16) * 5 + (y / 16) * 3) % 16) + 8); }

std::vector<uint8_t> EncodeJpeg(int w, int h) {
    std::vector<uint8_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = BlockGrey(x, y);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = px.data() + size_t(c.next_scanline) * w;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
}

std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return path;
}

// Pixels of the screen image that differ from `want` by more than `tolerance`.
template <class Want>
int Mismatches(const std::vector<uint8_t>& screen, int width, int x0, int y0, int w, int h, Want want, int tolerance) {
    int bad = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (std::abs(int(screen[size_t(y) * width + x]) - int(want(x, y))) > tolerance) ++bad;
    return bad;
}

} // namespace

TEST(Splash, LargerPicturesShowTheirTopLeftSmallerOnesAreCentredOnTheGrey) {
    EinkRoot root;
    // Picture size, and where its top left lands: ((600 - w) / 2, (800 - h) / 2),
    // an odd leftover going to the right and the bottom; a larger picture
    // shows its top left part at the origin.
    const struct { int w, h, x0, y0; } cases[] = {{700, 900, 0, 0}, {200, 100, 200, 350}, {201, 101, 199, 349}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        std::string path = WriteFile(root.Path("/mnt/us/start.jpg"), EncodeJpeg(c.w, c.h));
        std::vector<uint8_t> screen(600 * 800, 192);
        ASSERT_TRUE(SS_DrawSplash(path.c_str(), screen.data(), 600, 800));
        const int w = std::min(c.w, 600), h = std::min(c.h, 800);
        auto want = [&](int x, int y) {
            bool in = x >= c.x0 && x < c.x0 + w && y >= c.y0 && y < c.y0 + h;
            return in ? BlockGrey(x - c.x0, y - c.y0) : uint8_t(192);
        };
        EXPECT_EQ(Mismatches(screen, 600, 0, 0, 600, 800, want, 3), 0);
    }
}

TEST(Splash, AMissingFileIsSilentAndABadOneLeavesTheScreenGreyWithTheDecodersMessage) {
    EinkRoot root;
    std::vector<uint8_t> screen(600 * 800, 192);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SS_DrawSplash(root.Path("/mnt/us/start.jpg").c_str(), screen.data(), 600, 800));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // Not a JPEG at all.
    std::string path = WriteFile(root.Path("/mnt/us/start.jpg"), {'h', 'e', 'l', 'l', 'o', '\n'});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SS_DrawSplash(path.c_str(), screen.data(), 600, 800));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Not a JPEG file"), std::string::npos);

    // A real header whose data is then cut and damaged.
    std::vector<uint8_t> jpeg = EncodeJpeg(300, 300);
    std::vector<uint8_t> broken(jpeg.begin(), jpeg.begin() + 200);
    for (int i = 0; i < 40; ++i)
        broken.push_back(0xFF);
    broken.push_back(0xD9 - 1);
    WriteFile(path, broken);
    testing::internal::CaptureStderr();
    bool drawn = SS_DrawSplash(path.c_str(), screen.data(), 600, 800);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(drawn);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 192), 600 * 800);
}

TEST(SplashEndToEnd, ThePictureReachesTheEmulatedPanelAtStartUp) {
    EinkRoot root;
    WriteFile(root.Path("/mnt/us/start.jpg"), EncodeJpeg(300, 200));
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    ASSERT_TRUE(WaitPanelUpdates(root, 1)) << server.Output();
    EXPECT_EQ(PanelUpdates(root)[0], "0 0 600 800 0 0");

    // Centred at (150, 300); grey (nibble 3) around it.
    PanelImage panel(root, 600, 800);
    int bad = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x) {
            bool in = x >= 150 && x < 450 && y >= 300 && y < 500;
            bad += panel.Nibble(x, y) != (in ? GreyToNibble(BlockGrey(x - 150, y - 300)) : 3);
        }
    EXPECT_EQ(bad, 0);

    // With the host lock off, nothing else is pushed.
    EXPECT_TRUE(NoPanelUpdateWithin(root, 1, 1500));
}

TEST(SplashEndToEnd, ACorruptPictureLeavesThePanelAloneAndTheServerRunning) {
    EinkRoot root;
    root.Write("/mnt/us/start.jpg", "\xFF\xD8\xFF\xE0 not really a picture");
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    EXPECT_TRUE(NoPanelUpdateWithin(root, 0, 1500));
    EXPECT_TRUE(server.Running());
    EXPECT_FALSE(server.Output().empty());
    WireClient client;
    ASSERT_TRUE(client.Open(server.socketPath()));
    EXPECT_EQ(U32At(client.sysinfo(), 8), 600u);
    EXPECT_TRUE(server.Running());
}
