// The setup language of a run on Windows: chosen during run preparation from the
// package's translation files, its tables loaded whenever LANGUAGE changes, and the one
// Translate that commands and dialogs use (TEngineServices::Translate).
#pragma once

#include <optional>
#include <string>

#include "Translations.h"

namespace ovd {

struct TCompiledScript;

class TSetupLanguage {
public:
    explicit TSetupLanguage(const TCompiledScript& script) : script_(script) {}

    // The language of this run; empty when the package has no translations, nothing when
    // the user cancelled the language form. When the package asks, the form offers the
    // package's languages with the user's language pre-selected (else the package default,
    // else the first; in silent mode that entry is taken). In maintenance mode, or with a
    // patch beside the setup, the language remembered in the engine cache (".lan") decides.
    std::optional<std::string> Choose();
    // Loads the tables of `language` and, when the package has them, the engine's own texts
    // in that language ("shared.translations.<language>").
    void Load(const std::string& language);
    // The text of parameter `field` of the line `key` in the loaded language.
    std::string Translate(const std::string& key, int field, const std::string& text) const;

private:
    const TCompiledScript& script_;
    TTranslationTables tables_;
};

} // namespace ovd
