// The directly acting change commands against the real system: the registry in both views,
// the installer's product state, library registration (a library whose entry point
// crashes included) and the removal of assemblies through the helper the engine carries
// (a stand-in here, written from this test's own resources) and the framework's tool.
#include "DirectChangeCommands.h"

#include "CommandTable.h"
#include "FileUtil.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <oleauto.h>

#include <sstream>
#include <string>
#include <vector>

namespace ovd {
namespace {

using ovdtest::RegView;
using ovdtest_engine::Line;

constexpr const char* kProductCode = "{5A1B2C3D-0000-4000-8000-00000000A001}";
constexpr const char* kDeleteKey = "Software\\OrdovanTest\\Delete";

std::string Tools()
{
    return ovdtest::BuildDir() + "\\tests\\win\\msi\\tools\\";
}

REGSAM ViewFlag(RegView view)
{
    return view == RegView::View64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

void WriteValue(HKEY root, const std::string& key, const std::string& name, RegView view)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | ViewFlag(view), nullptr,
                              &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(opened);
}

class DirectChangeCommands : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    std::string work;

    void SetUp() override
    {
        work = ovdtest::PrepareRunFolder(
                   ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
               "\\";
        Process().SupportDir = work;
        Variables().ClearVariables();
        DefineVariable("WORK", work, "test");
        ClearCommands();
        RegisterDirectChangeCommands();
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }
};

TEST_F(DirectChangeCommands, DeleteRegistryInTheRunsView)
{
    struct Case {
        const char* name;
        const char* view; // the run's registry view
        const char* root;
        std::string key;
        const char* value;
        const char* wholeKey;
        bool gone32, gone64; // the value "A" (or the key) afterwards, per view
    };
    const Case cases[] = {
        {"value, 32-bit", "Win32", "2", kDeleteKey, "A", "FALSE", true, false},
        {"value, 64-bit", "Win64", "2", kDeleteKey, "A", "FALSE", false, true},
        {"key with subkeys, 32-bit", "Win32", "2", kDeleteKey, "", "TRUE", true, false},
        {"key with subkeys, 64-bit", "Win64", "2", kDeleteKey, "", "-1", false, true},
        {"doubled backslashes", "Win64", "2", "Software\\\\OrdovanTest\\\\Delete", "A", "FALSE",
         false, true},
        {"another root's key", "Win64", "1", kDeleteKey, "A", "TRUE", false, false},
        {"a missing value", "Win64", "2", kDeleteKey, "B", "FALSE", false, false},
        {"a missing key", "Win32", "2", "Software\\OrdovanTest\\Missing", "", "TRUE", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (RegView view : {RegView::View32, RegView::View64}) {
            WriteValue(HKEY_LOCAL_MACHINE, kDeleteKey, "A", view);
            WriteValue(HKEY_LOCAL_MACHINE, std::string(kDeleteKey) + "\\Sub", "S", view);
        }
        // The two views must be two places, or the cases would prove nothing.
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kDeleteKey, "Probe");
        WriteValue(HKEY_LOCAL_MACHINE, kDeleteKey, "Probe", RegView::View64);
        ASSERT_FALSE(
            ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kDeleteKey, "Probe", RegView::View32));
        run.RegistryView = c.view;
        Execute({{"Delete Registry", {c.root, c.key, c.value, c.wholeKey}}});
        const bool wholeKey = std::string(c.wholeKey) != "FALSE";
        for (RegView view : {RegView::View32, RegView::View64}) {
            const bool expectGone = view == RegView::View32 ? c.gone32 : c.gone64;
            const bool gone =
                wholeKey ? !ovdtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kDeleteKey, view)
                         : !ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kDeleteKey, "A", view);
            EXPECT_EQ(gone, expectGone) << (view == RegView::View32 ? "32-bit" : "64-bit");
        }
    }
    for (RegView view : {RegView::View32, RegView::View64})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kDeleteKey, ViewFlag(view), 0);
}

