// Images end to end: a client shows two pictures in GL_Image widgets on the
// real server and the emulated panel must show exactly their pixels. The
// 101 x 397 picture travels through a temporary file that the server reads
// and deletes, the 101 x 396 one inline; a masked XPM shows the window
// behind its transparent pixels.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_imagewidget.h"
#include "gl_window.h"
#include "harness/client_process.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

// Where the pictures go on the screen (the main window is at 0, 0).
struct Shown {
    const char* file;
    int x, y, w, h;
};
const Shown kShown[] = {
    {"/mnt/big.png", 10, 10, 101, 397},    // over 100 by 100 and 40000 pixels: a file
    {"/mnt/small.bmp", 130, 10, 101, 396}, // 39996 pixels: inline
    {"/mnt/shape.xpm", 250, 10, 16, 8},    // transparent where "None"
};
constexpr int kMainW = 300, kMainH = 420, kBack = 0; // black behind the pictures

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
    char name[] = "/bin/e2eimg";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* main = new GL_Window(nullptr, "main", 0, 0, kMainW, kMainH, kBack, 0);
    for (const Shown& s : kShown) {
        auto* image = new GL_Image(main, "image", s.x, s.y, s.w, s.h, 0);
        image->SetBackColor(kBack);
        std::string path = std::string(getenv("EINK_ROOT")) + s.file;
        if (image->SetImageFile(path.data(), 0) != 0) _exit(7);
    }
    main->ShowWindow(0);
    ClientLog("shown");
    egui_loop();
    return 0;
}

const int gClientRan = RunClientIfAsked();

// ImageMagick's colours of a picture, in grey by GL_RGB2Pixel, and opacity.
bool Reference(const std::string& file, int w, int h, std::vector<int>* grey, std::vector<int>* opaque) {
    const std::string raw = file + ".rgba";
    if (std::system(("convert '" + file + "' -depth 8 rgba:" + raw).c_str()) != 0) return false;
    std::ifstream f(raw, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    if (b.size() != size_t(w) * h * 4) return false;
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const int r = b[4 * i], g = b[4 * i + 1], bl = b[4 * i + 2];
        grey->push_back(r == g && g == bl ? r : (11 * r + 16 * g + 5 * bl) / 32);
        opaque->push_back(b[4 * i + 3] == 255);
    }
    return true;
}

TEST(ImageE2E, PicturesInImageWidgetsReachThePanelExactlyThroughAFileOrInline) {
    EinkRoot root;
    root.MakeDir("/mnt");
    const std::string big = root.Path("/mnt/big.png"), small = root.Path("/mnt/small.bmp"),
                      shape = root.Path("/mnt/shape.xpm");
    ASSERT_EQ(std::system(("convert -seed 5 -size 101x397 plasma: -depth 8 " + big).c_str()), 0);
    ASSERT_EQ(std::system(("convert -seed 6 -size 101x396 plasma: BMP3:" + small).c_str()), 0);
    {
        std::ofstream x(shape);
        x << "/* XPM */\n\"16 8 2 1\",\". c None\",\"# c #FFFFFF\",\n";
        for (int y = 0; y < 8; ++y) {
            std::string row(16, '.');
            for (int i = 0; i < 16; ++i)
                if ((i + y) % 3 == 0) row[size_t(i)] = '#';
            x << "\"" << row << "\",\n";
        }
    }
    struct Expected {
        std::vector<int> grey, opaque;
    } expected[3];
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(
            Reference(root.Path(kShown[i].file), kShown[i].w, kShown[i].h, &expected[i].grey, &expected[i].opaque))
            << kShown[i].file;

    ServerProcess server(root);
    EventDevice keypad(root, 0);
    ASSERT_TRUE(StartLockedServer(server, keypad, root));
    ClientProcess client(root);
    client.Start();
    // Every pixel of every picture, as a panel nibble; the window's black
    // where the XPM is transparent.
    auto mismatches = [&](std::string* why) {
        PanelImage panel(root, 600, 800);
        int bad = 0;
        for (int i = 0; i < 3; ++i) {
            const Shown& s = kShown[i];
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x) {
                    const size_t k = size_t(y) * s.w + x;
                    const int want = GreyToNibble(expected[i].opaque[k] ? expected[i].grey[k] : kBack);
                    if (panel.Nibble(s.x + x, s.y + y) != want && bad++ == 0)
                        *why = std::string(s.file) + " at " + std::to_string(x) + "," + std::to_string(y);
                }
        }
        return bad;
    };
    std::string why;
    int bad = -1;
    WaitUntil([&] { return (bad = mismatches(&why)) == 0; }, 15000, 100);
    EXPECT_EQ(bad, 0) << "first wrong pixel: " << why << "\n" << client.Diagnostics();
    EXPECT_TRUE(client.WaitLog("shown", 0)) << client.Diagnostics();

    // The server read the upload file and deleted it: nothing is left.
    std::vector<std::string> left;
    if (DIR* d = opendir(root.Path("/tmp").c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).rfind("e2eimg_", 0) == 0) left.push_back(e->d_name);
        closedir(d);
    }
    EXPECT_TRUE(left.empty()) << left.front();
}

} // namespace
