#include "harness/fonts.h"

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_eink {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kDejaVuSansMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const char* const kWqyMicroHei = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

const char* const kXftFontList = "/mnt/us/velmora/res/xftfont.lst";
const char* const kFontList = "/mnt/us/velmora/res/font.lst";

namespace {

void WriteFile(const std::string& path, const std::string& content) {
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
    if (!f) throw std::runtime_error("cannot write " + path);
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

// A function-local static: test files call InProcessRoot from their own
// static initialisers, whose order against this file's is not fixed.
std::string& RootStorage() {
    static std::string dir;
    return dir;
}

void RemoveInProcessRoot() {
    if (!RootStorage().empty() && !getenv("EINK_KEEP_ROOT"))
        nftw(RootStorage().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

const std::string& InProcessRoot() {
    std::string& dir = RootStorage();
    if (dir.empty()) {
        char tmpl[] = "/tmp/eink-fonts-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
        dir = tmpl;
        setenv("EINK_ROOT", tmpl, 1);
        atexit(RemoveInProcessRoot);
    }
    return dir;
}

void WriteFontLists(const std::string& rootDir, const std::vector<std::string>& fonts, const std::string& defaultFont) {
    std::string list;
    for (const std::string& f : fonts)
        list += f + "\n";
    WriteFile(rootDir + kXftFontList, list);
    if (defaultFont.empty())
        unlink((rootDir + kFontList).c_str());
    else
        WriteFile(rootDir + kFontList, defaultFont + "\n");
}

void WriteFontLists(const EinkRoot& root, const std::vector<std::string>& fonts, const std::string& defaultFont) {
    WriteFontLists(root.dir(), fonts, defaultFont);
}

void WriteDefaultFontLists(const EinkRoot& root) {
    WriteFontLists(root, {kDejaVuSans, kDejaVuSansMono, kWqyMicroHei}, kDejaVuSans);
}

} // namespace testing_eink
