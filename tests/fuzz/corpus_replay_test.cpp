// Every fuzz target's committed corpus, replayed through the target's own
// entry in the ordinary (sanitizer) build: the inputs that once crashed a
// target stay fixed without clang or libFuzzer. A crash or a sanitizer
// report ends the test.
#include "fuzz_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::string> CorpusFiles(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') files.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzCorpus, EveryTargetReplaysItsWholeCorpus) {
    const auto& targets = fuzz::Targets();
    ASSERT_GE(targets.size(), 3u);
    for (const fuzz::Target& t : targets) {
        std::vector<std::string> files = CorpusFiles(std::string(EINK_FUZZ_CORPUS_DIR) + "/" + t.name);
        EXPECT_FALSE(files.empty()) << "no corpus for " << t.name;
        for (const std::string& f : files) {
            SCOPED_TRACE(f);
            std::ifstream in(f, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(t.entry(bytes.data(), bytes.size()), 0);
        }
    }
}

} // namespace
