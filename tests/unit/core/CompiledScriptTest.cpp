#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "CompiledScript.h"
#include "CompiledScriptWriter.h"

using namespace ovd;

namespace {

const char kId1[] = "{11111111-0000-0000-0000-000000000001}";
const char kId2[] = "{22222222-0000-0000-0000-000000000002}";
const char kId3[] = "{33333333-0000-0000-0000-000000000003}";

// Every section filled, with texts that stress the format.
void FillSample(TCompiledScript& s)
{
    for (auto [name, id, flag] :
         {std::tuple{"Set Variable", kId1, ""}, std::tuple{"End", kId2, "C"},
          std::tuple{"Install Files", kId3, ""}}) {
        s.CommandNames.Add(name);
        s.CommandIds.Add(id);
        s.LineFlags.Add(flag);
        s.LineWebMediaFlags.Add(flag[0] ? "" : "BLOCK1");
        s.SourcePositions.Add(std::string("C:\\proj\\main.ovds*") + name);
    }
    for (const char* p : {kId1, "MYVAR$ZOVR$ZOVR$TRUE", "$", "", "  blanks  ", "a|b", "$$", kId3,
                          "*.*", "$TARGETDIR$", "TRUE"}) {
        s.ParameterRecords.Add(p);
    }
    s.ProductCode = "{AAAAAAAA-0000-0000-0000-000000000000}";
    s.ProductTitle = " Demo $ Product ";
    s.PluginCommandNames.Add("Call DLL Function");
    s.Publisher = "Veldmark";
    s.Contact = "";
    s.HelpLink = "http://example.invalid/help";
    s.UpdateInfoUrl = "$";
    s.Comments = "comments | here";
    s.ProductVersion = "1.2.3";
    s.WebMediaPasswords = {"OFFLINE", "scrambled"};
    s.BuildMode = 2;
    s.ComponentSizes = {"ZOVR-PREDEF-COMPONENT", "1024"};
    s.RevisionCode = "{BBBBBBBB-0000-0000-0000-000000000000}";
    s.OfflineMediaTable = {"OFFLINE", "0000ABCD\\file.txt", "OFFLINE\\0000ABCD\\0000ABCD\\"};
    s.AskLanguageFlag = "TRUE";
    s.DefaultLanguageName = "English";
    s.CommandHeaders = {"0000ABCD", "2"};
    s.CompilerVariables = {"BUILDMODE", "SFX", "LANGUAGE", "English"};
    s.ScriptCodePage = 1252;
}

std::string SampleBytes()
{
    TCompiledScript s;
    FillSample(s);
    return WriteCompiledScript(s);
}

} // namespace

TEST(CompiledScript, WriterAndLoaderRoundTripEverySection)
{
    TCompiledScript written;
    FillSample(written);
    const std::string bytes = WriteCompiledScript(written);
    EXPECT_NE(bytes.find("\r\n$DOLLAR$\r\n"), std::string::npos);

    TCompiledScript loaded;
    auto result = LoadCompiledScript(bytes, loaded);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(loaded.SameContent(written));
    ASSERT_EQ(loaded.ParameterLists.size(), 1u);
    EXPECT_EQ(loaded.ParameterLists[0], &loaded.ParameterRecords);
    EXPECT_TRUE(loaded.LineDisabled(1));
    EXPECT_FALSE(loaded.LineDisabled(0));
    EXPECT_FALSE(loaded.LineDisabled(7));

    // Whatever a signing tool appends behind the script is not read.
    TCompiledScript signedScript;
    ASSERT_TRUE(
        LoadCompiledScript(bytes + std::string("\0\x01junk\r\n$\r\n", 11), signedScript).ok);
    EXPECT_TRUE(signedScript.SameContent(written));
}

