#include "gui_lang.h"
#include "gui_util.h"
#include "harness/fonts.h"
#include "zlist.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define HAVE_ASAN 1
#endif

namespace {

// The emulated root must be fixed before anything resolves a device path.
const std::string& kRoot = testing_eink::InProcessRoot();

void MakeDirs(const std::string& path) {
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

void Write(const std::string& fixedPath, const std::string& content) {
    std::string full = kRoot + fixedPath;
    MakeDirs(full);
    std::ofstream(full, std::ios::binary) << content;
}

void Remove(const std::string& fixedPath) { unlink((kRoot + fixedPath).c_str()); }

std::string TableFile(const std::string& lang) { return "/Kora/res/langinfo_" + lang + ".txt"; }

// Starts each test from a device without language files.
class Lang : public ::testing::Test {
protected:
    void SetUp() override {
        Remove("/home/lang.txt");
        SwitchLang();
    }
    void TearDown() override {
        DestroyLang();
        Remove("/home/lang.txt");
    }
    // Translation with string arguments (the API takes char*).
    static std::string T(const char* text, const char* section) {
        std::string t(text), s(section ? section : "");
        char* r = getTransstr(&t[0], section ? &s[0] : nullptr);
        return r == &t[0] ? "<untranslated>" : std::string(r);
    }
    static std::vector<std::string> SectionNames() {
        std::vector<std::string> names;
        if (!pLangInfoSection) return names;
        for (ZPCList* n = pLangInfoSection->first; n; n = n->next)
            names.push_back(static_cast<LangSection*>(n->data)->name);
        return names;
    }
};

TEST_F(Lang, WithoutAUsableLanguageFileOrTableTextIsReturnedAsItIs) {
    EXPECT_EQ(lang_init, 1);
    char text[] = "Open", section[] = "";
    EXPECT_EQ(getTransstr(text, section), text);
    EXPECT_EQ(getTransstr(text, nullptr), text);
    EXPECT_EQ(getTransstr(nullptr, section), nullptr);
    EXPECT_EQ(getCurrLang(), nullptr);

    // Nothing usable in the file; a language without a table; "english",
    // which never loads a table even when one exists.
    Write(TableFile("english"), "Open=Ouvrir\n");
    for (const char* file : {"# comment only\n\n  \t\r\n", "#comment\n\n   \t\nklingon \t\r\nfrench\n", "english\n"}) {
        SCOPED_TRACE(file);
        Write("/home/lang.txt", file);
        SwitchLang();
        EXPECT_STREQ(langinfo_fname, "english");
        EXPECT_EQ(pFirstSection, nullptr);
        EXPECT_EQ(T("Open", ""), "<untranslated>");
    }
    Write("/home/lang.txt", "#comment\n\n   \t\nklingon \t\r\nfrench\n");
    char* name = getCurrLang();
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "klingon");
    GL_free(name);
    Remove(TableFile("english"));
}

TEST_F(Lang, TableLinesFollowTheSectionAndKeyRules) {
    Write(TableFile("french"), "# comment\r\n"
                               "Open=Ouvrir\r\n"
                               "Close=Fermer \t\r\n"
                               "[menu]\n"
                               "File=Fichier\n"
                               "[x]\n"
                               "Edit=Editer\n"
                               "a=b=c\n"
                               "=x\n"
                               "a=\n"
                               "noequal\n"
                               "#Quit=Hidden\n"
                               "Quit=Quitter\n"
                               "Quit=Second\n"
                               "[]\n"
                               "[ab\n"
                               "[dialog]trailing text\n"
                               "OK=D'accord\n"
                               "[menu]\n"
                               "Help=Aide\n"
                               "Open=Ouvrir dans le dialogue\n"
                               "[ab]\n"
                               "k= v \n");
    Write("/home/lang.txt", "french\n");
    SwitchLang();
    EXPECT_STREQ(langinfo_fname, "french");
    EXPECT_EQ(SectionNames(), (std::vector<std::string>{"public", "menu", "dialog", "ab"}));

    // Items before any header are in "public", the first section; "[x]" is
    // too short to be a header (its items stay in "menu"); a repeated header
    // does not switch back (its items went to "dialog").
    const char* const cases[][3] = {
        {"Open", "", "Ouvrir"},       {"Open", nullptr, "Ouvrir"},
        {"Open", "public", "Ouvrir"}, {"Close", "", "Fermer"},
        {"File", "menu", "Fichier"},  {"File", "", nullptr},
        {"Edit", "menu", "Editer"},   {"Edit", "x", nullptr},
        {"a", "menu", "b=c"},         {"Quit", "menu", "Quitter"},
        {"OK", "dialog", "D'accord"}, {"Help", "dialog", "Aide"},
        {"Help", "menu", nullptr},    {"k", "ab", " v"},
        {"Open", "nosuch", nullptr},  {"Open", "dialog", "Ouvrir dans le dialogue"},
        {"open", "", nullptr},
    };
    for (auto& c : cases)
        EXPECT_EQ(T(c[0], c[1]), c[2] ? c[2] : "<untranslated>") << c[0] << " in " << (c[1] ? c[1] : "(null)");

    // "=x", "a=", "noequal" and comments stored nothing.
    ZPSList* menu = FindSection(const_cast<char*>("menu"), 0);
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> keys;
    for (ZPCList* n = menu->first; n; n = n->next)
        keys.push_back(static_cast<LangItem*>(n->data)->key);
    EXPECT_EQ(keys, (std::vector<std::string>{"File", "Edit", "a", "Quit", "Quit"}));
    Remove(TableFile("french"));
}

TEST_F(Lang, SectionLookupAndTheLastSectionCache) {
    // An empty table: an empty name creates "public" on demand.
    EXPECT_EQ(pLangInfoSection->count, 0);
    ZPSList* pub = FindSection(nullptr, 0);
    ASSERT_NE(pub, nullptr);
    EXPECT_EQ(SectionNames(), std::vector<std::string>{"public"});
    EXPECT_EQ(pFirstSection, pub);
    EXPECT_EQ(pLastSection, pub);
    EXPECT_STREQ(sLastSectionName, "public");

    AddLangSection("one");
    ZPSList* one = pLastSection;
    EXPECT_STREQ(sLastSectionName, "one");
    AddLangSection("public"); // exists: the cache does not move
    EXPECT_EQ(pLastSection, one);
    AddLangSection("");
    AddLangSection(nullptr);
    EXPECT_EQ(SectionNames(), (std::vector<std::string>{"public", "one"}));

    char empty[] = "";
    EXPECT_EQ(FindSection(empty, 0), pub); // reading: the first section
    EXPECT_EQ(FindSection(empty, 1), one); // adding: the last section
    EXPECT_EQ(FindSection(const_cast<char*>("one"), 0), one);
    EXPECT_EQ(FindSection(const_cast<char*>("two"), 1), nullptr);

    char k[] = "k", v[] = "v", w[] = "w", two[] = "two";
    AddLangItem(nullptr, k, v);
    AddLangItem(two, k, w); // no such section: ignored
    AddLangItem(empty, empty, w);
    AddLangItem(nullptr, k, empty);
    AddLangItem(nullptr, nullptr, v);
    EXPECT_EQ(one->count, 1);
    EXPECT_EQ(pub->count, 0);

    // InitLang again keeps the table but forgets the last section.
    InitLang();
    EXPECT_EQ(pLastSection, nullptr);
    EXPECT_STREQ(sLastSectionName, "");
    EXPECT_EQ(FindSection(empty, 1), nullptr);
    EXPECT_EQ(FindSection(const_cast<char*>("one"), 1), one);

    // While english is current nothing is translated, loaded or not.
    EXPECT_STREQ(langinfo_fname, "english");
    EXPECT_EQ(T("k", "one"), "<untranslated>");
    GetLangInfo(); // english: no file is read
    EXPECT_EQ(SectionNames(), (std::vector<std::string>{"public", "one"}));
    snprintf(langinfo_fname, sizeof langinfo_fname, "%s", "custom");
    EXPECT_EQ(T("k", "one"), "v");

    DestroyLang();
    EXPECT_EQ(lang_init, 0);
    EXPECT_EQ(pLangInfoSection, nullptr);
    EXPECT_EQ(pFirstSection, nullptr);
    EXPECT_EQ(pLastSection, nullptr);
    EXPECT_EQ(T("k", "one"), "<untranslated>");
}

TEST_F(Lang, SwitchLangFreesEarlierTranslations) {
    Write(TableFile("german"), "Open=Offnen\nClose=Schliessen\n");
    Write("/home/lang.txt", "german\n");
    SwitchLang();
    char open[] = "Open";
    char* translated = getTransstr(open, nullptr);
    ASSERT_STREQ(translated, "Offnen");

    // Switching back to english frees the whole table, the returned text too.
    Write("/home/lang.txt", "english\n");
    SwitchLang();
#ifdef HAVE_ASAN
    EXPECT_TRUE(__asan_address_is_poisoned(translated));
#endif
    EXPECT_EQ(getTransstr(open, nullptr), open);

    // And a file that disappears leaves english and no table.
    Write("/home/lang.txt", "german\n");
    SwitchLang();
    translated = getTransstr(open, nullptr);
    ASSERT_STREQ(translated, "Offnen");
    Remove("/home/lang.txt");
    SwitchLang();
#ifdef HAVE_ASAN
    EXPECT_TRUE(__asan_address_is_poisoned(translated));
#endif
    EXPECT_STREQ(langinfo_fname, "english");
    EXPECT_EQ(pLangInfoSection->count, 0);
    Remove(TableFile("german"));
}

TEST_F(Lang, OverlongNamesAndLinesAreBoundedSafely) {
    // A section name longer than the 50-byte cache: kept whole in the table,
    // cut in the cache, and a name equal to the cut copy is another section.
    std::string longSection(60, 's');
    std::string cut(49, 's');
    std::string longValue(3000, 'v');
    Write(TableFile("longish"),
          "[" + longSection + "]\nk=long\n[" + cut + "]\nk=cut\n[" + longSection + "]\nk2=x\nbig=" + longValue + "\n");
    Write("/home/lang.txt", "#" + std::string(2000, 'c') + "\nlongish\n");
    SwitchLang();
    ASSERT_STREQ(langinfo_fname, "longish");
    EXPECT_EQ(T("k", longSection.c_str()), "long");
    EXPECT_EQ(T("k", cut.c_str()), "cut");
    EXPECT_STREQ(sLastSectionName, cut.c_str());
    EXPECT_EQ(T("k2", cut.c_str()), "x"); // the repeated long header left the cache on the cut one
    EXPECT_EQ(T("big", cut.c_str()), longValue);

    // A language name too long for langinfo_fname is not taken.
    std::string longLang(150, 'l');
    Write(TableFile(longLang), "Open=Long\n");
    Write("/home/lang.txt", longLang + "\n");
    SwitchLang();
    EXPECT_STREQ(langinfo_fname, "english");
    EXPECT_EQ(T("Open", ""), "<untranslated>");
    char* name = getCurrLang();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name), longLang);
    GL_free(name);
    Remove(TableFile(longLang));
    Remove(TableFile("longish"));
}

} // namespace
