#include "Translations.h"

#include "AnsiText.h"
#include "ScriptText.h"

#include <algorithm>
#include <utility>

namespace ovd {
namespace {

constexpr std::string_view kVariableKeyHead = "ZUDAVOVU$";
constexpr std::string_view kVariableKeyTail = "$ZUDAVOVU";
constexpr std::string_view kTranslationsPrefix = "translations.";

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