TEST(CompiledScript, EveryEarlyEndIsRejectedWithTheSectionNamed)
{
    const std::string bytes = SampleBytes();
    // The last line "$" may lack its line end: only shorter texts are incomplete.
    const std::size_t complete = bytes.size() - 2;
    for (std::size_t n = 0; n < complete; ++n) {
        TCompiledScript s;
        // A heap copy of exactly n bytes, so that the sanitizer sees any read past it.
        std::unique_ptr<char[]> cut(new char[n ? n : 1]);
        std::memcpy(cut.get(), bytes.data(), n);
        auto result = LoadCompiledScript(std::string_view(cut.get(), n), s);
        ASSERT_FALSE(result.ok) << n;
        EXPECT_NE(result.error.find("section "), std::string::npos) << result.error;
        EXPECT_EQ(s.LineCount(), 0u);
    }
    TCompiledScript s;
    auto result = LoadCompiledScript(bytes.substr(0, 40), s);
    EXPECT_EQ(result.error,
              "Invalid compiled script: section 2 (CommandIds) is cut short: the script ends "
              "before its closing \"$\"");
    EXPECT_TRUE(LoadCompiledScript(bytes.substr(0, complete), s).ok);

    result = LoadCompiledScriptFile("/nonexistent/ovd.tmp", s);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Cannot open the compiled script /nonexistent/ovd.tmp");
}

TEST(CompiledScript, IntegerLinesSkipTheRestAndRejectNonNumbers)
{
    std::string bytes = SampleBytes();
    const std::string mode = "\r\n$\r\n2\r\n"; // end of section 15, then BuildMode
    auto at = bytes.find(mode);
    ASSERT_NE(at, std::string::npos);
    TCompiledScript s;
    std::string extra = bytes;
    extra.replace(at, mode.size(), "\r\n$\r\n 3 (web)\r\n");
    ASSERT_TRUE(LoadCompiledScript(extra, s).ok);
    EXPECT_EQ(s.BuildMode, 3);
    std::string bad = bytes;
    bad.replace(at, mode.size(), "\r\n$\r\nweb\r\n");
    auto result = LoadCompiledScript(bad, s);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("section 16 (BuildMode) is not a number"), std::string::npos);
}

TEST(CompiledScript, DollarStandInsBecomeDollarOnlyAsWholeParameters)
{
    // Written with placeholders, then patched to what another writer might have stored.
    TCompiledScript w;
    w.CommandNames = {"Comment"};
    w.CommandIds = {"{X}"};
    w.LineFlags = {""};
    w.ParameterRecords = {"{X}", "P1", "P2", "P3", "P4", "P5"};
    std::string bytes = WriteCompiledScript(w);
    for (auto [from, to] : {std::pair{"P1", "$dollar$"}, std::pair{"P2", "$WILD_DOLLAR$"},
                            std::pair{"P3", "$Wild_Dollar$"}, std::pair{"P4", "A$DOLLAR$"},
                            std::pair{"P5", "$DOLLAR$ "}}) {
        bytes.replace(bytes.find(from), 2, to);
    }
    TCompiledScript s;
    auto result = LoadCompiledScript(bytes, s);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(s.ParameterRecords.Items(),
              (std::vector<std::string>{"{X}", "$", "$", "$", "A$DOLLAR$", "$DOLLAR$ "}));
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, "{x}", 1), "$");
}

TEST(CompiledScript, ScriptParametersByIdentifier)
{
    TCompiledScript s;
    ASSERT_TRUE(LoadCompiledScript(SampleBytes(), s).ok);
    struct Case {
        std::string id;
        long n;
        std::string expected;
    } cases[] = {
        {kId1, 0, kId1},
        {kId1, 1, "MYVAR$ZOVR$ZOVR$TRUE"},
        {kId1, 2, "$"},
        {kId1, 3, ""},
        {kId1, 4, "  blanks  "},
        {kId1, 7, kId3}, // past the command's own count: the next record
        {"{11111111-0000-0000-0000-000000000001}", 5, "a|b"},
        {"{11111111-0000-0000-0000-00000000000A}", 1, ""},
        {"{aaaaaaaa-0000-0000-0000-000000000000}", 1, ""},
        {kId2, 1, ""}, // no record
        {kId3, 3, "TRUE"},
        {kId3, 4, ""}, // past the end of the list
        {kId3, -99, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetScriptParameter(s.ParameterLists, c.id, c.n), c.expected)
            << c.id << " " << c.n;
    }
    std::string lower = kId3;
    for (auto& ch : lower) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, "{33333333-0000-0000-0000-000000000003}", 1),
              "*.*");

    // Further lists are searched in order; the first one holding the identifier answers.
    THashedStringList extra{"{NEW}", "first", kId1, "shadowed"};
    std::vector<const THashedStringList*> lists{&extra, &s.ParameterRecords};
    EXPECT_EQ(GetScriptParameter(lists, "{new}", 1), "first");
    EXPECT_EQ(GetScriptParameter(lists, kId1, 1), "shadowed");
    EXPECT_EQ(GetScriptParameter(lists, kId3, 1), "*.*");
}

