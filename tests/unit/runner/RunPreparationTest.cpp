#include "ComponentTable.h"
#include "PredefinedVariables.h"
#include "RecordingRunnerUI.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "mscriptexec.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovd {
namespace {

using ovdtest_engine::FillScript;
using ovdtest_engine::RecordingPlatform;
using Events = std::vector<std::string>;

class RunPreparation : public ::testing::Test {
protected:
    TCompiledScript script;
    RecordingPlatform platform;
    TRecordingRunnerUI ui;
    TEngineServices services;
    TScriptRun run{services};

    void SetUp() override
    {
        ResetProcess();
        Variables().ClearVariables();
        Process().ExeDir = "D:\\dist\\";
        Process().TempDir = "C:\\Temp\\";
        Process().SupportDir = "C:\\Temp\\ovd1\\";
        Process().DataFolder = "D:\\dist\\data\\";
        FillScript(script, {{"Comment", {}},
                            {"Install Files", {"src", "*.*", "$TARGETDIR$"}},
                            {"Create Shortcut", {"$TARGETDIR$app.exe", "App", "$STARTMENU$"}},
                            {"Label", {"end"}}});
        script.ProductCode = "{12345678-AAAA-BBBB-CCCC-000000000001}";
        script.RevisionCode = "{87654321-AAAA-BBBB-CCCC-000000000002}";
        script.ProductTitle = "Demo App";
        script.ProductVersion = "1.2.3";
        script.Publisher = "Maker";
        script.BuildMode = 1;
        for (const char* e : {"0000ABCD", "1", "0000BEEF", "2"})
            script.CommandHeaders.Add(e);
        run.Script = &script;
        services.Platform = &platform;
        services.UseUserInterface(ui);
        run.DatabasePath = "C:\\Temp\\ovd1\\setup.msi";
        services.Trace = [this](std::string_view tag) { platform.events.emplace_back(tag); };
        services.ChooseLanguage = [this] { return platform.ChooseLanguage(); };
        platform.files.insert(run.DatabasePath);
    }
    void TearDown() override
    {
        ResetProcess();
        Variables().ClearVariables();
    }
};

// The feature table and the other slots belong to the run: preparation starts it afresh
// (the predefined component of a new installation, the script's sizes), a later run does
// not see the earlier one's, and the services name the run only while it runs.
TEST_F(RunPreparation, FeatureTableIsTheRunsOwn)
{
    script.ComponentSizes.Add("Tools");
    script.ComponentSizes.Add("1500");
    ComponentTable(run).Define("Left over", true, "");
    const TScriptRun* active = nullptr;
    run.OnLine = [&](long) {
        active = services.ActiveRun;
        return false;
    };
    ScriptRunner(run);
    EXPECT_EQ(active, &run);
    EXPECT_EQ(services.ActiveRun, nullptr);
    const TComponentTable& table = ComponentTable(run);
    EXPECT_FALSE(table.Exists("Left over"));
    EXPECT_TRUE(table.Exists(kPredefinedComponent));
    EXPECT_EQ(table.Size("Tools"), 1500);

    TScriptRun next(services);
    EXPECT_FALSE(ComponentTable(next).Exists(kPredefinedComponent));
}

TEST_F(RunPreparation, StepsInOrderThenHandOver)
{
    script.CompilerVariables.Add("SINGLEINSTANCE");
    script.CompilerVariables.Add("TRUE");
    bool loopRan = false;
    // The loop's first line: preparation is complete; ending the run here takes the exit
    // step.
    run.OnLine = [&](long line) {
        loopRan = true;
        platform.events.push_back("loop " + std::to_string(line));
        EXPECT_EQ(run.Labels.Find("END"), 3);
        return false;
    };
    ScriptRunner(run);
    const std::string marker = "C:\\Temp\\{87654321-AAAA-BBBB-CCCC-000000000002}.ovd";
    const Events expected = {
        "    <Variables>",
        "    </Variables>",
        "    <CompileScript>",
        "    </CompileScript>",
        "    <BootStrap>",
        "    </BootStrap>",
        "create " + marker,
        "    <zovr>",
        "resume-entry 12345678",
        "language",
        "loop 1",
        "remove " + marker,
    };
    EXPECT_EQ(platform.events, expected);
    EXPECT_TRUE(loopRan);
    EXPECT_EQ(run.HandOverProperties, (Events{"A0000ABCD", "FALSE", "A0000BEEF", "FALSE"}));
    EXPECT_EQ(run.PendingProperties.Names, (Events{"A0000ABCD", "A0000BEEF"}));
    EXPECT_EQ(run.RememberedLanguage, "ZILCH");
}

// A subsystem's slot holds one object per type for the run; preparing a run starts the
// run's slots afresh, so nothing of an earlier run is seen.
TEST_F(RunPreparation, SubsystemSlotsBelongToTheRun)
{
    struct OpenFile {
        std::string Path;
    };
    struct Names {
        std::vector<std::string> Items;
    };
    run.Slots.Get<OpenFile>().Path = "C:\\a.txt";
    run.Slots.Get<Names>().Items.push_back("X");
    EXPECT_EQ(run.Slots.Get<OpenFile>().Path, "C:\\a.txt");
    EXPECT_EQ(run.Slots.Get<Names>().Items, Events{"X"});
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_TRUE(run.Slots.Get<OpenFile>().Path.empty());
    EXPECT_TRUE(run.Slots.Get<Names>().Items.empty());
}

TEST_F(RunPreparation, ValidationFailureEndsWith314AndNothingElse)
{
    FillScript(script, {{"If", {"X", "0", "1", "FALSE"}}});
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::ValidationFailed);
    EXPECT_EQ(platform.events,
              (Events{"    <Variables>", "    </Variables>", "    <CompileScript>", "end 314"}));
    EXPECT_EQ(Process().ExitCode, 314);
}

