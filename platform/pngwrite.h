// A small PNG writer for 8-bit grey pictures (the panel snapshots).
#pragma once

#include <string>

#include <cstdint>

namespace eink {

// Writes width x height grey pixels (rows `stride` bytes apart) to `path`.
// The file is written under a temporary name and renamed into place, so a
// reader never sees half a picture. False on any failure, with no file left.
bool WriteGreyPng(const std::string& path, const uint8_t* pixels, int width, int height, size_t stride);

} // namespace eink
