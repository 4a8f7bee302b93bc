// What the fuzz targets share: one emulated root per process.
#pragma once

#include <string>

namespace fuzz {

// A fresh temporary directory made the process's EINK_ROOT on first use
// (before anything resolves a fixed path); removed when the process exits.
const std::string& Root();

// Writes a file under the root (fixedPath as the system names it),
// creating its folders.
void WriteRootFile(const std::string& fixedPath, const std::string& content);

} // namespace fuzz
