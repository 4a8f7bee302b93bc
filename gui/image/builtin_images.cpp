// The built-in images: small grey pictures under "/Kora/res/<name>.jpg" that
// the library shows without reading a file. Each picture is drawn here,
// plainly, into an exported array named <name>_data_<width>_<height> (four
// digits each) when the library is loaded.
#include "gl_image.h"

#include <cstdlib>
#include <cstring>

namespace {

enum Kind {
    kIcon,      // 45 x 35 program icon: frame and a pattern of its own
    kConnector, // 30 x 30 tree connector: lines from the centre to the sides named
    kNote,      // 22 x 22 music note with a level
    kPlayer,    // 39 x 31 player status
    kBanner,    // 370 x 45 message banner
    kBattery,   // 40 x 22 battery with a level (6 = full, -1 = no battery)
};

// Connector sides.
enum { L = 1, R = 2, T = 4, B = 8 };

class Canvas {
public:
    Canvas(unsigned char* p, int w, int h) : p_(p), w_(w), h_(h) { memset(p_, 255, size_t(w) * size_t(h)); }
    void Fill(int x, int y, int w, int h, unsigned char v) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                Put(i, j, v);
    }
    void Frame(int x, int y, int w, int h, unsigned char v) {
        Fill(x, y, w, 1, v);
        Fill(x, y + h - 1, w, 1, v);
        Fill(x, y, 1, h, v);
        Fill(x + w - 1, y, 1, h, v);
    }
    void Line(int x0, int y0, int x1, int y1, unsigned char v) {
        const int steps = std::abs(x1 - x0) > std::abs(y1 - y0) ? std::abs(x1 - x0) : std::abs(y1 - y0);
        for (int s = 0; s <= steps; ++s)
            Put(x0 + (steps ? (x1 - x0) * s / steps : 0), y0 + (steps ? (y1 - y0) * s / steps : 0), v);
    }
    int w() const { return w_; }
    int h() const { return h_; }

private:
    void Put(int x, int y, unsigned char v) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) p_[size_t(y) * size_t(w_) + size_t(x)] = v;
    }
    unsigned char* p_;
    int w_, h_;
};

void Draw(Canvas& c, Kind kind, int param) {
    const int w = c.w(), h = c.h();
    switch (kind) {
    case kIcon: {
        // A rounded frame, a grey square and `param` bars: each icon differs.
        c.Frame(1, 1, w - 2, h - 2, 0);
        c.Fill(1, 1, 1, 1, 255), c.Fill(w - 2, 1, 1, 1, 255), c.Fill(1, h - 2, 1, 1, 255),
            c.Fill(w - 2, h - 2, 1, 1, 255);
        c.Fill(6, 8, 14, h - 16, 128);
        const int bars = param % 5 + 1;
        for (int i = 0; i < bars; ++i)
            c.Fill(24, 7 + i * 4, 14 - (param / 5 % 3) * 3, 2, 0);
        if (param % 2) c.Line(6, 8, 19, h - 9, 0);
        break;
    }
    case kConnector: {
        const int m = w / 2;
        c.Fill(m - 2, m - 2, 4, 4, 0);
        if (param & L) c.Fill(0, m - 2, m, 4, 0);
        if (param & R) c.Fill(m, m - 2, w - m, 4, 0);
        if (param & T) c.Fill(m - 2, 0, 4, m, 0);
        if (param & B) c.Fill(m - 2, m, 4, h - m, 0);
        break;
    }
    case kNote:
        c.Fill(3, 14, 6, 5, 0);
        c.Fill(8, 3, 2, 13, 0);
        c.Line(9, 3, 13, 7, 0);
        for (int i = 0; i < param; ++i)
            c.Fill(15 + i, 18 - 4 * i, 1, 4 * i + 2, 64);
        break;
    case kPlayer:
        c.Frame(0, 0, w, h, 0);
        for (int y = 7; y < h - 7; ++y)
            c.Fill(14, y, 1 + (y < h / 2 ? y - 7 : h - 8 - y), 1, 0);
        break;
    case kBanner:
        c.Fill(0, 0, w, h, 224);
        c.Frame(0, 0, w, h, 0);
        c.Frame(2, 2, w - 4, h - 4, 96);
        c.Fill(20, h / 2 - 3, 40 + param * 45, 6, 0);
        break;
    case kBattery:
        c.Frame(0, 2, 36, 18, 0);
        c.Fill(36, 7, 4, 8, 0);
        if (param < 0) {
            c.Line(4, 4, 31, 17, 0);
            c.Line(4, 17, 31, 4, 0);
        }
        for (int i = 0; i < param; ++i)
            c.Fill(3 + i * 5, 5, 4, 12, 0);
        break;
    }
}

} // namespace