TEST_F(RunPreparation, DatabaseOrPatchRequired)
{
    struct {
        std::string database;
        bool databaseExists;
        bool patchExists;
        PrepareOutcome outcome;
    } cases[] = {
        {"C:\\Temp\\ovd1\\setup.msi", true, false, PrepareOutcome::Ready},
        {"C:\\Temp\\ovd1\\setup.msi", false, true, PrepareOutcome::Ready},
        {"C:\\Temp\\ovd1\\setup.msi", false, false, PrepareOutcome::NoDatabase},
        {"", false, false, PrepareOutcome::NoDatabase},
    };
    for (const auto& c : cases) {
        platform.files.clear();
        if (c.databaseExists)
            platform.files.insert(c.database);
        if (c.patchExists)
            platform.files.insert("C:\\Temp\\ovd1\\setup.msp");
        run.DatabasePath = c.database;
        EXPECT_EQ(PrepareRun(run), c.outcome) << c.database << c.databaseExists << c.patchExists;
    }
}

// Cancelling the language choice ends the setup before the script: nothing runs and the
// single-instance marker goes.
TEST_F(RunPreparation, LanguageCancelledRunsNothing)
{
    script.CompilerVariables.Add("SINGLEINSTANCE");
    script.CompilerVariables.Add("TRUE");
    platform.language = std::nullopt;
    bool ran = false;
    run.OnLine = [&](long) { return ran = true; };
    ScriptRunner(run);
    EXPECT_FALSE(ran);
    EXPECT_EQ(platform.events.back(),
              "remove C:\\Temp\\{87654321-AAAA-BBBB-CCCC-000000000002}.ovd");
}

TEST_F(RunPreparation, SingleInstanceOnlyForExactTrue)
{
    const std::string marker = "C:\\Temp\\{87654321-AAAA-BBBB-CCCC-000000000002}.ovd";
    script.CompilerVariables.Add("SINGLEINSTANCE");
    script.CompilerVariables.Add("true");
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(platform.files.count(marker), 0u);

    script.CompilerVariables.Set(1, "TRUE");
    platform.heldMarkers.insert(marker); // a living run holds it
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::AlreadyRunning);
    EXPECT_TRUE(run.SingleInstanceMarker.empty());
}

