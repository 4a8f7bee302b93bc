// A fresh emulated device in a temporary directory: the panel file, the host
// key files and whatever configuration a test writes. Removed at the end.
#pragma once

#include <string>

namespace testing_eink {

class EinkRoot {
public:
    // `large` makes an 824 x 1200 panel instead of 600 x 800.
    explicit EinkRoot(bool large = false);
    ~EinkRoot();
    EinkRoot(const EinkRoot&) = delete;
    EinkRoot& operator=(const EinkRoot&) = delete;

    const std::string& dir() const { return dir_; }
    // "/home/refresh.txt" -> "<dir>/home/refresh.txt".
    std::string Path(const std::string& fixedPath) const;
    // Writes a file (parents created); returns its full path.
    std::string Write(const std::string& fixedPath, const std::string& content) const;
    std::string Read(const std::string& fixedPath) const;
    bool Exists(const std::string& fixedPath) const;
    void Remove(const std::string& fixedPath) const;
    // Creates a named pipe (parents created); returns its full path.
    std::string MakeFifo(const std::string& fixedPath) const;
    void MakeDir(const std::string& fixedPath) const;

    int panelWidth() const { return large_ ? 824 : 600; }
    int panelHeight() const { return large_ ? 1200 : 800; }

private:
    std::string dir_;
    bool large_;
};

} // namespace testing_eink
