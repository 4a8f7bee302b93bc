// Turns the emulated panel file (the packed 4-bit image that winserver maps
// as its frame buffer) into an 8-bit grey PNG.
//
//   panel2png PANEL [OUT.png] [WIDTH HEIGHT]
//
// The size defaults to PANEL.mode ("600 800" when that file is missing);
// the output to PANEL.snapshot.png. Prints the path of the picture.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/framebuffer.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc == 4 || argc > 5) {
        fprintf(stderr, "usage: panel2png PANEL [OUT.png] [WIDTH HEIGHT]\n");
        return 2;
    }
    std::string panel = argv[1];
    std::string out = argc > 2 ? argv[2] : panel + ".snapshot.png";
    int width = 600, height = 800;
    if (argc == 5) {
        width = atoi(argv[3]);
        height = atoi(argv[4]);
    } else if (FILE* mode = fopen((panel + ".mode").c_str(), "r")) {
        if (fscanf(mode, "%d %d", &width, &height) != 2) width = height = 0;
        fclose(mode);
    }
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || (width & 1)) {
        fprintf(stderr, "panel2png: bad panel size %d x %d\n", width, height);
        return 2;
    }

    std::ifstream in(panel, std::ios::binary);
    if (!in) {
        perror(panel.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t need = size_t(width) * size_t(height) / 2;
    if (bytes.size() < need) {
        fprintf(stderr, "panel2png: %s holds %zu bytes, a %d x %d panel needs %zu\n", panel.c_str(), bytes.size(),
                width, height, need);
        return 1;
    }
    if (!eink::WritePanelPng(out, bytes.data(), width, height)) {
        fprintf(stderr, "panel2png: cannot write %s\n", out.c_str());
        return 1;
    }
    printf("%s\n", out.c_str());
    return 0;
}