TEST_F(DirectChangeCommands, IsMsiSetupInstalledBeforeAndAfterAnInstall)
{
    const std::string database = work + "setup.msi";
    ASSERT_TRUE(CopyFileA(
        (ovdtest::BuildDir() + "\\tests\\e2e\\installer\\pkg\\product\\setup.msi").c_str(),
        database.c_str(), FALSE));
    DefineVariable("PRODUCT", kProductCode, "test");
    ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    Execute({{"Is MSI Setup Installed", {"$PRODUCT$", "$BEFORE$"}}});
    EXPECT_EQ(GetVariable("BEFORE"), "FALSE");

    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ASSERT_EQ(MsiInstallProductA(database.c_str(), "ALLUSERS=1"), ERROR_SUCCESS);
    Execute({{"Is MSI Setup Installed", {"$PRODUCT$", "AFTER"}},
             {"Is MSI Setup Installed", {"{5A1B2C3D-0000-4000-8000-0000000FFFFF}", "OTHER"}}});
    EXPECT_EQ(GetVariable("AFTER"), "TRUE");
    EXPECT_EQ(GetVariable("OTHER"), "FALSE");
    MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT, "REMOVE=ALL");
}

// A type library of one interface, written through the platform's own writer.
bool WriteTypeLibrary(const std::string& path, const GUID& guid)
{
    const std::wstring wide(path.begin(), path.end());
    ICreateTypeLib2* writer = nullptr;
    if (FAILED(CreateTypeLib2(SYS_WIN32, wide.c_str(), &writer)))
        return false;
    writer->SetGuid(guid);
    writer->SetVersion(1, 0);
    writer->SetLcid(0);
    wchar_t name[] = L"OrdovanTestLib";
    writer->SetName(name);
    const bool ok = SUCCEEDED(writer->SaveAllChanges());
    writer->Release();
    return ok;
}

std::string RegValue(const char* name)
{
    return ovdtest::ReadRegistryString(HKEY_CURRENT_USER, "Software\\OrdovanTest\\RegLib", name)
        .value_or("");
}

TEST_F(DirectChangeCommands, RegisterLibraryKinds)
{
    const std::string libs = work + "libs dir\\";
    ForceDirectories(libs);
    for (const char* dll : {"reglib.dll", "regcrash.dll"})
        ASSERT_TRUE(CopyFileA((Tools() + dll).c_str(), (libs + dll).c_str(), FALSE)) << dll;
    ASSERT_TRUE(ovdtest::WriteFileBytes(libs + "text.dll", "not a program image"));
    const GUID guid = {0x5a1b2c3d, 0x1111, 0x4000, {0x80, 0, 0, 0, 0, 0, 0xa0, 0x26}};
    ASSERT_TRUE(WriteTypeLibrary(libs + "test.tlb", guid));
    const std::string typeLibKey = "TypeLib\\{5A1B2C3D-1111-4000-8000-00000000A026}\\1.0";
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);

    struct Case {
        const char* name;
        std::string file;
        const char* doRegister;
        const char* result;
        const char* state; // the test library's mark afterwards ("" untouched)
    };
    const Case cases[] = {
        {"library registers", "$WORK$libs dir\\reglib.dll", "TRUE", "TRUE", "registered"},
        {"library unregisters", libs + "reglib.dll", "FALSE", "TRUE", "unregistered"},
        {"entry point crashes", libs + "regcrash.dll", "TRUE", "FALSE", ""},
        {"not a program image", libs + "text.dll", "TRUE", "FALSE", ""},
        {"missing library", libs + "none.dll", "TRUE", "FALSE", ""},
        {"missing type library", libs + "none.TLB", "TRUE", "FALSE", ""},
        {"missing program", libs + "none.exe", "TRUE", "FALSE", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\OrdovanTest\\RegLib");
        Execute({{"Register Library", {c.file, c.doRegister, "RESULT"}}});
        EXPECT_EQ(GetVariable("RESULT"), c.result);
        EXPECT_EQ(RegValue("State"), c.state);
        if (*c.state != '\0') { // called in the library's folder
            EXPECT_EQ(WithBackslash(RegValue("Folder")), libs);
        }
        char after[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, after);
        EXPECT_STREQ(after, before);
    }

    // The type library in and out of the classes root.
    Execute({{"Register Library", {libs + "test.tlb", "TRUE", "TLB"}}});
    EXPECT_EQ(GetVariable("TLB"), "TRUE");
    EXPECT_TRUE(ovdtest::RegistryKeyExists(HKEY_CLASSES_ROOT, typeLibKey));
    Execute({{"Register Library", {libs + "test.tlb", "FALSE", "TLB"}}});
    EXPECT_EQ(GetVariable("TLB"), "TRUE");
    EXPECT_FALSE(ovdtest::RegistryKeyExists(HKEY_CLASSES_ROOT, typeLibKey));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\OrdovanTest\\RegLib");
}