// One row per picture: name, array, width, height, kind, parameter.
#define GL_BUILTIN_IMAGES(X)                                                                                           \
    X(id, id_data_0045_0035, 45, 35, kIcon, 0)                                                                         \
    X(cebclass, cebclass_data_0045_0035, 45, 35, kIcon, 1)                                                             \
    X(cebinfo, cebinfo_data_0045_0035, 45, 35, kIcon, 2)                                                               \
    X(cebsection, cebsection_data_0045_0035, 45, 35, kIcon, 3)                                                         \
    X(diplaysetup, diplaysetup_data_0045_0035, 45, 35, kIcon, 4)                                                       \
    X(bottom, bottom_data_0030_0030, 30, 30, kConnector, B)                                                            \
    X(br, br_data_0030_0030, 30, 30, kConnector, B | R)                                                                \
    X(cross, cross_data_0030_0030, 30, 30, kConnector, L | R | T | B)                                                  \
    X(ebookmark, ebookmark_data_0045_0035, 45, 35, kIcon, 5)                                                           \
    X(ebookmarkadd, ebookmarkadd_data_0045_0035, 45, 35, kIcon, 6)                                                     \
    X(folder, folder_data_0045_0035, 45, 35, kIcon, 7)                                                                 \
    X(help, help_data_0045_0035, 45, 35, kIcon, 8)                                                                     \
    X(info, info_data_0045_0035, 45, 35, kIcon, 9)                                                                     \
    X(initsetup, initsetup_data_0045_0035, 45, 35, kIcon, 10)                                                          \
    X(lb, lb_data_0030_0030, 30, 30, kConnector, L | B)                                                                \
    X(left, left_data_0030_0030, 30, 30, kConnector, L)                                                                \
    X(lr, lr_data_0030_0030, 30, 30, kConnector, L | R)                                                                \
    X(lrb, lrb_data_0030_0030, 30, 30, kConnector, L | R | B)                                                          \
    X(lrt, lrt_data_0030_0030, 30, 30, kConnector, L | R | T)                                                          \
    X(lt, lt_data_0030_0030, 30, 30, kConnector, L | T)                                                                \
    X(ltb, ltb_data_0030_0030, 30, 30, kConnector, L | T | B)                                                          \
    X(mp3sta, mp3sta_data_0039_0031, 39, 31, kPlayer, 0)                                                               \
    X(Music00, Music00_data_0022_0022, 22, 22, kNote, 0)                                                               \
    X(Music01, Music01_data_0022_0022, 22, 22, kNote, 1)                                                               \
    X(Music02, Music02_data_0022_0022, 22, 22, kNote, 2)                                                               \
    X(Music03, Music03_data_0022_0022, 22, 22, kNote, 3)                                                               \
    X(Music04, Music04_data_0022_0022, 22, 22, kNote, 4)                                                               \
    X(music, music_data_0045_0035, 45, 35, kIcon, 11)                                                                  \
    X(musicset, musicset_data_0045_0035, 45, 35, kIcon, 12)                                                            \
    X(firstpage, firstpage_data_0370_0045, 370, 45, kBanner, 0)                                                        \
    X(invalid, invalid_data_0370_0045, 370, 45, kBanner, 1)                                                            \
    X(lastpage, lastpage_data_0370_0045, 370, 45, kBanner, 2)                                                          \
    X(nosd, nosd_data_0370_0045, 370, 45, kBanner, 3)                                                                  \
    X(unlock, unlock_data_0370_0045, 370, 45, kBanner, 4)                                                              \
    X(displaysetup, displaysetup_data_0045_0035, 45, 35, kIcon, 13)                                                    \
    X(mp3play, mp3play_data_0045_0035, 45, 35, kIcon, 14)                                                              \
    X(power00, power00_data_0040_0022, 40, 22, kBattery, 0)                                                            \
    X(power01, power01_data_0040_0022, 40, 22, kBattery, 1)                                                            \
    X(power02, power02_data_0040_0022, 40, 22, kBattery, 2)                                                            \
    X(power03, power03_data_0040_0022, 40, 22, kBattery, 3)                                                            \
    X(power04, power04_data_0040_0022, 40, 22, kBattery, 4)                                                            \
    X(power05, power05_data_0040_0022, 40, 22, kBattery, 5)                                                            \
    X(power06, power06_data_0040_0022, 40, 22, kBattery, 6)                                                            \
    X(powerX, powerX_data_0040_0022, 40, 22, kBattery, -1)                                                             \
    X(productinfo, productinfo_data_0045_0035, 45, 35, kIcon, 15)                                                      \
    X(recentceb, recentceb_data_0045_0035, 45, 35, kIcon, 16)                                                          \
    X(reset, reset_data_0045_0035, 45, 35, kIcon, 17)                                                                  \
    X(right, right_data_0030_0030, 30, 30, kConnector, R)                                                              \
    X(rtb, rtb_data_0030_0030, 30, 30, kConnector, R | T | B)                                                          \
    X(spacecheck, spacecheck_data_0045_0035, 45, 35, kIcon, 18)                                                        \
    X(syssetup, syssetup_data_0045_0035, 45, 35, kIcon, 19)                                                            \
    X(tb, tb_data_0030_0030, 30, 30, kConnector, T | B)                                                                \
    X(top, top_data_0030_0030, 30, 30, kConnector, T)                                                                  \
    X(tr, tr_data_0030_0030, 30, 30, kConnector, T | R)                                                                \
    X(volset, volset_data_0045_0035, 45, 35, kIcon, 20)                                                                \
    X(wait, wait_data_0370_0045, 370, 45, kBanner, 5)                                                                  \
    X(update, update_data_0045_0035, 45, 35, kIcon, 21)

