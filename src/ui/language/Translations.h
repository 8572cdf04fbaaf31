// The texts of a package in the setup language: the translation tables (keys, originals,
// one language's texts, line by line), the three localization modes, the language list of
// a package and the locale table. OS-free: files are read by the caller.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "THashedStringList.h"

namespace ovd {

// "#LOCMODE#": "VARSONLY" translates only localization variables, "NEWONLY" only texts
// still equal to their original; anything else translates every keyed text.
enum class LocalizationMode { All, VarsOnly, NewOnly };
LocalizationMode LocalizationModeOf(std::string_view compilerValue);

// The key of a localization variable: "ZUDAVOVU$" + name + "$ZUDAVOVU".
std::string LocalizationVariableKey(std::string_view name);
bool IsLocalizationVariableKey(std::string_view key);

class TTranslationTables {
public:
    // Lines of the keys file, of "translations.Original" and of "translations.<language>".
    void Load(std::vector<std::string> keys, std::vector<std::string> originals,
              std::vector<std::string> texts);
    void Clear();
    bool Empty() const { return keys_.Empty(); }

    // Parameter `field` of the line with `key` (1 for a localization variable). The text
    // itself when the mode skips it, the key is unknown, the line lies beyond the texts, or
    // (NEWONLY) the author changed it after translation; else the translation with its
    // "#NAME#" compiler variables substituted by `compilerVariables`.
    std::string Translate(const std::string& text, std::string_view key, int field,
                          LocalizationMode mode,
                          const std::function<std::string(std::string_view)>& compilerVariables)
        const;

private:
    THashedStringList keys_;
    std::vector<std::string> originals_;
    std::vector<std::string> texts_;
};

// The package's languages from the file names of its support folder, in listing order:
// "translations.<name>" without "Map", "Original" and any name holding "shared".
std::vector<std::string> LanguageNames(const std::vector<std::string>& fileNames);

// The entry the language form starts on: the user's language when the list holds it, else
// the package's default, else the first; empty for an empty list.
std::string PreselectedLanguage(const std::vector<std::string>& languages,
                                std::string_view userLanguage, std::string_view packageDefault);

} // namespace ovd
