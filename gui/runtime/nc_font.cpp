// Fonts built from the metric tables of SysInfo.
#include "nc_font.h"

#include "egui_conn.h"
#include "protocol/protocol.h"

namespace si = proto::sysinfo;

int iCharId = 0;

static_assert(sizeof(unsigned int) * GL_FONT_ENTRY_WORDS == si::kMetricEntrySize, "metric entry size");

GL_Font::GL_Font(char const*, int, int) : reserved(0), entry{} {}

GL_Font::~GL_Font() {}

GL_Font* NC_NewFont(char const* name, int size, int style, unsigned char) {
    // A character set outside the three tables would read past the record.
    int charset = iCharId < 0 ? 0 : iCharId >= int(si::kCharsets) ? int(si::kCharsets) - 1 : iCharId;
    GL_Font* font = new GL_Font(name, size, style);
    const unsigned char* src = gSysInfo + si::MetricOffset(uint32_t(charset), size);
    for (int i = 0; i < GL_FONT_ENTRY_WORDS; ++i)
        font->entry[i] = proto::GetU32(src + 4 * i);
    return font;
}

int NC_DeleteFont(int id) { return id >= 0 ? 1 : 0; }
