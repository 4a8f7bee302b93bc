#include "harness/eink_root.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_eink {

namespace {

void MakeParents(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/') continue;
        std::string part = path.substr(0, i);
        mkdir(part.c_str(), 0755);
    }
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

} // namespace

EinkRoot::EinkRoot(bool large) : large_(large) {
    char tmpl[] = "/tmp/eink-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error(std::string("mkdtemp: ") + strerror(errno));
    dir_ = tmpl;
    for (const char* d : {"/dev/input", "/home", "/tmp", "/proc", "/mnt/us", "/sys/power", "/etc/sysconfig"})
        MakeDir(d);
    // The panel: a plain file of the packed 4-bit image, with its size.
    std::string fb = Path("/dev/fb0");
    {
        std::ofstream f(fb, std::ios::binary);
        std::string zeros(size_t(panelWidth()) * panelHeight() / 2, '\0');
        f.write(zeros.data(), std::streamsize(zeros.size()));
    }
    Write("/dev/fb0.mode", std::to_string(panelWidth()) + " " + std::to_string(panelHeight()) + "\n");
    // The host system's key injection files.
    Write("/proc/keypad", "");
    Write("/proc/fiveway", "");
}

EinkRoot::~EinkRoot() {
    if (!dir_.empty() && !getenv("EINK_KEEP_ROOT")) nftw(dir_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string EinkRoot::Path(const std::string& fixedPath) const { return dir_ + fixedPath; }

std::string EinkRoot::Write(const std::string& fixedPath, const std::string& content) const {
    std::string p = Path(fixedPath);
    MakeParents(p);
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(content.data(), std::streamsize(content.size()));
    return p;
}

std::string EinkRoot::Read(const std::string& fixedPath) const {
    std::ifstream f(Path(fixedPath), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool EinkRoot::Exists(const std::string& fixedPath) const { return access(Path(fixedPath).c_str(), F_OK) == 0; }

void EinkRoot::Remove(const std::string& fixedPath) const { unlink(Path(fixedPath).c_str()); }

std::string EinkRoot::MakeFifo(const std::string& fixedPath) const {
    std::string p = Path(fixedPath);
    MakeParents(p);
    unlink(p.c_str());
    if (mkfifo(p.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + p + ": " + strerror(errno));
    return p;
}

void EinkRoot::MakeDir(const std::string& fixedPath) const {
    std::string p = Path(fixedPath) + "/";
    MakeParents(p);
}

} // namespace testing_eink
