// Replays the committed fuzz corpora through the fuzz targets' own code, so
// that the ordinary (sanitizer) test run covers them without clang. Seeds are
// valid pictures and must decode; inputs that once broke a reader are kept
// under names starting with "crash-" and must simply fail or pass cleanly.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <string>
#include <vector>

#include "image/image_decode.h"

#define LLVMFuzzerTestOneInput FuzzGif
#include "fuzz/image_gif_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzJpeg
#include "fuzz/image_jpeg_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzPng
#include "fuzz/image_png_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzBmp
#include "fuzz/image_bmp_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzXpm
#include "fuzz/image_xpm_fuzz.cpp"
#undef LLVMFuzzerTestOneInput

namespace {

std::vector<std::string> Files(const std::string& dir) {
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') out.push_back(e->d_name);
        closedir(d);
    }
    return out;
}

TEST(ImageCorpus, EveryCommittedInputRunsThroughItsReaderCleanly) {
    const struct {
        const char* format;
        int (*target)(const uint8_t*, size_t);
    } readers[] = {{"gif", FuzzGif}, {"jpeg", FuzzJpeg}, {"png", FuzzPng}, {"bmp", FuzzBmp}, {"xpm", FuzzXpm}};
    for (const auto& r : readers) {
        const std::string dir = std::string(EINK_SOURCE_DIR) + "/fuzz/corpus/image_" + r.format;
        std::vector<std::string> files = Files(dir);
        EXPECT_GE(files.size(), 2u) << dir;
        for (const std::string& name : files) {
            SCOPED_TRACE(dir + "/" + name);
            std::ifstream f(dir + "/" + name, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
            // Exactly the input's size on the heap: any stray read is caught.
            std::vector<uint8_t> exact(bytes);
            exact.shrink_to_fit();
            EXPECT_EQ(r.target(exact.data(), exact.size()), 0);
            gui_image::Decoded d;
            const bool decoded = gui_image::Decode(exact.data(), exact.size(), &d);
            if (name.rfind("crash-", 0) != 0) {
                EXPECT_TRUE(decoded) << "a seed must be a valid picture";
                EXPECT_GT(d.width, 0);
            }
            d.Release();
        }
    }
}

} // namespace