TEST_F(DirectChangeCommands, RegisterLibraryStartsAProgramWithoutWaiting)
{
    const std::string program = work + "server.exe";
    ASSERT_TRUE(CopyFileA((Tools() + "standin.exe").c_str(), program.c_str(), FALSE));
    const std::string log = work + "calls.txt";
    SetEnvironmentVariableA("OVD_DOTNET_LOG", log.c_str());
    Execute({{"Register Library", {program, "TRUE", "RESULT"}},
             {"Register Library", {program, "FALSE"}}});
    EXPECT_EQ(GetVariable("RESULT"), "TRUE");
    std::string calls;
    for (int i = 0; i < 200 && calls.find("unregserver") == std::string::npos; ++i) {
        Sleep(50);
        calls = ovdtest::ReadFileBytes(log).value_or("");
    }
    EXPECT_NE(calls.find("\"" + program + "\" /regserver|"), std::string::npos) << calls;
    EXPECT_NE(calls.find("\"" + program + "\" /unregserver|"), std::string::npos) << calls;
    SetEnvironmentVariableA("OVD_DOTNET_LOG", nullptr);
}

// A database holding only the assembly tables.
void WriteAssemblyDatabase(const std::string& path)
{
    MSIHANDLE db = 0;
    ASSERT_EQ(MsiOpenDatabaseA(path.c_str(), MSIDBOPEN_CREATE, &db), ERROR_SUCCESS);
    for (const char* sql : {
             "CREATE TABLE `MsiAssembly` (`Component_` CHAR(72) NOT NULL, `Feature_` CHAR(38) "
             "NOT NULL, `File_Manifest` CHAR(72), `File_Application` CHAR(72), `Attributes` "
             "SHORT PRIMARY KEY `Component_`)",
             "CREATE TABLE `MsiAssemblyName` (`Component_` CHAR(72) NOT NULL, `Name` CHAR(255) "
             "NOT NULL, `Value` CHAR(255) NOT NULL PRIMARY KEY `Component_`, `Name`)",
             "INSERT INTO `MsiAssembly` (`Component_`, `Feature_`) VALUES ('CLib', 'F')",
             "INSERT INTO `MsiAssembly` (`Component_`, `Feature_`) VALUES ('CTool', 'F')",
             "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('CLib', "
             "'Name', 'Test.Lib')",
             "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('CLib', "
             "'Version', '1.2.0.0')",
             "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('CLib', "
             "'Culture', 'neutral')",
             "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('CTool', "
             "'Name', 'Test.Tool')",
             "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('CTool', "
             "'Version', '3.0.0.0')",
         }) {
        MSIHANDLE view = 0;
        ASSERT_EQ(MsiDatabaseOpenViewA(db, sql, &view), ERROR_SUCCESS) << sql;
        ASSERT_EQ(MsiViewExecute(view, 0), ERROR_SUCCESS) << sql;
        MsiCloseHandle(view);
    }
    MsiDatabaseCommit(db);
    MsiCloseHandle(db);
}

