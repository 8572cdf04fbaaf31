// The OS-free rules of web media: the current block, the download's status text and
// percentage.
#include "WebMedia.h"

#include "CommandTable.h"
#include "EngineServices.h"
#include "ExecutionLoop.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "WebMediaPassword.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TEST(WebMedia, DownloadStatusTextsAndPercentages)
{
    struct Case {
        std::uint64_t received, total;
        int percent;
        const char* text;
    } cases[] = {
        {0, 1000, 1, "0 bytes received, 1% complete"},
        {999, 1000, 100, "999 bytes received, 100% complete"},
        {500, 1000, 51, "500 bytes received, 51% complete"},
        {1000, 1000, 100, "1,000 bytes received, 100% complete"},
        {1500, 1000, 100, "1,500 bytes received, 100% complete"}, // a server that sends more
        {67108864, 134217728, 51, "67,108,864 bytes received, 51% complete"},
        {UINT64_MAX / 2, UINT64_MAX, 50, nullptr}, // no overflow
    };
    for (const Case& c : cases) {
        int spin = 0;
        const int percent = DownloadPercent(c.received, c.total, spin);
        EXPECT_EQ(percent, c.percent) << c.received << "/" << c.total;
        if (c.text != nullptr) {
            EXPECT_EQ(DownloadStatusText(c.received, c.total, percent), c.text);
        }
    }
    // An unknown total: the count alone, the percentage counting 0 to 100 and wrapping.
    EXPECT_EQ(DownloadStatusText(1234567, 0, 7), "1,234,567 bytes received");
    int spin = 98;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i)
        seen.push_back(DownloadPercent(5000, 0, spin));
    EXPECT_EQ(seen, (std::vector<int>{99, 100, 0, 1}));
}

TEST(WebMedia, WebMediaBlockMakesTheBlockCurrent)
{
    Variables().ClearVariables();
    DefineVariable("DATADIR", "C:\\Cache\\{REV}", "Bootstrap");
    DefineVariable("HOST", "example.com", "Initialization");
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    run.Script = &script;
    ClearCommands();
    RegisterRunnerCommands();
    struct Case {
        const char* name;
        const char* locations;
        std::vector<std::string> urls;
        const char* password;
    } cases[] = {
        {"ONE",
         "http://$HOST$/a.7zip$NEWLINE$  $NEWLINE$ http://mirror/a.7zip ",
         {"http://example.com/a.7zip", "http://mirror/a.7zip"},
         "first"},
        {"two", "http://x/two.7zip", {"http://x/two.7zip"}, "second"},
        {"THREE", "http://x/3.7zip", {"http://x/3.7zip"}, "fallback"}, // the "offline" entry
    };
    for (const Case& c : cases) {
        ovdtest_engine::FillScript(script, {{"Web Media Block", {c.name, c.locations}}});
        script.WebMediaPasswords = {"ONE",     ScrambleWebMediaPassword("first", "ONE"),
                                    "TWO",     ScrambleWebMediaPassword("second", "TWO"),
                                    "Offline", ScrambleWebMediaPassword("fallback", "offline")};
        // The previous block's retry form chose a new copy; the user gave a proxy.
        WebMediaState(run).Resume = false;
        WebMediaState(run).ProxyServer = "proxy.example";
        TCommandContext context(run, 0);
        (*FindCommand("Web Media Block"))(context);
        const TWebMediaState& state = WebMediaState(run);
        EXPECT_TRUE(state.Resume);
        EXPECT_EQ(state.ProxyServer, "proxy.example");
        ASSERT_TRUE(state.Current.has_value());
        EXPECT_EQ(state.Current->Name, c.name);
        EXPECT_EQ(state.Current->Urls, c.urls);
        EXPECT_EQ(state.Current->ArchivePath, std::string("C:\\Cache\\{REV}\\") + c.name + ".7zip");
        EXPECT_EQ(state.Current->Password, c.password);
    }
    EXPECT_EQ(run.WebMediaBlockNames, (std::vector<std::string>{"ONE", "two", "THREE"}));
    ClearCommands();
}

} // namespace
} // namespace ovd
