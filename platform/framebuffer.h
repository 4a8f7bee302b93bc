// The frame buffer device and the e-ink controller behind it. Two backends
// share this interface: the Linux frame buffer ("/dev/fb0", a character
// device) and the emulated panel used on a desktop (a regular file at the
// same path). Opening, mapping and unmapping are common; only the screen
// information queries and the update command differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace eink {

// The e-ink controller's update command, issued on the frame buffer
// descriptor with a record of six 32-bit words.
constexpr unsigned long kPanelUpdateIoctl = 0x46DD;

struct PanelUpdate {
    uint32_t left, top;
    uint32_t right, bottom; // left + width, top + height
    uint32_t word4, word5;  // meaning left to the driver; always 0 here
};

// What the driver reports as the visible resolution.
struct PanelResolution {
    int32_t xres;
    int32_t yres;
};

class FrameBuffer {
public:
    virtual ~FrameBuffer();

    // Opens the frame buffer at an already resolved path, read-write. A
    // character device gets the Linux backend, a regular file the emulated
    // panel. Null when it cannot be opened (errno tells why).
    static std::unique_ptr<FrameBuffer> Open(const std::string& path);

    // FBIOGET_FSCREENINFO; false when the driver refuses it.
    virtual bool ReadFixedInfo() = 0;
    // FBIOGET_VSCREENINFO: the visible resolution.
    virtual bool ReadResolution(PanelResolution* out) = 0;
    // The update command with its record. Failures are not reported: the
    // controller offers no way to recover from them.
    virtual void Update(const PanelUpdate& record) = 0;
    // True when this is the emulated panel.
    virtual bool Emulated() const = 0;

    // Maps `length` bytes of the panel memory, shared and read-write. Null
    // (with a message on stderr) when the mapping is impossible; nothing may
    // be written through a failed mapping.
    uint8_t* Map(size_t length);
    void Unmap();
    uint8_t* mapped() const { return map_; }
    size_t mappedLength() const { return mapLength_; }
    const std::string& path() const { return path_; }

protected:
    FrameBuffer(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    // Largest mapping the backing store allows (the file size of an emulated
    // panel: mapping past its end would fault on the first write).
    virtual size_t MappableLength() const = 0;

    int fd_;
    std::string path_;
    uint8_t* map_ = nullptr;
    size_t mapLength_ = 0;
};

// Converts 8-bit grey to the panel format: two pixels per byte, first pixel in
// the high nibble, each nibble 15 minus the top four bits of the grey level
// (panel 0 is white, 15 black). `pixels` must be even; `dst` gets pixels / 2
// bytes.
void ConvertToPanel(const uint8_t* src, uint8_t* dst, size_t pixels);
// The same one byte at a time: the reference the fast version is held to.
void ConvertToPanelReference(const uint8_t* src, uint8_t* dst, size_t pixels);
// Widest vector width in bits that ConvertToPanel uses on this processor
// (512, 256, 128; 64 for the portable word-at-a-time form).
int PanelConversionLevel();
// The conversion at a given width, for tests; false when this processor
// cannot run it.
bool ConvertToPanelAt(int level, const uint8_t* src, uint8_t* dst, size_t pixels);

// Grey level at which the emulation shows a panel nibble: 255 - 17 n.
inline uint8_t PanelNibbleToGrey(uint8_t nibble) { return uint8_t(255 - 17 * (nibble & 15)); }

// Writes the grey picture of a packed panel image (width x height pixels,
// width / 2 bytes per row) as an 8-bit grey PNG, atomically.
bool WritePanelPng(const std::string& path, const uint8_t* panel, int width, int height);

} // namespace eink
