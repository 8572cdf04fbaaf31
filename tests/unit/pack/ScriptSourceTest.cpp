#include <gtest/gtest.h>

#include "CompiledScript.h"
#include "CompiledScriptWriter.h"
#include "PackTestFiles.h"
#include "ScriptSource.h"

using namespace ovd;
using namespace ovd::pack;
using packtest::Scratch;
using packtest::Write;

namespace {

// Parses a one-file source, writes and loads it back.
void Compile(const std::string& source, TCompiledScript& loaded)
{
    auto dir = Scratch("source");
    Write(dir / "setup.ovds", source);
    TCompiledScript parsed;
    ParseScriptSource(dir / "setup.ovds", dir, parsed);
    auto result = LoadCompiledScript(WriteCompiledScript(parsed), loaded);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(loaded.SameContent(parsed));
}

std::string ParseError(const std::string& source)
{
    auto dir = Scratch("errors");
    Write(dir / "setup.ovds", source);
    TCompiledScript parsed;
    try {
        ParseScriptSource(dir / "setup.ovds", dir, parsed);
    } catch (const ESourceError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(ScriptSource, ParameterTextsComeOutExactly)
{
    struct Case {
        std::string written, text;
    } cases[] = {
        {R"("")", ""},
        {"", ""},
        {R"("$")", "$"},
        {"$", "$"},
        {R"("|")", "|"},
        {R"("  both ends  ")", "  both ends  "},
        {"   trimmed bare   ", "trimmed bare"},
        {R"("say \"hi\" \\ \t\x41\xE9")", "say \"hi\" \\ \tA\xE9"},
        {"#not a comment", "#not a comment"},
        {"$A$ = \"B\"", "$A$ = \"B\""},
        {"MYVAR$ZOVR$ZOVR$TRUE", "MYVAR$ZOVR$ZOVR$TRUE"},
        {R"("$DOLLAR$x")", "$DOLLAR$x"},
    };
    std::string source;
    for (const auto& c : cases) {
        source += "line Comment\n  |" + c.written + "\n";
    }
    // The same texts on one line, separated by "|".
    source += "line Set Variable";
    for (const auto& c : cases) {
        source +=
            " | " + (c.written == "" || c.written == "$" ? R"(")" + c.written + R"(")" : c.written);
    }
    source += "\n";
    TCompiledScript s;
    Compile(source, s);
    ASSERT_EQ(s.LineCount(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[i], 1), cases[i].text)
            << cases[i].written;
        EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[std::size(cases)], long(i) + 1),
                  cases[i].text)
            << cases[i].written;
    }
}