// A marker nobody holds any more (its run was killed) is taken over and released at the
// end like a fresh one.
TEST_F(RunPreparation, StaleSingleInstanceMarkerIsTakenOver)
{
    const std::string marker = "C:\\Temp\\{87654321-AAAA-BBBB-CCCC-000000000002}.ovd";
    script.CompilerVariables.Add("SINGLEINSTANCE");
    script.CompilerVariables.Add("TRUE");
    platform.files.insert(marker);
    bool ran = false;
    run.OnLine = [&](long) {
        ran = true;
        return false;
    };
    ScriptRunner(run);
    EXPECT_TRUE(ran);
    EXPECT_NE(std::find(platform.events.begin(), platform.events.end(), "take over " + marker),
              platform.events.end());
    EXPECT_EQ(platform.events.back(), "remove " + marker);
}

TEST_F(RunPreparation, FirstInstallationVariables)
{
    struct {
        bool admin;
        const char* allUsers;
        const char* target;
        const char* cache;
    } cases[] = {
        {true, "TRUE", "C:\\Program Files\\Demo App\\",
         "C:\\ProgramData\\{87654321-AAAA-BBBB-CCCC-000000000002}\\"},
        {false, "FALSE", "C:\\Users\\me\\Demo App\\",
         "C:\\Users\\me\\AppData\\Local\\{87654321-AAAA-BBBB-CCCC-000000000002}\\"},
    };
    for (const auto& c : cases) {
        platform.admin = c.admin;
        ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
        EXPECT_EQ(GetVariable("ALLUSERS"), c.allUsers);
        EXPECT_EQ(GetVariable("TARGETDIR"), c.target);
        EXPECT_EQ(GetVariable("ENGINECACHE"), c.cache);
        EXPECT_EQ(GetVariable("UNINSTALLLINK"), std::string(c.cache) + "setup.exe");
        EXPECT_EQ(GetVariable("STARTMENU"), "Demo App");
        EXPECT_EQ(GetVariable("MAINTENANCE"), "FALSE");
        EXPECT_EQ(GetVariable("NEEDSUPGRADE"), "FALSE");
        EXPECT_EQ(GetVariable("NEWINSTANCE"), "FALSE");
        EXPECT_EQ(GetVariable("PRODUCTCODE"), script.ProductCode);
        EXPECT_EQ(GetVariable("DATADIR"), "D:\\dist\\data\\");
    }
    // Thread protocol, Initialization and language values.
    const std::pair<const char*, const char*> expected[] = {
        {"ZOVR_thMax", "100"},
        {"ZOVR_LastActiveTick", "123456"},
        {"ZOVR_IsCancelled", "FALSE"},
        {"MSIFILE", "C:\\Temp\\ovd1\\setup.msi"},
        {"EXEFILE", "D:\\dist\\setup.exe"},
        {"EXEDIR", "D:\\dist\\"},
        {"ROOTDIR", "D:\\dist\\"},
        {"SUPPORTDIR", "C:\\Temp\\ovd1\\"},
        {"TEMPDIR", "C:\\Temp\\"},
        {"TITLE", "Demo App"},
        {"COMPANY", "Maker"},
        {"VERSION", "1.2.3"},
        {"USERNAME", "Owner"},
        {"USERCOMPANY", "Org"},
        {"DATE", "08/12/2026"},
        {"TIME", "23:59:01"},
        {"SILENT", "FALSE"},
        {"NEWLINE", "\r\n"},
        {"SFXPATH", ""},
        {"SFXFILE", ""},
        {"GPOPATH", ""},
        {"LANGUAGE", ""},
        {"OVERRIDECACHE", ""},
        {"IISHOST", "localhost"},
        {"ABORTONERROR", "TRUE"},
        {"WIZARD", "NEXT"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(GetVariable(name), value) << name;
    EXPECT_TRUE(Variables().VariableExists("LANGUAGE"));
}

TEST_F(RunPreparation, CommandLineFactsAndOverrides)
{
    Process().SilentMode = true;
    Process().SfxPath = "e:\\media\\setup.exe";
    Process().GpoPath = "\\\\server\\share\\gpo.msi";
    Process().LogFile = "c:\\log.txt";
    Process().CommandLineTail = "/s TARGETDIR=D:\\Mine\\ /l=c:\\log.txt";
    Process().CommandLineProperties = {"TARGETDIR", "D:\\Mine\\", "ALLUSERS", "FALSE"};
    platform.language = "Deutsch";
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Mine\\");
    EXPECT_EQ(GetVariable("ALLUSERS"), "FALSE");
    EXPECT_EQ(GetVariable("SILENT"), "TRUE");
    EXPECT_EQ(GetVariable("SFXPATH"), "e:\\media\\");
    EXPECT_EQ(GetVariable("SFXFILE"), "setup.exe");
    EXPECT_EQ(GetVariable("GPOPATH"), "\\\\server\\share\\");
    EXPECT_EQ(GetVariable("LOGGED"), "c:\\log.txt");
    EXPECT_EQ(GetVariable("CMDLINE"), Process().CommandLineTail);
    EXPECT_EQ(GetVariable("LANGUAGE"), "Deutsch");
    // The script's own assignment later loses in silent mode.
    SetVariable("TARGETDIR", "C:\\Other\\", "Set Variable Action");
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Mine\\");
}

TEST_F(RunPreparation, InstalledProductAndCachedInstance)
{
    struct {
        int state;
        bool matches;
        bool fromCache;
        const char* maintenance;
        const char* upgrade;
        const char* newInstance;
    } cases[] = {
        {5, true, false, "TRUE", "FALSE", "TRUE"},    {5, false, false, "FALSE", "TRUE", "TRUE"},
        {-1, true, false, "FALSE", "FALSE", "FALSE"}, {2, true, false, "FALSE", "FALSE", "FALSE"},
        {5, true, true, "TRUE", "FALSE", "FALSE"}, // last: it renames the product
    };
    for (const auto& c : cases) {
        platform.productState = c.state;
        platform.packageMatches = c.matches;
        if (c.fromCache) {
            platform.files.insert("D:\\dist\\instance.dat");
            platform.fileText["D:\\dist\\instance.dat"] =
                "{11111111-0000-0000-0000-000000000000}\r\n{22222222-0000-0000-0000-000000000000}"
                "\r\n"
                "Cached Title\r\n";
        }
        ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
        EXPECT_EQ(GetVariable("MAINTENANCE"), c.maintenance) << c.state << c.matches;
        EXPECT_EQ(GetVariable("NEEDSUPGRADE"), c.upgrade) << c.state << c.matches;
        EXPECT_EQ(GetVariable("NEWINSTANCE"), c.newInstance) << c.state << c.fromCache;
        if (c.fromCache) {
            EXPECT_EQ(GetVariable("PRODUCTCODE"), "{11111111-0000-0000-0000-000000000000}");
            EXPECT_EQ(GetVariable("TITLE"), "Cached Title");
        }
    }
}

TEST_F(RunPreparation, EngineCacheBaseRules)
{
    platform.identFolder = "E:\\Caches\\{87654321-aaaa-bbbb-cccc-000000000002}\\";
    EXPECT_EQ(EngineCacheBase(platform, script, true), "E:\\Caches\\");
    platform.identFolder = "E:\\Caches\\{OTHER}\\";
    EXPECT_EQ(EngineCacheBase(platform, script, true), "C:\\ProgramData\\");
    Variables().SetVariableValue("OVERRIDECACHE", "F:\\Override\\");
    EXPECT_EQ(EngineCacheBase(platform, script, false), "F:\\Override\\");
    script.BuildMode = 2;
    Variables().ClearVariables();
    platform.identFolder.reset();
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("DATADIR"), "C:\\ProgramData\\{87654321-AAAA-BBBB-CCCC-000000000002}\\");
}

} // namespace
} // namespace ovd
