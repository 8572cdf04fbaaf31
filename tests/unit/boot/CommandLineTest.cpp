// The engine's command line: tail, argument splitting, switches, options, properties.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ovd::ProcessFacts;
using Strings = std::vector<std::string>;

ProcessFacts Parse(const std::string& raw)
{
    ProcessFacts facts;
    ovd::ParseCommandLine(raw, facts);
    return facts;
}

TEST(CommandLineTail, CutsTheProgramNameTheEngineWay)
{
    struct Case {
        const char* raw;
        const char* tail;
    } cases[] = {
        {R"("C:\Setup Dir\setup.exe" /s /l=x.log)", "/s /l=x.log"},
        {R"("C:\setup.exe")", ""},
        {R"("C:\setup.exe" )", ""},
        {R"("C:\setup.exe"/s)", "s"}, // the character after the quote always goes
        {R"("C:\setup.exe)", ""},     // no closing quote
        {"\"", ""},
        {"setup.exe /s  A=1", "/s  A=1"},
        {"setup.exe", ""},
        {"setup.exe\t/s", ""}, // only a blank separates
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ovd::CommandLineTailOf(c.raw), c.tail) << c.raw;
}

TEST(SplitArguments, QuotesGroupBackslashesAreLiteral)
{
    struct Case {
        const char* raw;
        Strings args;
    } cases[] = {
        {"setup.exe", {}},
        {R"("C:\a b\setup.exe" /s)", {"/s"}},
        {R"(C:\a\setup.exe   /s	-qn )", {"/s", "-qn"}},
        {R"(setup.exe "/l=C:\My Logs\Setup.log" X=1)", {R"(/l=C:\My Logs\Setup.log)", "X=1"}},
        {R"(setup.exe /l="C:\My Logs\a.log")", {R"(/l=C:\My Logs\a.log)"}},
        {R"(setup.exe DIR="C:\Program Files\App")", {R"(DIR=C:\Program Files\App)"}},
        {R"(setup.exe a\\b\c)", {R"(a\\b\c)"}}, // backslashes are always literal
        // A folder ending in a backslash: the quote after it still closes the group.
        {R"(setup.exe TARGETDIR="C:\Program Files\App\" /s /l=x.log)",
         {R"(TARGETDIR=C:\Program Files\App\)", "/s", "/l=x.log"}},
        {R"(setup.exe "C:\Out\\" b)", {R"(C:\Out\\)", "b"}},
        {R"(setup.exe a\"b c")", {R"(a\b c)"}}, // a quote after a backslash opens a group
        {R"(setup.exe "a""b" c)", {R"(a"b)", "c"}}, // "" inside quotes
        {R"(setup.exe "" x)", {"", "x"}},
        {R"(setup.exe "unterminated arg)", {"unterminated arg"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ovd::SplitArguments(c.raw), c.args) << c.raw;
}

TEST(Switches, EitherSwitchCharacterAnyCaseWholeArgument)
{
    struct Case {
        const char* raw;
        bool silent, update, updateSetup;
    } cases[] = {
        {"setup.exe", false, false, false},
        {"setup.exe /s", true, false, false},
        {"setup.exe -S", true, false, false},
        {"setup.exe /QN", true, false, false},
        {"setup.exe -qN", true, false, false},
        {"setup.exe /silent", false, false, false},
        {"setup.exe s qn", false, false, false},
        {"setup.exe /Update", false, true, false},
        {"setup.exe -UPDATESETUP", false, false, true},
        {"setup.exe /update /updatesetup /s", true, true, true},
        {R"("C:\x\setup.exe" "/s")", true, false, false},
    };
    for (const Case& c : cases) {
        ProcessFacts f = Parse(c.raw);
        EXPECT_EQ(f.SilentMode, c.silent) << c.raw;
        EXPECT_EQ(f.UpdateSwitch, c.update) << c.raw;
        EXPECT_EQ(f.UpdateSetupSwitch, c.updateSetup) << c.raw;
    }
}

TEST(Options, FirstMatchingArgumentLowerCasedWithoutItsPrefix)
{
    ProcessFacts f =
        Parse(R"(setup.exe /G=\\Server\GPO /M=C:\Media\SETUP.EXE /L=C:\Logs\Setup.LOG )"
              R"(-l=second.log /P=D:\Pkg -p=E:\other)");
    EXPECT_EQ(f.GpoPath, R"(\\server\gpo)");
    EXPECT_EQ(f.SfxPath, R"(c:\media\setup.exe)");
    EXPECT_EQ(f.LogFile, R"(c:\logs\setup.log)");
    EXPECT_EQ(f.PackageFolder, R"(d:\pkg)");

    struct Case {
        const char* raw;
        const char* log;
        const char* package;
    } cases[] = {
        {"setup.exe -L=A.log", "a.log", ""},
        {"setup.exe -p=X /l=", "", "x"},
        {R"(setup.exe "/l=C:\Mixed Case\Trace.LOG")", R"(c:\mixed case\trace.log)", ""},
        {"setup.exe /l=\xC4RGER.LOG", "\xE4rger.log", ""}, // ANSI letters lower-case too
        // A property whose value holds an option's text is a property, not the option.
        {"setup.exe NOTE=see/l=x.log", "", ""},
        {"setup.exe /g=x", "", ""}, // /g= is no log
    };
    for (const Case& c : cases) {
        ProcessFacts g = Parse(c.raw);
        EXPECT_EQ(g.LogFile, c.log) << c.raw;
        EXPECT_EQ(g.PackageFolder, c.package) << c.raw;
    }
    EXPECT_EQ(Parse("setup.exe -g=x -m=y").GpoPath, "");
    EXPECT_EQ(Parse("setup.exe -g=x -m=y").SfxPath, "");

    // The values are the caller's lower case (the system's code page on Windows): a
    // letter of another code page is not taken for one of the engine's own table (there
    // 0x9F and 0xC4 would become 0xFF and 0xE4).
    ProcessFacts w;
    ovd::ParseCommandLine("setup.exe /L=C:\\\x9F\\A.LOG /P=D:\\\xC4 /s", w,
                          [](std::string_view text) {
                              std::string lower(text);
                              for (char& ch : lower)
                                  if (ch >= 'A' && ch <= 'Z')
                                      ch = static_cast<char>(ch - 'A' + 'a');
                              return lower;
                          });
    EXPECT_EQ(w.LogFile, "c:\\\x9F\\a.log");
    EXPECT_EQ(w.PackageFolder, "d:\\\xC4");
    EXPECT_TRUE(w.SilentMode);
}

TEST(Properties, NameUpperCasedValueKeptInOrder)
{
    struct Case {
        const char* raw;
        Strings properties;
    } cases[] = {
        {"setup.exe", {}},
        {"setup.exe InstallDir=C:\\App mode=Full", {"INSTALLDIR", "C:\\App", "MODE", "Full"}},
        {"setup.exe Expr=a=b==c", {"EXPR", "a=b==c"}},
        {"setup.exe /Expr=a=b -X=1 /s", {}},
        {"setup.exe Empty=", {"EMPTY", ""}},
        {"setup.exe noequals", {}},
        {R"(setup.exe "Title=My App" b=2 B=3)", {"TITLE", "My App", "B", "2", "B", "3"}},
        {"setup.exe =lonely", {"", "lonely"}},
        {"setup.exe \xe9t\xe9=\xe9", {"\xC9T\xC9", "\xe9"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.raw).CommandLineProperties, c.properties) << c.raw;
}

TEST(Properties, TailIsKeptRawBesideTheParsedFacts)
{
    ProcessFacts f = Parse(R"("C:\x\setup.exe" /s "A=b c")");
    EXPECT_EQ(f.CommandLineTail, R"(/s "A=b c")");
    EXPECT_TRUE(f.SilentMode);
    EXPECT_EQ(f.CommandLineProperties, (Strings{"A", "b c"}));

    // The switches after a quoted folder with a trailing backslash still count.
    ProcessFacts g = Parse(R"(setup.exe TARGETDIR="C:\Program Files\App\" /s /l=x.log)");
    EXPECT_TRUE(g.SilentMode);
    EXPECT_EQ(g.LogFile, "x.log");
    EXPECT_EQ(g.CommandLineProperties, (Strings{"TARGETDIR", R"(C:\Program Files\App\)"}));
}

} // namespace
