// Language tables. Lines are read whole, whatever their length, so that the
// tail of an over-long line is never taken for a line of its own.
#include "gui_lang.h"

#include "gui_util.h"
#include "platform/einkroot.h"
#include "zlist.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

int lang_init = 0;
char langinfo_fname[100] = "english";
ZPSList* pLangInfoSection = nullptr;
ZPSList* pFirstSection = nullptr;
ZPSList* pLastSection = nullptr;
char sLastSectionName[50] = "";

namespace {

const char kEnglish[] = "english";

// Copies s into a fixed buffer, cut to fit.
template <size_t N> void CopyName(char (&dst)[N], const char* s) { snprintf(dst, N, "%s", s ? s : ""); }

bool IsEnglish(const char* name) { return strcmp(name, kEnglish) == 0; }

// Reads the next line without its trailing CR, LF, spaces and tabs. False at
// end of file. An embedded NUL ends the line's text.
bool ReadLine(FILE* f, std::string& line) {
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n = getline(&buf, &cap, f);
    if (n < 0) {
        free(buf);
        return false;
    }
    line.assign(buf);
    free(buf);
    size_t end = line.find_last_not_of("\r\n \t");
    line.erase(end == std::string::npos ? 0 : end + 1);
    return true;
}

// The language named in "/home/lang.txt": -1 when the file cannot be opened,
// 0 when it has no usable line, 1 with the name.
int ReadLangName(std::string& name) {
    FILE* f = fopen(eink::Path("/home/lang.txt").c_str(), "r");
    if (!f) return -1;
    std::string line;
    int found = 0;
    while (ReadLine(f, line)) {
        if (line.empty() || line[0] == '#') continue;
        name = line;
        found = 1;
        break;
    }
    fclose(f);
    return found;
}

std::string TablePath(const char* lang) {
    std::string fixed = std::string("/Kora/res/langinfo_") + lang + ".txt";
    return eink::Path(fixed.c_str());
}

void LoadLine(std::string& line) {
    if (line.empty() || line[0] == '#') return;
    if (line[0] == '[') {
        size_t close = line.find(']');
        if (close == std::string::npos || close < 3) return; // names have two characters at least
        AddLangSection(line.substr(1, close - 1).c_str());
        return;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 >= line.size()) return;
    std::string key = line.substr(0, eq);
    std::string text = line.substr(eq + 1);
    AddLangItem(nullptr, &key[0], &text[0]);
}

LangSection* FindSectionRecord(const char* name) {
    if (!pLangInfoSection) return nullptr;
    for (ZPCList* node = pLangInfoSection->first; node && node->data; node = node->next) {
        LangSection* sec = static_cast<LangSection*>(node->data);
        if (strcmp(sec->name, name) == 0) return sec;
    }
    return nullptr;
}

// The record of the last section created, while the cache names one: it is
// the tail of the section list, as sections are only ever appended.
LangSection* LastSectionRecord() {
    if (!pLastSection || !pLangInfoSection || !pLangInfoSection->last) return nullptr;
    LangSection* sec = static_cast<LangSection*>(pLangInfoSection->last->data);
    return sec && sec->items == pLastSection ? sec : nullptr;
}

} // namespace

void InitLang() {
    if (!lang_init) {
        CopyName(langinfo_fname, kEnglish);
        lang_init = 1;
        if (!pLangInfoSection) pLangInfoSection = new ZPSList(0);
    }
    pLastSection = nullptr;
    sLastSectionName[0] = '\0';
}

void DestroyLang() {
    // Also when lang_init is 0: a table loaded without InitLang is freed too.
    if (pLangInfoSection) {
        for (ZPCList* node = pLangInfoSection->first; node; node = node->next) {
            LangSection* sec = static_cast<LangSection*>(node->data);
            for (ZPCList* it = sec->items->first; it; it = it->next) {
                LangItem* item = static_cast<LangItem*>(it->data);
                GL_free(item->key);
                GL_free(item->text);
                delete item;
            }
            delete sec->items;
            GL_free(sec->name);
            delete sec;
        }
        delete pLangInfoSection;
    }
    pLangInfoSection = nullptr;
    pFirstSection = nullptr;
    pLastSection = nullptr;
    sLastSectionName[0] = '\0';
    lang_init = 0;
}

void SwitchLang() {
    DestroyLang();
    InitLang();
    std::string name;
    int found = ReadLangName(name);
    if (found < 0) {
        CopyName(langinfo_fname, kEnglish);
        return;
    }
    if (found == 0) return;
    // A name that does not fit the buffer cannot be kept as the current
    // language; cutting it would name another table.
    if (name.size() >= sizeof langinfo_fname) return;
    struct stat st;
    if (stat(TablePath(name.c_str()).c_str(), &st) != 0 || name == langinfo_fname) return;
    CopyName(langinfo_fname, name.c_str());
    GetLangInfo();
}

void GetLangInfo() {
    if (!langinfo_fname[0] || IsEnglish(langinfo_fname)) return;
    std::string path = TablePath(langinfo_fname);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return;
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return;
    std::string line;
    while (ReadLine(f, line))
        LoadLine(line);
    fclose(f);
}

void AddLangSection(char const* name) {
    if (!name || !*name) return;
    if (FindSectionRecord(name)) return;
    if (!pLangInfoSection) pLangInfoSection = new ZPSList(0);
    LangSection* sec = new LangSection{GL_CopyString(name), new ZPSList(0)};
    pLangInfoSection->AppendItem(sec);
    pLastSection = sec->items;
    CopyName(sLastSectionName, name);
    if (!pFirstSection) pFirstSection = sec->items;
}

ZPSList* FindSection(char* name, unsigned char adding) {
    bool empty = !name || !*name;
    if (empty && (!pLangInfoSection || pLangInfoSection->count == 0)) AddLangSection("public");
    if (empty) return adding ? pLastSection : pFirstSection;
    // Compared with the full name of the last section, not the cut copy in
    // sLastSectionName, so that a long name never matches another one.
    if (LangSection* last = LastSectionRecord())
        if (strcmp(last->name, name) == 0) return pLastSection;
    LangSection* sec = FindSectionRecord(name);
    return sec ? sec->items : nullptr;
}

void AddLangItem(char* section, char* key, char* text) {
    if (!key || !*key || !text || !*text) return;
    ZPSList* items = FindSection(section, 1);
    if (!items) return;
    items->AppendItem(new LangItem{GL_CopyString(key), GL_CopyString(text)});
}

char* getTransstr(char* text, char* section) {
    if (!pLangInfoSection || !text || !*text || !lang_init || IsEnglish(langinfo_fname)) return text;
    ZPSList* items = FindSection(section, 0);
    if (!items) return text;
    for (ZPCList* node = items->first; node && node->data; node = node->next) {
        LangItem* item = static_cast<LangItem*>(node->data);
        if (strcmp(item->key, text) == 0) return item->text;
    }
    return text;
}

char* getCurrLang() {
    std::string name;
    if (ReadLangName(name) <= 0) return nullptr;
    return GL_CopyString(name.c_str());
}