TEST(ScriptSource, LinesOptionsAndFacts)
{
    auto dir = Scratch("facts");
    Write(dir / "setup.ovds", R"(# every fact
name demo
product-code {11111111-2222-3333-4444-555555555555}
revision-code {AAAAAAAA-2222-3333-4444-555555555555}
title "Demo | Product"
version 2.5
publisher Veldmark
contact ""
help-link http://help.invalid/
update-url http://update.invalid/
comments "two  blanks"
build-mode 2
ask-language TRUE
default-language German
code-page 1250
plugin-command Call DLL Function
variable BUILDMODE | SFX
variable LANGUAGE | German
web-media-password OFFLINE | scrambled
component-size ZOVR-PREDEF-COMPONENT | 4096
offline-media OFFLINE | 0000ABCD\f.txt | OFFLINE\0000ABCD\0000ABCD\
command-header 0000FFFF | 99
source-root C:\proj\

line Install Files | *.* | "" | $TARGETDIR$
  .id {0BADF00D-0000-0000-0000-000000000001}
  .web-media BLOCK1
line If
  | "$A$ = 1"
  .disabled
line Write Registry | x
  .header 12345678
line Create Folder | y
  .header none
line End
  .flag X
  .source elsewhere.ovds*7
include sub/more.ovds
line Comment
)");
    Write(dir / "sub/more.ovds", "\n\nline Install Files | a\n");
    TCompiledScript s;
    auto source = ParseScriptSource(dir / "setup.ovds", dir, s);
    EXPECT_EQ(source.Name, "demo");
    EXPECT_EQ(s.ProductCode, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(s.RevisionCode, "{AAAAAAAA-2222-3333-4444-555555555555}");
    EXPECT_EQ(s.ProductTitle, "Demo | Product");
    EXPECT_EQ(s.ProductVersion, "2.5");
    EXPECT_EQ(s.Publisher, "Veldmark");
    EXPECT_EQ(s.Contact, "");
    EXPECT_EQ(s.HelpLink, "http://help.invalid/");
    EXPECT_EQ(s.UpdateInfoUrl, "http://update.invalid/");
    EXPECT_EQ(s.Comments, "two  blanks");
    EXPECT_EQ(s.BuildMode, 2);
    EXPECT_EQ(s.AskLanguageFlag, "TRUE");
    EXPECT_EQ(s.DefaultLanguageName, "German");
    EXPECT_EQ(s.ScriptCodePage, 1250);
    EXPECT_EQ(s.PluginCommandNames.Items(), std::vector<std::string>{"Call DLL Function"});
    EXPECT_EQ(s.CompilerVariables, (THashedStringList{"BUILDMODE", "SFX", "LANGUAGE", "German"}));
    EXPECT_EQ(s.WebMediaPasswords, (THashedStringList{"OFFLINE", "scrambled"}));
    EXPECT_EQ(s.ComponentSizes, (THashedStringList{"ZOVR-PREDEF-COMPONENT", "4096"}));
    EXPECT_EQ(s.OfflineMediaTable,
              (THashedStringList{"OFFLINE", "0000ABCD\\f.txt", "OFFLINE\\0000ABCD\\0000ABCD\\"}));

    EXPECT_EQ(s.CommandNames,
              (THashedStringList{"Install Files", "If", "Write Registry", "Create Folder", "End",
                                 "Install Files", "Comment"}));
    EXPECT_EQ(s.LineFlags, (THashedStringList{"", "C", "", "", "X", "", ""}));
    EXPECT_EQ(s.LineWebMediaFlags, (THashedStringList{"BLOCK1", "", "", "", "", "", ""}));
    EXPECT_EQ(
        s.SourcePositions,
        (THashedStringList{"C:\\proj\\setup.ovds*24", "C:\\proj\\setup.ovds*27",
                           "C:\\proj\\setup.ovds*30", "C:\\proj\\setup.ovds*32", "elsewhere.ovds*7",
                           "C:\\proj\\sub\\more.ovds*2", "C:\\proj\\setup.ovds*38"}));
    EXPECT_EQ(s.CommandIds[0], "{0BADF00D-0000-0000-0000-000000000001}");
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[1], 1), "$A$ = 1");
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[4], 1), ""); // no record
    // Automatic headers come from the identifier; ".header" names or suppresses one.
    const std::string autoHeader = s.CommandIds[5].substr(1, 8);
    EXPECT_EQ(s.CommandHeaders, (THashedStringList{"0BADF00D", "0", "12345678", "2", autoHeader,
                                                   "5", "0000FFFF", "99"}));

    // Identifiers are stable from build to build and distinct.
    TCompiledScript again;
    ParseScriptSource(dir / "setup.ovds", dir, again);
    EXPECT_EQ(again.CommandIds, s.CommandIds);
    for (std::size_t i = 0; i < s.LineCount(); ++i) {
        EXPECT_EQ(s.CommandIds.IndexOf(s.CommandIds[i]), long(i));
    }
}

TEST(ScriptSource, MistakesAreReportedWithFileAndLine)
{
    struct Case {
        std::string source, error;
    } cases[] = {
        {"title a\nfrobnicate x\n", "setup.ovds:2: unknown statement \"frobnicate\""},
        {"line Comment | \"open\n", "setup.ovds:1: quoted text is not closed on its line"},
        {"line Comment | \"a\" b\n", "only blanks may follow a quoted text"},
        {"line Comment | \"\\q\"\n", "unknown escape \\q"},
        {"title x\n  | more\n", "setup.ovds:2: a \"|\" continuation must follow a \"line\""},
        {".disabled\n", "\".disabled\" must follow a \"line\""},
        {"line End\n.colour red\n", "unknown line option \".colour\""},
        {"line\n", "a line needs a command name"},
        {"variable A\n", "\"variable\" takes 2 field(s)"},
        {"build-mode two\n", "not a whole number: \"two\""},
        {"include setup.ovds\n", "included from itself"},
        {"include missing.ovds\n", "cannot read the file"},
        {"line A\n.id {X}\nline B\n.id {x}\n", "identifier {x} is used twice"},
        {"line Install Files | a\n.header 00000001\nline Delete Files | b\n.header 00000001\n",
         "command header 00000001 is used twice"},
        {"line Comment | a\n.components Main\n", "\".components\" needs a command header"},
        {"revision-code data\n", "setup.ovds:1: the revision code is a GUID in braces"},
        {"revision-code {a}b}\n", "the revision code is a GUID in braces"},
    };
    for (const auto& c : cases) {
        std::string error = ParseError(c.source);
        EXPECT_NE(error.find(c.error), std::string::npos) << c.source << "\n got: " << error;
    }
}

TEST(ScriptSource, LineBreaksInTextsAreRefusedByTheWriter)
{
    auto dir = Scratch("linebreak");
    Write(dir / "setup.ovds", "line Comment | \"two\\r\\nlines\"\n");
    TCompiledScript parsed;
    ParseScriptSource(dir / "setup.ovds", dir, parsed);
    EXPECT_EQ(parsed.ParameterRecords.At(1), "two\r\nlines");
    EXPECT_THROW(WriteCompiledScript(parsed), EScriptWriteError);
}