TEST(CompiledScript, ProcessWideScriptAndReset)
{
    ResetScript();
    ASSERT_TRUE(LoadCompiledScript(SampleBytes(), Script()).ok);
    EXPECT_EQ(GetScriptParameter(kId3, 2), "$TARGETDIR$");
    EXPECT_EQ(GetCompilerVariable("#buildmode#"), "SFX");
    EXPECT_EQ(GetCommandHeader(2, true), "0000ABCD");
    EXPECT_EQ(GetWebMediaPassword("offline"), "scrambled");
    ResetScript();
    EXPECT_EQ(Script().LineCount(), 0u);
    EXPECT_EQ(GetScriptParameter(kId3, 2), "");
}

TEST(CompiledScript, CompilerVariables)
{
    TCompiledScript s;
    s.CompilerVariables = {"LANGUAGE", "English", "A",      "#B#-#b#", "B",       "x",     "SELF",
                           "#SELF#+",  "PING",    "#PONG#", "PONG",    "#PING#!", "LOCAL", "#"};
    struct Case {
        std::string in, out;
    } cases[] = {
        {"no marks", "no marks"},
        {"#LOCMODE#", "#LOCMODE#"},
        {"#language# is #LANGUAGE#", "English is English"},
        {"#A#", "x-x"}, // re-applied while "#" remains
        {"#LOCAL#", "#"},
        {"##", "##"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetCompilerVariable(s, c.in), c.out) << c.in;
    }
    // Self-references end after a bounded number of passes.
    std::string self = GetCompilerVariable(s, "#SELF#");
    EXPECT_EQ(self, "#SELF#" + std::string(kMaxCompilerVariablePasses, '+'));
    std::string ping = GetCompilerVariable(s, "#PING#");
    EXPECT_LE(ping.size(), 200u);
    EXPECT_EQ(ping.find("#P"), 0u);
}

TEST(CompiledScript, CommandHeadersAndWebMediaPasswords)
{
    TCompiledScript s;
    s.CommandHeaders = {"0000ABCD", "2", "00000007", "12", "7", "5"};
    EXPECT_EQ(GetCommandHeader(s, 2, true), "0000ABCD");
    EXPECT_EQ(GetCommandHeader(s, 12, true), "00000007");
    EXPECT_EQ(GetCommandHeader(s, 5, true), "7");
    // "7" stands as a header id, and no line 7 exists.
    EXPECT_EQ(GetCommandHeader(s, 7, false), "");
    EXPECT_EQ(GetCommandHeader(s, 3, false), "");
    try {
        GetCommandHeader(s, 3, true);
        FAIL() << "no error raised";
    } catch (const ECommandHeaderMissing& e) {
        EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
    }

    s.WebMediaPasswords = {"Block1", "s1", "s2", "Block2", "block2", "s3"};
    EXPECT_EQ(GetWebMediaPassword(s, "BLOCK1"), "s1");
    EXPECT_EQ(GetWebMediaPassword(s, "block2"), "s3"); // only even positions are names
    EXPECT_EQ(GetWebMediaPassword(s, "s2"), "Block2");
    EXPECT_EQ(GetWebMediaPassword(s, "s1"), "");
    s.WebMediaPasswords.Add("lonely");
    EXPECT_EQ(GetWebMediaPassword(s, "lonely"), "");
}

TEST(CompiledScript, WriterRefusesTextsThatCannotLoadBack)
{
    auto fails = [](auto change) {
        TCompiledScript s;
        FillSample(s);
        change(s);
        EXPECT_THROW(WriteCompiledScript(s), EScriptWriteError);
    };
    fails([](TCompiledScript& s) { s.ParameterRecords.Add("two\r\nlines"); });
    fails([](TCompiledScript& s) { s.ParameterRecords.Add("bare\rcr"); });
    fails([](TCompiledScript& s) { s.ParameterRecords.Add("$Dollar$"); });
    fails([](TCompiledScript& s) { s.ParameterRecords.Add("$WILD_DOLLAR$"); });
    fails([](TCompiledScript& s) { s.CompilerVariables.Add("$"); });
    fails([](TCompiledScript& s) { s.ProductTitle = "a\nb"; });
}
