// Language tables: user-interface strings in the language chosen on the
// device. "/home/lang.txt" names the language; "/Kora/res/langinfo_<name>.txt"
// holds "[section]" headers and key=value lines. A client calls SwitchLang at
// start and whenever the device language changes, then getTransstr for each
// user-visible string.
#pragma once

class ZPSList;

// One "[name]" section: the name (heap copy) and its items (LangItem*).
struct LangSection {
    char* name;
    ZPSList* items;
};

// One key=value line: both heap copies.
struct LangItem {
    char* key;
    char* text;
};

extern int lang_init;             // 1 once InitLang has run, 0 after DestroyLang
extern char langinfo_fname[100];  // current language, "english" by default
extern ZPSList* pLangInfoSection; // LangSection records in file order
extern ZPSList* pFirstSection;    // items of the first section created
extern ZPSList* pLastSection;     // items of the most recently created section
extern char sLastSectionName[50]; // its name (cut to fit)

// Prepares the empty state ("english", no sections) once; always clears the
// last-section cache.
void InitLang();
// Frees every section, item and string of the loaded table.
void DestroyLang();
// Reloads the language named by "/home/lang.txt". Frees everything earlier
// getTransstr calls returned. A missing file or table means "english".
void SwitchLang();
// Loads the table file of langinfo_fname (nothing for "english").
void GetLangInfo();
// Creates a section unless one of that name exists; it becomes the last one.
void AddLangSection(char const* name);
// Item list of a section. An empty or null name means the first section
// (adding = 0) or the last one (adding = 1); "public" is created when the
// table is empty. Null when there is no such section.
ZPSList* FindSection(char* name, unsigned char adding);
// Appends key=text to a section (null or "" section: see FindSection).
void AddLangItem(char* section, char* key, char* text);
// Translation of text in a section ("" or null: the first one), or text
// itself when there is none. The result stays valid until the next
// DestroyLang or SwitchLang.
char* getTransstr(char* text, char* section = nullptr);
// Heap copy (caller frees) of the name in "/home/lang.txt", null if none.
char* getCurrLang();