// The exported pixel arrays.
#define X(name, symbol, w, h, kind, param) unsigned char symbol[w * h];
GL_BUILTIN_IMAGES(X)
#undef X

// Table order; "displaysetup" comes a second time (never reached: the first
// entry wins), then the empty entry that ends the table.
GL_BuiltinImage gBuiltinImages[59] = {
    {"/Kora/res/id.jpg", id_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/cebclass.jpg", cebclass_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/cebinfo.jpg", cebinfo_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/cebsection.jpg", cebsection_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/diplaysetup.jpg", diplaysetup_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/bottom.jpg", bottom_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/br.jpg", br_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/cross.jpg", cross_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/ebookmark.jpg", ebookmark_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/ebookmarkadd.jpg", ebookmarkadd_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/folder.jpg", folder_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/help.jpg", help_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/info.jpg", info_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/initsetup.jpg", initsetup_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/lb.jpg", lb_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/left.jpg", left_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/lr.jpg", lr_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/lrb.jpg", lrb_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/lrt.jpg", lrt_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/lt.jpg", lt_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/ltb.jpg", ltb_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/mp3sta.jpg", mp3sta_data_0039_0031, nullptr, 39, 31},
    {"/Kora/res/Music00.jpg", Music00_data_0022_0022, nullptr, 22, 22},
    {"/Kora/res/Music01.jpg", Music01_data_0022_0022, nullptr, 22, 22},
    {"/Kora/res/Music02.jpg", Music02_data_0022_0022, nullptr, 22, 22},
    {"/Kora/res/Music03.jpg", Music03_data_0022_0022, nullptr, 22, 22},
    {"/Kora/res/Music04.jpg", Music04_data_0022_0022, nullptr, 22, 22},
    {"/Kora/res/music.jpg", music_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/musicset.jpg", musicset_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/firstpage.jpg", firstpage_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/invalid.jpg", invalid_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/lastpage.jpg", lastpage_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/nosd.jpg", nosd_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/unlock.jpg", unlock_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/displaysetup.jpg", displaysetup_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/mp3play.jpg", mp3play_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/power00.jpg", power00_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power01.jpg", power01_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power02.jpg", power02_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power03.jpg", power03_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power04.jpg", power04_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power05.jpg", power05_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/power06.jpg", power06_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/powerX.jpg", powerX_data_0040_0022, nullptr, 40, 22},
    {"/Kora/res/productinfo.jpg", productinfo_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/recentceb.jpg", recentceb_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/reset.jpg", reset_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/right.jpg", right_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/rtb.jpg", rtb_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/spacecheck.jpg", spacecheck_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/syssetup.jpg", syssetup_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/tb.jpg", tb_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/top.jpg", top_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/tr.jpg", tr_data_0030_0030, nullptr, 30, 30},
    {"/Kora/res/volset.jpg", volset_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/wait.jpg", wait_data_0370_0045, nullptr, 370, 45},
    {"/Kora/res/displaysetup.jpg", displaysetup_data_0045_0035, nullptr, 45, 35},
    {"/Kora/res/update.jpg", update_data_0045_0035, nullptr, 45, 35},
    {"", nullptr, nullptr, 0, 0},
};

namespace {

// Draws every picture once, when the library is loaded.
struct DrawAll {
    DrawAll() {
#define X(name, symbol, w, h, kind, param)                                                                             \
    {                                                                                                                  \
        Canvas c(symbol, w, h);                                                                                        \
        Draw(c, kind, param);                                                                                          \
    }
        GL_BUILTIN_IMAGES(X)
#undef X
    }
} gDrawAll;

} // namespace

GL_BuiltinImage const* GL_FindBuiltinImage(char const* path) {
    if (!path || !*path) return nullptr;
    for (const GL_BuiltinImage& e : gBuiltinImages) {
        if (!e.path || !*e.path) break;
        if (strcmp(e.path, path) == 0) return &e;
    }
    return nullptr;
}
