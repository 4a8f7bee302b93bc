// Images end to end: a client shows two pictures in GL_Image widgets on the
// real server and the emulated panel must show exactly their pixels. The
// 101 x 397 picture travels through a temporary file that the server reads
// and deletes, the 101 x 396 one inline; a masked XPM shows the window
// behind its transparent pixels.
//
// The client is this test program started again with EINK_IMAGE_CLIENT set.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_imagewidget.h"
#include "gl_window.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

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
    if (!getenv("EINK_IMAGE_CLIENT")) return 0;
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
    printf("shown\n");
    fflush(stdout);
    egui_loop();
    return 0;
}

const int gClientRan = RunClientIfAsked();

std::string ReadText(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

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
    signal(SIGPIPE, SIG_IGN);
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

    MakeEventFifos(root);
    InstallFakeMainClient(root);
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    EventDevice event0(root, 0);
    ASSERT_TRUE(event0.Open());
    ASSERT_TRUE(event0.Hold(32, 3));
    ASSERT_TRUE(event0.Release(32));
    ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();

    const std::string out = root.Path("/tmp/image_client.out");
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 1), dup2(fd, 2);
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        setenv("EINK_IMAGE_CLIENT", "1", 1);
        execl("/proc/self/exe", "e2eimg", static_cast<char*>(nullptr));
        _exit(127);
    }
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
    for (long long until = MonoMs() + 15000; MonoMs() < until;) {
        bad = mismatches(&why);
        if (bad == 0) break;
        SleepMs(100);
    }
    EXPECT_EQ(bad, 0) << "first wrong pixel: " << why << "\n" << ReadText(out);
    EXPECT_NE(ReadText(out).find("shown"), std::string::npos) << ReadText(out);

    // The server read the upload file and deleted it: nothing is left.
    std::vector<std::string> left;
    if (DIR* d = opendir(root.Path("/tmp").c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).rfind("e2eimg_", 0) == 0) left.push_back(e->d_name);
        closedir(d);
    }
    EXPECT_TRUE(left.empty()) << left.front();

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace
