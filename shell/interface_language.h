#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "platform/settings_store.h"
#include "shell/interface_texts.h"
#include "shell/language_file.h"

// One interface language: the letter stored in LANGUAGE, its file beside the
// program, and its menu item with the item's caption.
struct LanguageChoice {
    char letter;
    const char *file_name;
    const char *menu_item;
    const char *caption;  // UTF-8
};

// The ten languages in menu order, each named in its own language, so that
// every observer finds theirs whatever the language shown.
inline constexpr std::array<LanguageChoice, 10> LANGUAGES = {{
    {'E', "ENGLISH.LNG", "English1", "English"},
    {'F', "FRANCAIS.LNG", "French1", "Fran\u00e7ais"},
    {'N', "DUTCH.LNG", "Nederlands1", "Nederlands"},
    {'G', "DEUTSCH.LNG", "Deutsch1", "Deutsch"},
    {'I', "ITALIANO.LNG", "Italiano1", "Italiano"},
    {'S', "SPANISH.LNG", "Espaol1", "Espa\u00f1ol"},
    {'X', "DANISH.LNG", "Danish1", "Dansk"},
    {'O', "NORWEGIAN.LNG", "Norwegian1", "Norsk"},
    {'Y', "SWEDISH.LNG", "Swedish1", "Svenska"},
    {'U', "CHINESE.LNG", "UserLanguage1", "\u4e2d\u6587"},
}};

// The language a stored LANGUAGE text starts the program in: the one whose
// letter is the text's first character, English for anything else.
const LanguageChoice &StartupLanguage(const QString &stored);
// The language of `letter`, in either case (all ten, Swedish too), or null.
const LanguageChoice *LanguageOfLetter(QChar letter);

// One look-up of SetInterface: a key and the text it fills.
struct TextLookup {
    const char *key;
    QString InterfaceTexts::*text;
};
// Every look-up of SetInterface, in its order. ABOUT is looked up three
// times and FRM_HISTO twice, once for each control they name.
extern const std::array<TextLookup, 87> INTERFACE_LOOKUPS;
// The texts added after the first language files: a file without one of
// these keys keeps that text in English and is not reported for it.
extern const std::array<TextLookup, 121> ADDED_LOOKUPS;

// What applying a language does outside the key table.
class LanguageUi {
  public:
    virtual ~LanguageUi() = default;
    // Puts the texts into the windows and the program's messages.
    virtual void ApplyTexts(const InterfaceTexts &texts) = 0;
    // Shows a problem with the language file; at most once per language applied.
    virtual void ShowLanguageProblem(const QString &message) = 0;
};

// The key table of the active language file and the interface texts taken
// from it. GUI thread only.
class InterfaceLanguage {
  public:
    explicit InterfaceLanguage(LanguageUi &ui) : ui_(ui) {}

    // Empties the table and reads the file at `path` into it (at most
    // MAX_LANGUAGE_FILE_BYTES). True only when an END line was met; a file
    // that cannot be read leaves the table empty.
    bool LoadLanguage(const QString &path);
    // The text of `key` (trimmed, upper-cased); a key the file does not define
    // gives "UNDEF:" and the key, and is remembered for the next report.
    QString LookupText(const QString &key);
    // Looks up every interface text in order and applies them, and reports
    // all missing keys in one message.
    void ApplyInterface();
    // ApplyInterface, then stores `letter` as LANGUAGE.
    void SetInterface(char letter, SettingsStore &store);
    // A language selector: its file from `folder`, then its texts.
    void Select(const LanguageChoice &language, const QString &folder, SettingsStore &store);

  private:
    LanguageUi &ui_;
    LanguageTable table_;
    QString file_path_;
    QStringList missing_keys_;
};
