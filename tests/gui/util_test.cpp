#include "gui_util.h"
#include "harness/fonts.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

const std::string& kRoot = testing_eink::InProcessRoot();

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(Util, MemoryAndStringHelpers) {
    unsigned char* z = static_cast<unsigned char*>(GL_cmalloc(64));
    ASSERT_NE(z, nullptr);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(z[i], 0);
    z = static_cast<unsigned char*>(GL_realloc(z, 128));
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z[63], 0); // kept across the move
    GL_free(z);
    void* m = GL_malloc(0);
    EXPECT_NE(m, nullptr);
    GL_free(m);
    EXPECT_EQ(GL_malloc(-1), nullptr);
    EXPECT_EQ(GL_cmalloc(-1), nullptr);

    char* c = GL_CopyString("abc");
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c, "abc");
    GL_free(c);
    EXPECT_EQ(GL_CopyString(nullptr), nullptr);

    int a = 1, b = 2;
    double x = 1.5, y = -2.25;
    GL_SwapInt(&a, &b);
    GL_SwapDouble(&x, &y);
    EXPECT_EQ(std::make_tuple(a, b, x, y), std::make_tuple(2, 1, -2.25, 1.5));
    EXPECT_EQ(GL_strlen(nullptr) + GL_strlen(""), 0);
    EXPECT_EQ(GL_strlen("abcd"), 4);
    // Null sorts before any text; the sign of the rest is strcmp's.
    const char* const pairs[][2] = {{nullptr, nullptr}, {nullptr, "a"}, {"a", nullptr},
                                    {"a", "a"},         {"a", "b"},     {"b", "a"}};
    const int signs[] = {0, -1, 1, 0, -1, 1};
    for (int i = 0; i < 6; ++i) {
        int r = GL_strcmp(pairs[i][0], pairs[i][1]);
        EXPECT_EQ((r > 0) - (r < 0), signs[i]) << i;
    }

    for (long v : {0L, -5L, 1234567L, LONG_MIN, LONG_MAX}) {
        char* s = GL_itoa(v);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(std::string(s), std::to_string(v));
        GL_free(s);
    }
}

TEST(Util, ReadFileReadsWholeFilesAndRefusesTheRest) {
    std::string path = kRoot + "/read.bin";
    std::string content("ab\0cd\xff", 6);
    std::ofstream(path, std::ios::binary) << content;
    char* data = nullptr;
    int len = -1;
    ASSERT_EQ(GL_ReadFile(path.c_str(), &data, &len), 0);
    EXPECT_EQ(len, 6);
    EXPECT_EQ(std::string(data, 6), content);
    EXPECT_EQ(data[6], '\0');
    GL_free(data);

    data = nullptr;
    std::ofstream(kRoot + "/empty.txt").close();
    EXPECT_EQ(GL_ReadFile((kRoot + "/empty.txt").c_str(), &data, &len), -1);
    EXPECT_EQ(GL_ReadFile((kRoot + "/missing.txt").c_str(), &data, &len), -1);
    EXPECT_EQ(GL_ReadFile("", &data, &len), -1);
    EXPECT_EQ(GL_ReadFile(nullptr, &data, &len), -1);
    EXPECT_EQ(data, nullptr);

    // Unreadable although stat succeeds: a directory, and a file without permission.
    mkdir((kRoot + "/adir").c_str(), 0755);
    EXPECT_EQ(GL_ReadFile((kRoot + "/adir").c_str(), &data, &len), -1);
    if (geteuid() != 0) {
        chmod(path.c_str(), 0);
        EXPECT_EQ(GL_ReadFile(path.c_str(), &data, &len), -1);
    }
    EXPECT_EQ(data, nullptr);
}

TEST(Util, WriteLogTruncatesOnceThenAppends) {
    std::string home = kRoot + "/home";
    std::string log = home + "/zlog.txt";
    // No /home yet: nothing is written, and the next call tries again.
    ASSERT_EQ(gLogFd, -1);
    WriteLog("lost %d", 1);
    EXPECT_EQ(gLogFd, -1);

    mkdir(home.c_str(), 0755);
    std::ofstream(log) << "old content of an earlier run\n";
    WriteLog("n=%d s=%s", 42, "x");
    ASSERT_GE(gLogFd, 0);
    int fd = gLogFd;
    WriteLog("|%s\n", "next");
    EXPECT_EQ(gLogFd, fd);
    EXPECT_EQ(Slurp(log), "n=42 s=x|next\n");

    // Over-long text is cut to the 512-byte buffer, never overflowing it.
    std::string big(2000, 'q');
    WriteLog("%s", big.c_str());
    EXPECT_EQ(Slurp(log), "n=42 s=x|next\n" + std::string(511, 'q'));
}

} // namespace
