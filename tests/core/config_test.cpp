// The small configuration files and the command line, in process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/server.h"
#include "harness/eink_root.h"

namespace {

// The emulation root is read once per process: set it before any test runs.
testing_eink::EinkRoot* Root() {
    static testing_eink::EinkRoot* root = [] {
        auto* r = new testing_eink::EinkRoot();
        setenv("EINK_ROOT", r->dir().c_str(), 1);
        return r;
    }();
    return root;
}
const bool g_rootReady = Root() != nullptr;

int KeyTimeFrom(const char* content) {
    if (content)
        Root()->Write("/home/keytime.txt", content);
    else
        Root()->Remove("/home/keytime.txt");
    g_keyTime = -12345;
    SS_ReadKeyTime();
    return g_keyTime;
}

int SleepTimeFrom(const char* content) {
    if (content)
        Root()->Write("/home/sleep.txt", content);
    else
        Root()->Remove("/home/sleep.txt");
    g_sleepTimeout = -12345;
    SS_ReadSleepTime();
    return g_sleepTimeout;
}

TEST(Config, KeyTimeKeepsZeroTo5000AndFallsBackTo800) {
    ASSERT_TRUE(g_rootReady);
    EXPECT_EQ(KeyTimeFrom("6000\n"), 800);
    EXPECT_EQ(KeyTimeFrom("0\n"), 0);
    EXPECT_EQ(KeyTimeFrom("abc\n"), 0);
    EXPECT_EQ(KeyTimeFrom("5000"), 5000);
    EXPECT_EQ(KeyTimeFrom("5001"), 800);
    EXPECT_EQ(KeyTimeFrom("-1"), 800);
    EXPECT_EQ(KeyTimeFrom("   250ms"), 250);
    EXPECT_EQ(KeyTimeFrom(""), 800) << "a file with no line";
    EXPECT_EQ(KeyTimeFrom(nullptr), 800) << "no file";
    EXPECT_EQ(KeyTimeFrom("99999999999999999999999"), 800) << "huge numbers do not overflow";
}

TEST(Config, SleepTimeDefaultsTo4000) {
    EXPECT_EQ(SleepTimeFrom(nullptr), 4000);
    EXPECT_EQ(SleepTimeFrom(""), 4000);
    EXPECT_EQ(SleepTimeFrom("\n"), 0) << "a line without digits is 0";
    EXPECT_EQ(SleepTimeFrom("12000\n"), 12000);
    EXPECT_EQ(SleepTimeFrom("-7"), -7);
}

TEST(Config, RefreshFileKeepsAnyNumber) {
    Root()->Write("/home/refresh.txt", "257\n");
    EXPECT_EQ(uint8_t(SS_ReadConfigNumber("/home/refresh.txt", 0, 0)), 1) << "low 8 bits";
    Root()->Remove("/home/refresh.txt");
    EXPECT_EQ(SS_ReadConfigNumber("/home/refresh.txt", 0, 0), 0);
}

TEST(Config, OnlyTheFirstArgumentSelectsTheRotation) {
    auto rot = [](std::initializer_list<const char*> args) {
        std::vector<char*> argv{const_cast<char*>("winserver")};
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        return SS_ParseRotation(int(argv.size()), argv.data());
    };
    EXPECT_EQ((std::vector<int>{rot({}), rot({"-Rleft"}), rot({"-Rright"}), rot({"-Rbottom"}), rot({"-R"}),
                                rot({"-Rtop"}), rot({"-Rleftx"}), rot({"left"}), rot({"-x", "-Rleft"})}),
              (std::vector<int>{0, 1, 3, 2, 0, 0, 0, 0, 0})); // a second argument is never read
}

} // namespace
