#include "PackTranslations.h"

#include <fstream>
#include <iterator>
#include <map>

#include "AnsiText.h"
#include "FormError.h"
#include "FormFile.h"
#include "PackageBuilder.h"
#include "ScriptText.h"

namespace fs = std::filesystem;

namespace ovd::pack {
namespace {

const TFormComponent* FindComponent(const TFormComponent& component, const std::string& name)
{
    if (AnsiSameText(component.Name, name)) {
        return &component;
    }
    for (const TFormComponent& child : component.Children) {
        if (const TFormComponent* found = FindComponent(child, name)) {
            return found;
        }
    }
    return nullptr;
}

// A control's text as one translation line: a list of strings (Items, Lines) joined by
// "$NEWLINE$", as the engine looks it up.
std::string FormText(const TSourceText& text, const fs::path& sourceDir)
{
    const fs::path file = sourceDir / "support" / (text.Dialog + ".dfm");
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw EPackError(text.Where + ": dialog-text: support/" + text.Dialog + ".dfm is missing");
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TFormReadOptions options;
    options.FileName = "support/" + text.Dialog + ".dfm";
    TFormComponent root;
    try {
        root = LoadForm(bytes, options);
    } catch (const EFormError& e) {
        throw EPackError(text.Where + ": dialog-text: " + e.what());
    }
    const TFormComponent* control = FindComponent(root, text.Control);
    if (control == nullptr) {
        throw EPackError(text.Where + ": dialog " + text.Dialog + " has no control \"" +
                         text.Control + "\"");
    }
    const TFormValue* value = control->Find(text.Property);
    if (value == nullptr) { // string lists are written "Items.Strings"
        value = control->Find(text.Property + ".Strings");
    }
    if (value == nullptr) {
        return {};
    }
    if (value->Type != TFormValueType::List) {
        return NewlinesToText(value->Text);
    }
    std::string joined;
    for (std::size_t i = 0; i < value->Items.size(); ++i) {
        joined += (i ? "$NEWLINE$" : "") + value->Items[i].Text;
    }
    return joined;
}

void CheckLine(const TSourceText& text, const std::string& line)
{
    if (line.find_first_of("\r\n") != std::string::npos) {
        throw EPackError(text.Where + ": a translated text is one line (write $NEWLINE$)");
    }
}

struct TKeyTexts {
    std::string Key;
    std::map<int, std::string> Originals;
    std::map<std::pair<int, std::string>, std::string> Texts; // (field, LANGUAGE)
};

} // namespace

std::vector<std::pair<std::string, std::string>> TranslationFiles(const TScriptSource& source,
                                                                  const fs::path& sourceDir,
                                                                  const std::string& setupName)
{
    std::vector<std::pair<std::string, std::string>> files;
    if (source.Languages.empty()) {
        if (!source.Texts.empty()) {
            throw EPackError(source.Texts.front().Where +
                             ": translated texts need their languages declared (\"language\")");
        }
        return files;
    }
    std::vector<TKeyTexts> keys; // in the order of their first text
    for (const TSourceText& text : source.Texts) {
        bool declared = false;
        for (const std::string& language : source.Languages) {
            declared = declared || AnsiSameText(language, text.Language);
        }
        if (!declared) {
            throw EPackError(text.Where + ": language \"" + text.Language +
                             "\" is not declared (\"language\")");
        }
        auto entry = keys.begin();
        while (entry != keys.end() && !AnsiSameText(entry->Key, text.Key)) {
            ++entry;
        }
        if (entry == keys.end()) {
            keys.push_back({text.Key, {}, {}});
            entry = keys.end() - 1;
        }
        const std::string original = text.Original ? *text.Original : FormText(text, sourceDir);
        CheckLine(text, original);
        CheckLine(text, text.Text);
        entry->Originals.emplace(text.Field, original);
        for (std::size_t field = 1; field <= text.LineFields.size(); ++field) {
            entry->Originals.emplace(static_cast<int>(field), text.LineFields[field - 1]);
        }
        if (!entry->Texts
                 .emplace(std::make_pair(text.Field, AnsiUpperCase(text.Language)), text.Text)
                 .second) {
            throw EPackError(text.Where + ": field " + std::to_string(text.Field) + " of " +
                             text.Key + " is translated to " + text.Language + " twice");
        }
    }

    // Field j of the key at line p is line p + j - 1: a key takes as many lines as its
    // highest field; the lines after the first carry fillers that match no key. A field
    // without a text in some language keeps its original there.
    std::string keyFile, originals;
    std::vector<std::string> texts(source.Languages.size());
    for (const TKeyTexts& key : keys) {
        const int fields = key.Originals.rbegin()->first;
        for (int field = 1; field <= fields; ++field) {
            keyFile += (field == 1 ? key.Key : key.Key + "|" + std::to_string(field)) + "\r\n";
            const auto original = key.Originals.find(field);
            const std::string authored = original == key.Originals.end() ? "" : original->second;
            originals += authored + "\r\n";
            for (std::size_t l = 0; l < source.Languages.size(); ++l) {
                const auto text =
                    key.Texts.find(std::make_pair(field, AnsiUpperCase(source.Languages[l])));
                texts[l] += (text == key.Texts.end() ? authored : text->second) + "\r\n";
            }
        }
    }
    files.emplace_back(setupName + ".mtx", keyFile);
    files.emplace_back("translations.Original", originals);
    files.emplace_back("translations.Map", "");
    for (std::size_t l = 0; l < source.Languages.size(); ++l) {
        files.emplace_back("translations." + source.Languages[l], texts[l]);
    }
    return files;
}

} // namespace ovd::pack
