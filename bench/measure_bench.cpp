// Client-side text measurement and line splitting with the metric tables of
// the server's own font engine (WenQuanYi Micro Hei, the CJK font the device
// ships): GL_GetTextInfo and SplitString over a 2,000-character paragraph of
// mixed Chinese and Latin text, and SplitString re-flowing a 600 x 800 page
// (about 1,500 characters at 16 pixels into lines of 580 pixels).
//
//   measure_bench [repetitions]      (default 20000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "egui.h"
#include "render/fonts.h"

namespace {

using namespace bench;

// n characters, about one in four a Latin letter or space, the rest Chinese;
// UTF-8 (as widgets measure it) and the two-byte GB form (as labels split it).
void Paragraph(int n, std::string* utf8, std::string* gb) {
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < n; ++i) {
        if (next() % 4 == 0) {
            char c = next() % 6 == 0 ? ' ' : char('a' + next() % 26);
            *utf8 += c;
            *gb += c;
        } else {
            unsigned cp = 0x4E00 + next() % 0x4000;
            *utf8 += char(0xE0 | cp >> 12);
            *utf8 += char(0x80 | ((cp >> 6) & 0x3F));
            *utf8 += char(0x80 | (cp & 0x3F));
            *gb += char(0xB0 + next() % 0x28);
            *gb += char(0xA1 + next() % 0x5E);
        }
    }
}

template <class F> double PerCall(int reps, F f) {
    for (int i = 0; i < reps / 10 + 1; ++i)
        f();
    auto t0 = Clock::now();
    for (int i = 0; i < reps; ++i)
        f();
    return Seconds(t0, Clock::now()) / reps;
}

} // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? atoi(argv[1]) : 20000;
    if (reps < 1) reps = 1;
    std::string root = MakeRoot("measurebench", {"/mnt/us/velmora", "/mnt/us/velmora/res"});
    if (root.empty()) return 1;
    const char* font = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
    for (const char* list : {"/mnt/us/velmora/res/xftfont.lst", "/mnt/us/velmora/res/font.lst"})
        if (FILE* f = fopen((root + list).c_str(), "w")) {
            fprintf(f, "%s\n", font);
            fclose(f);
        }
    setenv("EINK_ROOT", root.c_str(), 1);
    InitFonts();
    FontsFillSysInfo(gSysInfo);
    if (gSysInfo[92] != 1) {
        fprintf(stderr, "no scalable font: %s missing?\n", font);
        return 1;
    }
    GL_Font* f16 = NC_NewFont("", 16, 0, 0);

    std::string utf8, gb;
    Paragraph(2000, &utf8, &gb);
    std::string pageUtf8, pageGb;
    Paragraph(1500, &pageUtf8, &pageGb);

    _GS_Rect r{};
    int width = 0, lines = 0;
    double measure =
        PerCall(reps, [&] { width = GL_GetTextInfo(f16, nullptr, utf8.c_str(), 0, &r, nullptr, nullptr); });
    GL_List list;
    auto split = [&](std::string& text) {
        return [&] {
            lines = SplitString(f16, &text[0], 580, 1, &list);
            for (GL_ListData* n = list.head; n; n = n->next)
                free(n->data);
            list.ClearAll();
        };
    };
    double split2000 = PerCall(reps, split(gb));
    int lines2000 = lines;
    double page = PerCall(reps, split(pageGb));

    printf("%-58s %10.0f chars/s  (%.1f us, width %d px)\n", "GL_GetTextInfo, 2,000 mixed characters, 16 px",
           2000 / measure, measure * 1e6, width);
    printf("%-58s %10.0f chars/s  (%.1f us, %d lines)\n", "SplitString, 2,000 mixed characters into 580 px",
           2000 / split2000, split2000 * 1e6, lines2000);
    printf("%-58s %10.1f us        (%d lines; target < 50 us)\n", "SplitString, 1,500-character page into 580 px",
           page * 1e6, lines);
    delete f16;
    FreeFonts();
    RemoveRoot(root);
    return 0;
}
