// Translation tables from a package's support folder: the keys file, "translations.Original"
// and one language's file, as their lines arrive (the three separated by NUL bytes here).
// Nothing reads past a table, an unknown key gives the text back, and a language list is
// made of any file names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Translations.h"

namespace {

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (std::string_view& part : parts) {
        const std::size_t nul = bytes.find('\0');
        part = bytes.substr(0, nul);
        bytes = nul == std::string_view::npos ? std::string_view() : bytes.substr(nul + 1);
    }
    const std::vector<std::string> keys = Lines(parts[0]);
    ovd::TTranslationTables tables;
    tables.Load(keys, Lines(parts[1]), Lines(parts[2]));
    const auto compilerVariables = [](std::string_view name) { return "<" + std::string(name) + ">"; };
    for (std::size_t i = 0; i < keys.size() && i < 32; ++i) {
        for (auto mode : {ovd::LocalizationMode::All, ovd::LocalizationMode::VarsOnly,
                          ovd::LocalizationMode::NewOnly}) {
            for (int field = 0; field < 4; ++field)
                (void)tables.Translate("text #TITLE#", keys[i], field, mode, compilerVariables);
        }
        (void)ovd::IsLocalizationVariableKey(keys[i]);
    }
    if (tables.Translate("plain", "\x01no such key\x02", 1, ovd::LocalizationMode::All,
                         compilerVariables) != "plain")
        std::abort();
    const std::vector<std::string> languages = ovd::LanguageNames(keys);
    const std::string chosen = ovd::PreselectedLanguage(languages, parts[1], parts[2]);
    if (languages.empty() != chosen.empty())
        std::abort();
    return 0;
}
