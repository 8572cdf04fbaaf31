#include "SetupLanguage.h"

#include "AnsiText.h"
#include "CompiledScript.h"
#include "EngineMessages.h"
#include "FileBytes.h"
#include "FileUtil.h"
#include "TSetLanguage.h"
#include "UserLanguage.h"
#include "VariableManager.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <windows.h>

#include <vector>

namespace ovd {
namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string all = ReadFileBytes(path).value_or(std::string());
    TLineReader reader(all);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

std::vector<std::string> FileNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    UniqueFind find(FindFirstFileA((WithBackslash(folder) + "*").c_str(), &entry));
    if (!find)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(entry.cFileName);
    } while (FindNextFileA(find.get(), &entry));
    return names;
}

} // namespace

std::optional<std::string> TSetupLanguage::Choose()
{
    const ProcessFacts& facts = Process();
    const std::string& support = facts.SupportDir;
    std::string selected;
    if (!FileExists(support + facts.ExeBaseName + ".mtx"))
        return selected;
    const std::vector<std::string> languages = LanguageNames(FileNamesIn(support));
    const std::string& packageDefault = script_.DefaultLanguageName;
    if (!packageDefault.empty() && FileExists(support + "translations." + packageDefault))
        selected = packageDefault;
    if (languages.empty())
        return selected;

    const bool maintenance = IsTrue(GetVariable("MAINTENANCE"));
    const bool patch = FileExists(facts.ExeDir + facts.ExeBaseName + ".msp");
    if (script_.AskLanguageFlag == "TRUE" && !maintenance && !patch) {
        selected = PreselectedLanguage(languages, UserLanguageName(), packageDefault);
        if (!facts.SilentMode)
            return TSetLanguage(languages, selected).ShowModal();
    } else if (maintenance || patch) {
        const std::vector<std::string> remembered =
            ReadLines(WithBackslash(GetVariable("ENGINECACHE")) + facts.ExeBaseName + ".lan");
        if (!remembered.empty())
            selected = remembered.front();
    }
    return selected;
}

void TSetupLanguage::Load(const std::string& language)
{
    const ProcessFacts& facts = Process();
    const std::string& support = facts.SupportDir;
    // "translations.Map" is read with the others in the original; nothing here uses it.
    tables_.Load(ReadLines(support + facts.ExeBaseName + ".mtx"),
                 ReadLines(support + "translations.Original"),
                 ReadLines(support + "translations." + language));
    const std::string shared = support + "shared.translations." + language;
    if (FileExists(shared))
        LoadEngineMessages(shared, UserLanguageName());
}

std::string TSetupLanguage::Translate(const std::string& key, int field,
                                      const std::string& text) const
{
    if (tables_.Empty())
        return text;
    const LocalizationMode mode = LocalizationModeOf(GetCompilerVariable(script_, "#LOCMODE#"));
    return tables_.Translate(text, key, field, mode, [this](std::string_view translated) {
        return GetCompilerVariable(script_, translated);
    });
}

} // namespace ovd
