// The translation files ovdpack writes, read back by the engine's translation tables: each
// text lands where the engine looks for it (field j of the key at line p is line p + j - 1),
// fields left untranslated keep their authored text, and the originals drive NEWONLY.
#include <gtest/gtest.h>

#include <map>

#include "AnsiText.h"
#include "PackTestFiles.h"
#include "PackTranslations.h"
#include "PackageBuilder.h"
#include "ScriptSource.h"
#include "Translations.h"

using namespace ovd;
using namespace ovd::pack;
using packtest::Scratch;
using packtest::Write;

namespace {

constexpr char kForm[] = R"(object Hello: TPoolTemplate
  Caption = 'Hello'
  object Label1: TLabel
    Caption = 'Welcome to $TITLE$'
  end
  object ListBox1: TListBox
    Items.Strings = (
      'First'
      'Second')
  end
end
)";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    TLineReader reader(text);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

// The translation files of a one-file source, by name.
std::map<std::string, std::string> Build(const std::string& source, TCompiledScript& script)
{
    const auto dir = Scratch("translations");
    Write(dir / "setup.ovds", source);
    Write(dir / "support" / "Hello.dfm", kForm);
    const TScriptSource parsed = ParseScriptSource(dir / "setup.ovds", dir, script);
    std::map<std::string, std::string> files;
    for (auto& [name, text] : TranslationFiles(parsed, dir, "setup"))
        files[name] = text;
    return files;
}

std::string BuildError(const std::string& source)
{
    try {
        TCompiledScript script;
        Build(source, script);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(PackTranslations, TextsLandWhereTheEngineLooksThemUp)
{
    TCompiledScript script;
    const auto files = Build(R"(language English
language German
line Set Variable | A | Hello
  .text German | 1 | Hallo
line MessageBox | Caption | Text | 0 | 1
  .text German | 2 | Textus
line Localization Variable | $V$ | Bye
  .text German | 1 | Tschuess
line If | X | 0 | Y
  .text German | 2 | Ypsilon
line Set Variable | E | Edited
  .original 1 | Old
  .text German | 1 | Alt
dialog-text Hello | Label1 | German | Hallo $TITLE$
dialog-text Hello | ListBox1.Items | German | Eins$NEWLINE$Zwei
)",
                             script);
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files.at("translations.Map"), "");
    TTranslationTables german, english;
    german.Load(Lines(files.at("setup.mtx")), Lines(files.at("translations.Original")),
                Lines(files.at("translations.German")));
    english.Load(Lines(files.at("setup.mtx")), Lines(files.at("translations.Original")),
                 Lines(files.at("translations.English")));
    const auto id = [&](int line) { return script.CommandIds[line]; };
    struct Case {
        std::string text, key;
        int field;
        LocalizationMode mode;
        std::string german, english;
    } cases[] = {
        {"Hello", id(0), 1, LocalizationMode::All, "Hallo", "Hello"},
        {"Caption", id(1), 1, LocalizationMode::All, "Caption", "Caption"}, // not translated
        {"Text", id(1), 2, LocalizationMode::All, "Textus", "Text"},
        {"Bye", "ZUDAVOVU$V$ZUDAVOVU", 1, LocalizationMode::VarsOnly, "Tschuess", "Bye"},
        {"Hello", id(0), 1, LocalizationMode::VarsOnly, "Hello", "Hello"},
        {"Y", id(3), 2, LocalizationMode::All, "Ypsilon", "Y"},
        {"Edited", id(4), 1, LocalizationMode::All, "Alt", "Old"},
        {"Edited", id(4), 1, LocalizationMode::NewOnly, "Edited", "Edited"}, // author's edit
        {"Welcome to $TITLE$", "hello.dfm.LABEL1", 1, LocalizationMode::NewOnly, "Hallo $TITLE$",
         "Welcome to $TITLE$"},
        {"First$NEWLINE$Second", "Hello.dfm.ListBox1.Items", 1, LocalizationMode::NewOnly,
         "Eins$NEWLINE$Zwei", "First$NEWLINE$Second"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(german.Translate(c.text, c.key, c.field, c.mode, {}), c.german) << c.key;
        EXPECT_EQ(english.Translate(c.text, c.key, c.field, c.mode, {}), c.english) << c.key;
    }
}

TEST(PackTranslations, NoLanguagesNoFilesAndMistakesNamed)
{
    TCompiledScript script;
    EXPECT_TRUE(Build("line Set Variable | A | B\n", script).empty());
    struct Case {
        std::string source, error;
    } cases[] = {
        {"line Set Variable | A | B\n  .text German | 1 | C\n", "need their languages declared"},
        {"language English\nline Set Variable | A | B\n  .text German | 1 | C\n",
         "language \"German\" is not declared"},
        {"language German\nline Set Variable | A | B\n  .text German | 1 | C\n"
         "  .text german | 1 | D\n",
         "translated to german twice"},
        {"language German\ndialog-text Hello | Label9 | German | x\n", "has no control \"Label9\""},
        {"language German\ndialog-text Gone | Label1 | German | x\n", "Gone.dfm is missing"},
        {"language German\nlanguage german\n", "declared twice"},
        {"language German\nline Set Variable | A | B\n  .text German | 0 | C\n", "FIELD (from 1)"},
    };
    for (const Case& c : cases) {
        const std::string error = BuildError(c.source);
        EXPECT_NE(error.find(c.error), std::string::npos) << c.source << "\n got: " << error;
    }
}