TEST_F(DirectChangeCommands, RemoveAssembliesThroughTheHelperThenTheFrameworkTool)
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string framework = std::string(windows) + "\\Microsoft.NET\\Framework\\v1.1.4322\\";
    ForceDirectories(framework);
    const std::string gacutil = framework + "gacutil.exe";
    ASSERT_TRUE(CopyFileA((Tools() + "standin.exe").c_str(), gacutil.c_str(), FALSE));
    const std::string log = work + "calls.txt";
    SetEnvironmentVariableA("OVD_DOTNET_LOG", log.c_str());
    run.DatabasePath = work + "setup.msi";
    WriteAssemblyDatabase(run.DatabasePath);
    const std::string folder = work.substr(0, work.size() - 1);

    struct Case {
        const char* name;
        const char* helperCode; // the stand-in helper's exit code
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"the helper removes them",
         "0",
         {"mgac.exe|/u Test.Lib,Version=1.2.0.0|" + folder,
          "mgac.exe|/u Test.Tool,Version=3.0.0.0|" + folder}},
        {"the helper fails: the framework tool after each",
         "1",
         {"mgac.exe|/u Test.Lib,Version=1.2.0.0|" + folder,
          "gacutil.exe|/u Test.Lib,Version=1.2.0.0|" + framework.substr(0, framework.size() - 1),
          "mgac.exe|/u Test.Tool,Version=3.0.0.0|" + folder,
          "gacutil.exe|/u Test.Tool,Version=3.0.0.0|" + framework.substr(0, framework.size() - 1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(log.c_str());
        ASSERT_TRUE(ovdtest::WriteFileBytes(work + "mgac.exe.code", c.helperCode));
        Execute({{"Remove Assemblies", {}}});
        std::vector<std::string> calls;
        std::istringstream in(ovdtest::ReadFileBytes(log).value_or(""));
        for (std::string line; std::getline(in, line);) {
            // "<program path>|<command line>|<folder>": the program's name, its arguments.
            const std::size_t first = line.find('|');
            const std::string self = line.substr(0, first);
            std::string rest = line.substr(first + 1);
            const std::size_t exe = rest.find(".exe");
            rest = rest.substr(exe + 4);
            if (!rest.empty() && rest[0] == '"')
                rest.erase(0, 1);
            if (!rest.empty() && rest[0] == ' ')
                rest.erase(0, 1);
            calls.push_back(self.substr(self.find_last_of('\\') + 1) + "|" + rest);
        }
        EXPECT_EQ(calls, c.calls);
    }
    // The helper's configuration beside it.
    EXPECT_NE(ovdtest::ReadFileBytes(work + "mgac.exe.config").value_or("").find("<configuration>"),
              std::string::npos);
    SetEnvironmentVariableA("OVD_DOTNET_LOG", nullptr);
    DeleteFileA(gacutil.c_str());
}

// Whether this system has an assembly cache at all (Wine without its .NET parts has none).
bool HasAssemblyCache()
{
    const HMODULE fusion = LoadLibraryA("fusion.dll");
    const bool found =
        fusion != nullptr && GetProcAddress(fusion, "CreateAssemblyCache") != nullptr;
    if (fusion != nullptr)
        FreeLibrary(fusion);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    WIN32_FIND_DATAA data;
    const HANDLE find =
        FindFirstFileA((std::string(windows) + "\\Microsoft.NET\\Framework*").c_str(), &data);
    bool frameworkLibrary = false;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            for (const char* version : {"v4.0.30319", "v2.0.50727", "v1.1.4322"})
                frameworkLibrary = frameworkLibrary ||
                                   FileExists(std::string(windows) + "\\Microsoft.NET\\" +
                                              data.cFileName + "\\" + version + "\\fusion.dll");
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return found || frameworkLibrary;
}

TEST(AssemblyHelper, CommandLineAndAnAssemblyNotInTheCache)
{
    const std::string helper = ovdtest::BuildDir() + "\\bin\\mgac.exe";
    struct Case {
        std::string arguments;
        DWORD exitCode;
    };
    // Without a cache the helper says so (3), so that the engine turns to the framework's
    // tool; with one, an assembly that is not in it counts as removed.
    const Case cases[] = {
        {"", 2},
        {"/x Name", 2},
        {"/u", 2},
        {"/u Ordovan.Test.Missing,Version=1.0.0.0", HasAssemblyCache() ? 0u : 3u},
    };
    for (const Case& c : cases) {
        const ovdtest::ProcessResult r = ovdtest::RunProgram("\"" + helper + "\" " + c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments << ": " << r.output;
    }
}

} // namespace
} // namespace ovd
