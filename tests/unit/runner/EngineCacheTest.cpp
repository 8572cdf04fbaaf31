#include "EngineCache.h"

#include "ComponentTable.h"
#include "RecordingRunnerUI.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "mscriptexec.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace ovd {
namespace {

using ovdtest_engine::FillScript;
using ovdtest_engine::RecordingPlatform;

TEST(EngineCacheRules, VersionNumbers)
{
    struct {
        const char* version;
        std::uint32_t major, minor;
    } cases[] = {
        {"2.10.3", 2, 10}, {"7", 7, 0},      {"1.5", 1, 5},  {"x.2.1", 0, 2},
        {"", 0, 0},        {"3.beta", 3, 0}, {"-1.2", 0, 2}, {"99999999999.1", 0, 1},
    };
    for (const auto& c : cases) {
        const TVersionNumbers v = VersionNumbers(c.version);
        EXPECT_EQ(v.Major, c.major) << c.version;
        EXPECT_EQ(v.Minor, c.minor) << c.version;
    }
}

TEST(EngineCacheRules, CachedSetupFolderFromTheUninstallCommand)
{
    struct {
        const char* command;
        const char* folder;
    } cases[] = {
        {"\"C:\\Cache\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE", "C:\\Cache\\{R}\\"},
        {"C:\\Cache\\setup.exe", "C:\\Cache\\"},
        {"\"\" REMOVE=TRUE", ""},
        {"", ""},
        {"\"C:\\Unterminated\\setup.exe", "C:\\Unterminated\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CachedSetupFolder(c.command), c.folder) << c.command;
}

TEST(EngineCacheRules, UninstallEntryStartsTheCachedEngineToRemove)
{
    TUninstallFacts f;
    f.CacheFolder = "C:\\ProgramData\\{R}\\";
    f.ProgramName = "setup.exe";
    f.Title = "Demo";
    f.ProductVersion = "4.2.1";
    f.InstallLocation = "\\\\server\\\\share\\\\Demo\\\\";
    std::map<std::string, TRegistryValue> values;
    for (const TRegistryValue& v : UninstallEntryValues(f))
        values[v.Name] = v;
    EXPECT_EQ(values.size(), 13u);
    EXPECT_EQ(values["UninstallString"].Text,
              "\"C:\\ProgramData\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE");
    EXPECT_EQ(values["ModifyPath"].Text, "C:\\ProgramData\\{R}\\setup.exe");
    EXPECT_EQ(values["InstallLocation"].Text, "\\\\server\\share\\Demo\\");
    EXPECT_TRUE(values["VersionMinor"].IsNumber);
    EXPECT_EQ(values["VersionMinor"].Number, 2u);

    const std::vector<TRegistryValue> ident = IdentKeyValues("C:\\ProgramData\\{R}", "4.2.1");
    ASSERT_EQ(ident.size(), 3u);
    EXPECT_EQ(ident[2].Name, "");
    EXPECT_EQ(ident[2].Text, "C:\\ProgramData\\{R}\\");
}

TEST(EngineCacheRules, OnlyAFolderNamedByTheRevisionIsACache)
{
    EXPECT_TRUE(IsCacheFolderOf("C:\\ProgramData\\{ab-CD}\\", "{AB-cd}"));
    EXPECT_TRUE(IsCacheFolderOf("C:\\ProgramData\\{ab-CD}", "{AB-cd}"));
    EXPECT_FALSE(IsCacheFolderOf("C:\\ProgramData\\", "{AB-cd}"));
    EXPECT_FALSE(IsCacheFolderOf("C:\\", "{AB-cd}"));
    EXPECT_FALSE(IsCacheFolderOf("C:\\ProgramData\\{ab-CD}\\", ""));
    // Only names in braces: a data or package folder's name never makes a cache of a
    // folder that others share.
    for (const char* name : {"data", "acme", ".", "..", "{}", "{a}b}", "{a\\b}", "{a"})
        EXPECT_FALSE(IsCacheFolderOf(std::string("C:\\ProgramData\\") + name, name)) << name;
}

TEST(EngineCacheRules, SetupSourcesAreWhereTheIdentifyingFileIs)
{
    const std::string code = "{5A1B2C3D-0000-4000-8000-00000000B001}";
    struct Case {
        const char* name;
        std::string folder;
        std::set<std::string> files;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        {"in the folder itself", "E:\\Setup", {"E:\\Setup\\" + code}, "E:\\Setup\\"},
        {"in its data folder", "E:\\Setup\\", {"E:\\Setup\\data\\" + code}, "E:\\Setup\\data\\"},
        {"the folder wins over its data folder",
         "E:\\",
         {"E:\\" + code, "E:\\data\\" + code},
         "E:\\"},
        {"another product's media", "E:\\", {"E:\\{OTHER}", "E:\\data\\setup.msi"}, std::nullopt},
        {"no folder chosen", "", {"\\" + code}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto exists = [&](const std::string& path) { return c.files.count(path) != 0; };
        EXPECT_EQ(SetupSourcesIn(c.folder, code, exists), c.found) << c.name;
    }
}

TEST(EngineCacheRules, OldSelectionFileChoice)
{
    struct {
        std::vector<std::string> dat;
        std::set<std::string> present;
        const char* chosen; // nullptr: none
    } cases[] = {
        {{"setup.dat"}, {}, "setup.dat"},
        {{"instance.dat", "setup.dat"}, {}, "setup.dat"},
        {{"a.dat", "b.dat"}, {"b.exe", "b.res", "b.msi", "b.par"}, "b.dat"},
        {{"a.dat", "b.dat"}, {"a.exe", "a.res", "a.msi"}, nullptr}, // a.par missing
        {{"instance.dat"}, {}, nullptr},
        {{}, {}, nullptr},
    };
    for (const auto& c : cases) {
        const auto chosen = ChooseOldSelectionFile(
            c.dat, [&](const std::string& name) { return c.present.count(name) != 0; });
        if (c.chosen == nullptr)
            EXPECT_FALSE(chosen) << *chosen;
        else
            EXPECT_EQ(chosen.value_or("(none)"), c.chosen);
    }
}

TEST(EngineCacheRules, RefreshKeepsTheChoicesAndTakesTheVariablesOfThisRun)
{
    const std::string old = "A\r\nB\r\n$\r\nTRUE\r\nFALSE\r\n$\r\n$\r\n$\r\n$\r\nA\r\n10\r\n$\r\n"
                            "C:\\App\\\r\nTRUE\r\nMenu\r\nD:\\data\\\r\n"
                            "COLOR\r\nred\r\nZOVR64WOW\r\nx64\r\nOVERRIDECACHE\r\nE:\\old\\\r\n";
    const auto refreshed = RefreshedSelectionFile(old, {{"COLOR", "blue"}, {"NOTE", "a\r\nb"}}, "");
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(*refreshed, "A\r\nB\r\n$\r\nTRUE\r\nFALSE\r\n$\r\n$\r\n$\r\n$\r\nA\r\n10\r\n$\r\n"
                          "C:\\App\\\r\nTRUE\r\nMenu\r\nD:\\data\\\r\n"
                          "COLOR\r\nblue\r\nNOTE\r\na$NEWLINE$b\r\n"
                          "ZOVR64WOW\r\nx64\r\nOVERRIDECACHE\r\n\r\n");
    // What is not a selection file is not refreshed (it is written anew).
    EXPECT_FALSE(RefreshedSelectionFile("A\r\n$\r\n", {}, ""));
    EXPECT_FALSE(RefreshedSelectionFile(std::string("\0$", 2), {}, ""));
}

// The bootstrap of a run with a cache on the (recorded) machine.
class MaintenanceBootstrap : public ::testing::Test {
protected:
    TCompiledScript script;
    RecordingPlatform platform;
    TRecordingRunnerUI ui;
    TEngineServices services;
    TScriptRun run{services};
    const std::string cache = "C:\\ProgramData\\{REV-2}\\";
    const std::string selection =
        "Program\r\nDocs\r\nDocs\\Samples\r\n$\r\nTRUE\r\nFALSE\r\nTRUE\r\n$\r\n$\r\nDocs\r\n$\r\n"
        "Docs\\Samples\r\n$\r\nProgram\r\n100\r\nDocs\r\n40\r\nDocs\\Samples\r\n7\r\n$\r\n"
        "D:\\Saved\\\r\nFALSE\r\nSaved Menu\r\nC:\\data\\\r\nCOLOR\r\nred$NEWLINE$green\r\n"
        "ZOVR64WOW\r\nWin32\r\nOVERRIDECACHE\r\n\r\n";

    void SetUp() override
    {
        ResetProcess();
        Variables().ClearVariables();
        Process().ExeDir = "D:\\dist\\";
        Process().TempDir = "C:\\Temp\\";
        FillScript(script, {{"Comment", {}}});
        script.ProductCode = "{PROD}";
        script.RevisionCode = "{REV-2}";
        script.ProductTitle = "Demo";
        run.Script = &script;
        run.DatabasePath = "C:\\Temp\\ovd1\\setup.msi";
        services.Platform = &platform;
        services.UseUserInterface(ui);
        services.ChooseLanguage = [] { return std::optional<std::string>(""); };
        platform.files.insert(run.DatabasePath);
    }
    void TearDown() override
    {
        ResetProcess();
        Variables().ClearVariables();
        ComponentTable(run).Reset();
    }
    void Cached(const std::string& path, const std::string& text)
    {
        platform.files.insert(path);
        platform.fileText[path] = text;
    }
};

TEST_F(MaintenanceBootstrap, MaintenanceTakesTheSavedChoicesBack)
{
    platform.productState = 5;
    Cached(cache + "setup.dat", selection);
    Cached(cache + "setup.lnk", "C:\\menu\\App.lnk|X|C:\\App\\app.exe\r\n");
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("MAINTENANCE"), "TRUE");
    const TComponentTable& table = ComponentTable(run);
    EXPECT_FALSE(table.Exists(kPredefinedComponent));
    EXPECT_TRUE(table.Selected("Program"));
    EXPECT_FALSE(table.Selected("Docs"));
    EXPECT_TRUE(table.IsLocked("Docs\\Samples"));
    // Selected and not deleted: Program (100) and Docs\Samples (7).
    EXPECT_EQ(table.InstalledSizeBaseline, 107);
    EXPECT_EQ(run.InstalledSizeBaseline, 107u);
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Saved\\");
    EXPECT_EQ(GetVariable("ALLUSERS"), "FALSE");
    EXPECT_EQ(GetVariable("STARTMENU"), "Saved Menu");
    EXPECT_EQ(GetVariable("COLOR"), "red\r\ngreen");
    EXPECT_EQ(table.PersistedVariables, std::vector<std::string>{"COLOR"});
    EXPECT_EQ(MaintenanceData(run).UnpinList,
              std::vector<std::string>{"C:\\menu\\App.lnk|X|C:\\App\\app.exe"});
}

TEST_F(MaintenanceBootstrap, UpgradeLoadsTheOldSelectionOnlyWhenAsked)
{
    const std::string oldCache = "C:\\ProgramData\\{REV-1}\\";
    platform.identFolder = oldCache;
    platform.listings[oldCache] = {"instance.dat", "setup.dat"};
    Cached(oldCache + "setup.dat", selection);
    for (bool asked : {false, true}) {
        SCOPED_TRACE(asked);
        script.CompilerVariables.Clear();
        if (asked) {
            script.CompilerVariables.Add("LOADOLDDATA");
            script.CompilerVariables.Add("TRUE");
        }
        platform.productState = 5;
        platform.packageMatches = false;
        ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
        EXPECT_EQ(GetVariable("NEEDSUPGRADE"), "TRUE");
        EXPECT_EQ(GetVariable("MAINTENANCE"), "FALSE");
        EXPECT_EQ(MaintenanceData(run).OldSelectionFile, oldCache + "setup.dat");
        const TComponentTable& table = ComponentTable(run);
        EXPECT_EQ(table.Exists("Docs"), asked);
        EXPECT_EQ(GetVariable("TARGETDIR") == "D:\\Saved\\", asked);
        // The old revision's sizes are not taken: the new one's files differ.
        EXPECT_EQ(table.InstalledSizeBaseline, 0);
    }
}

TEST_F(MaintenanceBootstrap, AStaleCacheOfARemovedProductIsNotTaken)
{
    platform.productState = -1; // removed by other means; its cache stayed
    Cached(cache + "setup.dat", selection);
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("MAINTENANCE"), "FALSE");
    const TComponentTable& table = ComponentTable(run);
    EXPECT_TRUE(table.Exists(kPredefinedComponent));
    EXPECT_FALSE(table.Exists("Docs"));
    EXPECT_EQ(table.InstalledSizeBaseline, 0);
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Program Files\\Demo\\");
}

TEST_F(MaintenanceBootstrap, ADamagedSelectionFileLeavesTheScriptsTable)
{
    platform.productState = 5;
    Cached(cache + "setup.dat", "Program\r\n$\r\nTRUE\r\n");
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("MAINTENANCE"), "TRUE");
    EXPECT_EQ(ComponentTable(run).Names.Count(), 0u);
    EXPECT_EQ(ComponentTable(run).InstalledSizeBaseline, 0);
}

} // namespace
} // namespace ovd
