// The language file reader and the text conversions. The input is a
// language table file: it is loaded through "/home/lang.txt" by SwitchLang,
// then every key and section it names is looked up. The same bytes then go
// through every conversion, each input in a heap block of exactly its
// documented size, so that a read or write one byte out of bounds is caught;
// the lengths the conversions report are checked against their contracts.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "gui_conv.h"
#include "gui_lang.h"
#include "gui_util.h"

namespace {

// A heap copy of exactly n bytes (one byte for n = 0).
struct Block {
    char* p;
    explicit Block(size_t n) : p(static_cast<char*>(malloc(n ? n : 1))) {}
    Block(const uint8_t* data, size_t n) : Block(n) { memcpy(p, data, n); }
    ~Block() { free(p); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
};

void Check(bool ok) {
    if (!ok) abort();
}

void Language(const uint8_t* data, size_t size) {
    fuzz::WriteRootFile("/Kora/res/langinfo_fuzz.txt", std::string(reinterpret_cast<const char*>(data), size));
    SwitchLang();
    // Every "key" before an "=" and every "[name]" of the file, looked up
    // in the first section and in the section above it.
    std::string text(reinterpret_cast<const char*>(data), size), section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == '[') {
            section = line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
            FindSection(const_cast<char*>(section.c_str()), 0);
            continue;
        }
        std::string key = line.substr(0, line.find('='));
        getTransstr(const_cast<char*>(key.c_str()));
        char* t = getTransstr(const_cast<char*>(key.c_str()), const_cast<char*>(section.c_str()));
        Check(t != nullptr);
        Check(strlen(t) < (1u << 20));
    }
    DestroyLang();
}

void Conversions(const uint8_t* data, size_t size) {
    const int n = int(size);
    {
        Block in(data, size), out(2 * size);
        int len = n;
        MU82U(in.p, out.p, &len);
        if (n > 0) Check(len >= 0 && len <= 2 * n && len % 2 == 0);
    }
    {
        Block in(data, size), out(3 * (size / 2));
        int len = n;
        MU2U8(in.p, out.p, &len);
        Check(len <= 3 * (n / 2));
    }
    {
        Block in(data, size), out(2 * size);
        int len = n;
        MG2U(in.p, out.p, &len);
        Check(len <= 2 * n);
    }
    {
        Block in(data, size), out(size);
        int len = n;
        MU2G(in.p, out.p, &len);
        Check(len <= n);
    }
    {
        Block in(data, size);
        int len = n;
        char* r = MG2U8(in.p, &len);
        if (r) Check(len <= 3 * n && strlen(r) <= size_t(len));
        GL_free(r);
        len = n;
        r = MU82G(in.p, &len);
        if (r) Check(len <= 2 * n);
        GL_free(r);
    }
    if (n > 0 && data[0] != 0) {
        Block in(data, size);
        int count = -1;
        unsigned short* u = Utf82UConvert(in.p, (unsigned long)n, &count);
        Check(u && count <= n);
        GL_free(u);
    }
    {
        Block in(data, size);
        int len = -1;
        char* r = U2Utf8Convert(reinterpret_cast<unsigned short*>(in.p), n / 2, &len);
        Check(r && len <= 3 * (n / 2));
        GL_free(r);
    }
    {
        Block in(data, size);
        for (int i = 0; i < n;) {
            int len = n - i;
            Gb180302Unicode(reinterpret_cast<unsigned char*>(in.p + i), &len);
            Check(len >= 1 && len <= std::min(2, n - i));
            i += len;
        }
    }
    {
        Block in(data, size), out(2 * size);
        Check(GB2UnicodeByLen(in.p, n, reinterpret_cast<unsigned short*>(out.p)) <= n);
    }
    if (size >= 2) {
        Block in(data, 2), out(2);
        U2G(in.p, out.p);
        U2G2(in.p, out.p);
        GB2UnicodeWord(data[0], data[1], nullptr);
    }
    if (n > 0) {
        Block in(data, size);
        unsigned short* w = nullptr;
        int count = -1;
        int units = Char2String(in.p, n, &w, &count);
        Check(units <= n);
        if (units > 0) {
            char* back = nullptr;
            int len = -1;
            String2Char(w, units, &back, &len);
            GL_free(back);
        }
        GL_free(w);
        Block exact(2 * size + 2);
        unsigned short* pw = reinterpret_cast<unsigned short*>(exact.p);
        unsigned char single = 9;
        Check(AChar2String(in.p, n, &pw, &count, &single) == units && pw[units] == 0);
    }
    {
        Block in(data, size), out(4 * size + 4);
        int produced = my_iconv2("UTF-8", "GB18030", out.p, unsigned(4 * size + 4), in.p, unsigned(size));
        Check(produced >= 0 && produced <= int(4 * size + 4));
        produced = my_iconv2("UTF-8", "BIG5", out.p, unsigned(4 * size + 4), in.p, unsigned(size));
        Check(produced >= 0 && produced <= int(4 * size + 4));
    }
}

} // namespace

EINK_FUZZ_TARGET(text) {
    static const bool ready = (fuzz::WriteRootFile("/home/lang.txt", "fuzz\n"), true);
    (void)ready;
    Language(data, size);
    Conversions(data, size);
    return 0;
}
