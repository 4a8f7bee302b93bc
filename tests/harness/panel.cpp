#include "harness/panel.h"

#include <png.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace testing_eink {

std::vector<std::string> PanelUpdates(const EinkRoot& root) {
    std::vector<std::string> lines;
    std::istringstream in(root.Read("/dev/fb0.updates"));
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

bool WaitPanelUpdates(const EinkRoot& root, size_t count, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (PanelUpdates(root).size() < count) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool NoPanelUpdateWithin(const EinkRoot& root, size_t count, int ms) { return !WaitPanelUpdates(root, count + 1, ms); }

size_t WaitPanelQuiet(const EinkRoot& root, int quietMs) {
    size_t n = PanelUpdates(root).size();
    while (!NoPanelUpdateWithin(root, n, quietMs))
        n = PanelUpdates(root).size();
    return n;
}

PanelImage::PanelImage(const EinkRoot& root, int width, int height) : width_(width), height_(height) {
    std::string data = root.Read("/dev/fb0");
    bytes_.assign(data.begin(), data.end());
}

int PanelImage::Nibble(int x, int y) const {
    size_t i = size_t(y) * size_t(width_) + size_t(x);
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || i / 2 >= bytes_.size()) return -1;
    uint8_t b = bytes_[i / 2];
    return (i & 1) ? (b & 15) : (b >> 4);
}

int PanelImage::CountOther(int x, int y, int w, int h, int nibble) const {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (Nibble(i, j) != nibble) ++n;
    return n;
}

std::vector<uint8_t> ReadGreyPng(const std::string& path, int* width, int* height) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_GRAY;
    out.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) {
        png_image_free(&image);
        out.clear();
        return out;
    }
    *width = int(image.width);
    *height = int(image.height);
    return out;
}

} // namespace testing_eink
