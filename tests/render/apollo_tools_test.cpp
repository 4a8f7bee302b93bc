// tools/panel2png: the panel file of the emulation as a grey picture.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "harness/eink_root.h"
#include "harness/launcher.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

const std::string kTool = std::string(EINK_BINARY_DIR) + "/tools/panel2png";

int RunTool(const std::string& args, const EinkRoot& root, std::string* out) {
    std::string log = root.Path("/tool.out");
    int status = system((ShellCommandFor(kTool) + " " + args + " >" + log + " 2>&1").c_str());
    *out = root.Read("/tool.out");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(Panel2Png, TurnsEachNibbleIntoItsGreyLevelAndPrintsThePath) {
    ASSERT_EQ(access(kTool.c_str(), X_OK), 0) << kTool << " is not built";
    EinkRoot root;
    // 600 x 800, two pixels a byte: rows alternate 0x0F and 0x5A patterns.
    std::string panel(600 * 800 / 2, '\0');
    for (int y = 0; y < 800; ++y)
        for (int i = 0; i < 300; ++i)
            panel[size_t(y) * 300 + i] = char(y % 2 ? 0x0F : 0x5A);
    root.Write("/dev/fb0", panel);

    std::string out;
    std::string png = root.Path("/snap.png");
    ASSERT_EQ(RunTool(root.Path("/dev/fb0") + " " + png, root, &out), 0) << out;
    EXPECT_EQ(out, png + "\n");
    int w = 0, h = 0;
    std::vector<uint8_t> grey = ReadGreyPng(png, &w, &h);
    ASSERT_EQ(w, 600);
    ASSERT_EQ(h, 800);
    // 255 - 17 n: nibble 0 -> 255, 15 -> 0, 5 -> 170, 10 -> 85.
    EXPECT_EQ(grey[0], 170);
    EXPECT_EQ(grey[1], 85);
    EXPECT_EQ(grey[600], 255);
    EXPECT_EQ(grey[601], 0);
    EXPECT_EQ(grey[size_t(799) * 600 + 599], 0);

    // The size comes from the mode file beside the panel, or from the line.
    root.Write("/dev/fb0.mode", "400 600\n");
    ASSERT_EQ(RunTool(root.Path("/dev/fb0") + " " + png, root, &out), 0) << out;
    ReadGreyPng(png, &w, &h);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 600);
    ASSERT_EQ(RunTool(root.Path("/dev/fb0") + " " + png + " 200 100", root, &out), 0) << out;
    ReadGreyPng(png, &w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 100);

    // Too few bytes for the size, an odd width, no file: refused.
    EXPECT_NE(RunTool(root.Path("/dev/fb0") + " " + png + " 1000 1000", root, &out), 0);
    EXPECT_NE(out.find("needs"), std::string::npos) << out;
    EXPECT_NE(RunTool(root.Path("/dev/fb0") + " " + png + " 201 100", root, &out), 0);
    EXPECT_NE(RunTool(root.Path("/nothing") + " " + png, root, &out), 0);
    EXPECT_NE(RunTool("", root, &out), 0);
}
