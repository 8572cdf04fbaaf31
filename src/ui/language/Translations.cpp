#include "Translations.h"

#include "AnsiText.h"
#include "ScriptText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ovd {
namespace {

constexpr std::string_view kVariableKeyHead = "ZUDAVOVU$";
constexpr std::string_view kVariableKeyTail = "$ZUDAVOVU";
constexpr std::string_view kTranslationsPrefix = "translations.";

struct LocaleName {
    int Id;
    std::string_view Name;
};

// The names as the package's translation files spell them.
constexpr std::array<LocaleName, 35> kLocales{{
    {1025, "Arabic"},  {1027, "Catalan"},   {1028, "Chinese (Taiwan)"},
    {2052, "Chinese (PRC)"}, {1029, "Czech"}, {1030, "Danish"},
    {1031, "German"},  {1032, "Greek"},     {1033, "English"},
    {3082, "Spanish"}, {1061, "Estonian"},  {1035, "Finnish"},
    {1036, "French"},  {1037, "Hebrew"},    {1038, "Hungarian"},
    {1040, "Italian"}, {1041, "Japanese"},  {1042, "Korean"},
    {1063, "Lithuanian"}, {1062, "Latvian"}, {1043, "Dutch"},
    {1044, "Norwegian"}, {1045, "Polish"},  {1046, "Portugese (Brazil)"},
    {2070, "Portugese (Portugal)"}, {1048, "Romanian"}, {1049, "Russian"},
    {1050, "Croatian"}, {1051, "Slovak"},   {1053, "Swedish"},
    {1054, "Thai"},    {1055, "Turkish"},   {1060, "Slovenian"},
    {1066, "Vietnamese"}, {1069, "Basque"},
}};

} // namespace

LocalizationMode LocalizationModeOf(std::string_view compilerValue)
{
    if (AnsiSameText(compilerValue, "VARSONLY"))
        return LocalizationMode::VarsOnly;
    if (AnsiSameText(compilerValue, "NEWONLY"))
        return LocalizationMode::NewOnly;
    return LocalizationMode::All;
}

std::string LocalizationVariableKey(std::string_view name)
{
    std::string key;
    key.reserve(name.size() + kVariableKeyHead.size() + kVariableKeyTail.size());
    key.append(kVariableKeyHead).append(name).append(kVariableKeyTail);
    return key;
}

bool IsLocalizationVariableKey(std::string_view key)
{
    return key.size() >= kVariableKeyHead.size() + kVariableKeyTail.size() &&
           AnsiSameText(key.substr(0, kVariableKeyHead.size()), kVariableKeyHead) &&
           AnsiSameText(key.substr(key.size() - kVariableKeyTail.size()), kVariableKeyTail);
}

void TTranslationTables::Load(std::vector<std::string> keys, std::vector<std::string> originals,
                              std::vector<std::string> texts)
{
    keys_.Clear();
    for (std::string& key : keys)
        keys_.Add(std::move(key));
    keys_.Reindex();
    originals_ = std::move(originals);
    texts_ = std::move(texts);
}

void TTranslationTables::Clear()
{
    keys_.Clear();
    originals_.clear();
    texts_.clear();
}

std::string TTranslationTables::Translate(
    const std::string& text, std::string_view key, int field, LocalizationMode mode,
    const std::function<std::string(std::string_view)>& compilerVariables) const
{
    if (mode == LocalizationMode::VarsOnly && !IsLocalizationVariableKey(key))
        return text;
    const long at = keys_.IndexOf(key);
    if (at < 0 || field < 1)
        return text;
    // Parameter j of the line whose key stands at line p is at line p + j - 1.
    const std::size_t line = static_cast<std::size_t>(at) + static_cast<std::size_t>(field) - 1;
    if (line >= texts_.size())
        return text;
    if (mode == LocalizationMode::NewOnly &&
        (line >= originals_.size() || originals_[line] != text))
        return text;
    return compilerVariables ? compilerVariables(texts_[line]) : texts_[line];
}

std::vector<std::string> LanguageNames(const std::vector<std::string>& fileNames)
{
    std::vector<std::string> names;
    for (const std::string& file : fileNames) {
        if (file.size() <= kTranslationsPrefix.size() ||
            !AnsiSameText(std::string_view(file).substr(0, kTranslationsPrefix.size()),
                          kTranslationsPrefix))
            continue;
        const std::string name = file.substr(kTranslationsPrefix.size());
        if (AnsiSameText(name, "Map") || AnsiSameText(name, "Original") ||
            AnsiUpperCase(file).find("SHARED") != std::string::npos)
            continue;
        names.push_back(name);
    }
    return names;
}

std::string LanguageNameOfLocale(int localeId)
{
    for (const LocaleName& locale : kLocales)
        if (locale.Id == localeId)
            return std::string(locale.Name);
    return {};
}

int LocaleOfLanguageName(std::string_view name)
{
    const std::string upper = AnsiUpperCase(name);
    for (const LocaleName& locale : kLocales)
        if (AnsiUpperCase(locale.Name) == upper)
            return locale.Id;
    return 1033;
}

std::string PreselectedLanguage(const std::vector<std::string>& languages,
                                std::string_view userLanguage, std::string_view packageDefault)
{
    for (std::string_view wanted : {userLanguage, packageDefault}) {
        if (wanted.empty())
            continue;
        const auto found =
            std::find_if(languages.begin(), languages.end(),
                         [&](const std::string& l) { return AnsiSameText(l, wanted); });
        if (found != languages.end())
            return *found;
    }
    return languages.empty() ? std::string() : languages.front();
}

} // namespace ovd
