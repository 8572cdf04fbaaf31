// The translation files of a multi-language package, written from the texts of its script
// source: the keys file "<name>.mtx", "translations.Original", "translations.Map" and one
// "translations.<language>" per declared language.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ScriptSource.h"

namespace ovd::pack {

// File name and content (CR LF lines) of each file; none when the source declares no
// language. Dialog texts take their original from support/<dialog>.dfm under `sourceDir`.
// Throws EPackError (a text in an undeclared language, a text given twice, a control the
// form does not hold, a line break in a text).
std::vector<std::pair<std::string, std::string>>
TranslationFiles(const TScriptSource& source, const std::filesystem::path& sourceDir,
                 const std::string& setupName);

} // namespace ovd::pack
