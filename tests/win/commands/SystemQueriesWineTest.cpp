// The system queries on the machine under Wine: real files and versioned libraries, INI
// files, registry values of every type in both views, folders, a listing in the worker
// (with cancel), a recursive delete and service states.
#include "SystemQueries.h"

#include "CommandTable.h"
#include "RecordingRunnerUI.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "SystemQueryText.h"
#include "TFindAllFilesThread.h"
#include "TImageListPool.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "ovdtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <thread>

namespace ovd {
namespace {

using ovdtest_engine::Line;

const char* const kTestKey = "Software\\Veldmark\\OvdSysQueryTest";

class SystemQueriesWine : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TRecordingRunnerUI ui;
    TScriptRun run{services};
    std::string dir;

    void SetUp() override
    {
        dir = ovdtest::TestOutDir() + "\\sysquery";
        CreateDirectoryA(dir.c_str(), nullptr);
        Variables().ClearVariables();
        DefineVariable("DIR", dir, "test");
        DefineVariable("ABORTONERROR", "FALSE", "test");
        DefineVariable("ABORTEDONERROR", "FALSE", "test");
        DefineVariable("ZOVR_IsCancelled", "FALSE", "test");
        ClearCommands();
        RegisterSystemQueryCommands(services);
        services.UseUserInterface(ui);
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    // Runs one line and answers the value of its output variable.
    std::string Query(const std::string& command, const std::vector<std::string>& params,
                      const std::string& output = "OUT")
    {
        ovdtest_engine::FillScript(script, {{command, params}});
        TCommandContext context(run, 0);
        (*FindCommand(context.Command()))(context);
        return GetVariable(output);
    }
    std::string Helper(const std::string& name)
    {
        return ovdtest::BuildDir() + "\\tests\\win\\commands\\helpers\\" + name;
    }
    std::string MakeFile(const std::string& relative, const std::string& text = "x")
    {
        const std::string path = dir + "\\" + relative;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(ovdtest::WriteFileBytes(path, text)) << path;
        return path;
    }
};

TEST_F(SystemQueriesWine, Environment)
{
    SetEnvironmentVariableA("OVD_SQ_ONE", "first value");
    EXPECT_EQ(Query("Get Environment", {"OVD_SQ_ONE", "$OUT$"}), "first value");
    DefineVariable("NAME", "OVD_SQ_ONE", "test");
    EXPECT_EQ(Query("Get Environment", {"$NAME$", "OUT"}), "first value");
    EXPECT_EQ(Query("Get Environment", {"OVD_SQ_MISSING", "OUT"}), "%OVD_SQ_MISSING%");
    SetEnvironmentVariableA("OVD_SQ_TWO", "2");
    const std::string block = Query("Get Environment", {"", "OUT"});
    EXPECT_NE(block.find("OVD_SQ_ONE=first value$NEWLINE$"), std::string::npos) << block;
    EXPECT_NE(block.find("OVD_SQ_TWO=2"), std::string::npos);
    EXPECT_EQ(block.find('\n'), std::string::npos);
}

TEST_F(SystemQueriesWine, FilesFoldersAndVersions)
{
    const std::string file = MakeFile("exists.txt");
    CreateDirectoryA((dir + "\\a folder").c_str(), nullptr);
    struct Case {
        std::string path, fileFlag, answer;
    } exists[] = {
        {"$DIR$\\exists.txt", "TRUE", "TRUE"},   {"$DIR$\\\\exists.txt", "TRUE", "TRUE"},
        {"$DIR$\\exists.txt", "FALSE", "FALSE"}, {"$DIR$\\a folder", "FALSE", "TRUE"},
        {"$DIR$\\a folder\\", "FALSE", "TRUE"},  {"$DIR$\\a folder", "TRUE", "FALSE"},
        {"$DIR$\\missing.txt", "TRUE", "FALSE"}, {"", "FALSE", "FALSE"},
    };
    for (const Case& c : exists)
        EXPECT_EQ(Query("Does File/Folder Exist", {"OUT", c.path, c.fileFlag}), c.answer)
            << c.path << " " << c.fileFlag;

    const std::string v1234 = Helper("versioned-1.2.3.4.dll");
    const std::string v1100 = Helper("versioned-1.10.0.0.dll");
    EXPECT_EQ(Query("Get File Version", {v1234, "$OUT$"}), "1.2.3.4");
    EXPECT_EQ(Query("Get File Version", {v1100, "OUT"}), "1.10.0.0");
    EXPECT_EQ(Query("Get File Version", {file, "OUT"}), "0.0.0.0");
    EXPECT_EQ(Query("Get File Version", {dir + "\\missing.dll", "OUT"}), "0.0.0.0");

    struct Compare {
        std::string first, byFile, second, text, answer;
    } compares[] = {
        {v1100, "TRUE", v1234, "", "TRUE"},       {v1234, "TRUE", v1100, "", "FALSE"},
        {v1234, "TRUE", v1234, "", "FALSE"},      {v1234, "FALSE", "", "1.2.3.3", "TRUE"},
        {v1234, "FALSE", "", "1.2.3.4", "FALSE"}, {v1234, "FALSE", "", "1.2", "TRUE"},
        {file, "FALSE", "", "0", "FALSE"},        {v1234, "TRUE", file, "", "TRUE"},
    };
    for (const Compare& c : compares)
        EXPECT_EQ(Query("Check File Version", {"OUT", c.first, c.byFile, c.second, c.text}),
                  c.answer)
            << c.first << " " << c.second << c.text;
    EXPECT_THROW(Query("Check File Version", {"OUT", v1234, "FALSE", "", "1.x.3"}), ScriptError);
}

TEST_F(SystemQueriesWine, DiskSpace)
{
    const auto number = [](const std::string& text) { return std::stoull(text); };
    const unsigned long long free = number(Query("Check Disk Space", {"$OUT$", "$DIR$", "TRUE"}));
    const unsigned long long total = number(Query("Check Disk Space", {"OUT", "$DIR$", "FALSE"}));
    EXPECT_GT(free, 0u);
    EXPECT_GE(total, free);
    // A folder that does not exist yet is measured on its volume.
    EXPECT_EQ(number(Query("Check Disk Space", {"OUT", "$DIR$\\not\\yet", "FALSE"})), total);
    EXPECT_EQ(Query("Check Disk Space", {"OUT", "", "TRUE"}), "0");
}

TEST_F(SystemQueriesWine, IniSettings)
{
    MakeFile("settings.ini", "[Main]\r\nName=Ordovan Setup\r\nPadded =  spaced value  \r\n"
                             "Empty=\r\n\r\n[Other Section]\r\nName=other\r\n");
    struct Case {
        std::string section, key, answer;
    } cases[] = {
        {"Main", "Name", "Ordovan Setup"},
        {"main", "NAME", "Ordovan Setup"},
        {"Main", "Padded", "spaced value"},
        {"Main", "Empty", ""},
        {"Main", "Missing", ""},
        {"Other Section", "Name", "other"},
        {"No Section", "Name", ""},
        {"", "Name", ""},
        {"Main", "", ""},
    };
    for (const Case& c : cases) {
        SetVariable("OUT", "stale", "test");
        EXPECT_EQ(Query("Get INI File Settings", {"OUT", "$DIR$\\settings.ini", c.section, c.key}),
                  c.answer)
            << c.section << "/" << c.key;
    }
}

// Writes a value into the test key of one view.
void WriteValue(REGSAM view, const std::string& name, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

TEST_F(SystemQueriesWine, RegistryInBothViews)
{
    using namespace std::string_literals;
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kTestKey, view, 0);
    struct Value {
        std::string name;
        DWORD type;
        std::string data32, data64, text32, text64;
    } values[] = {
        {"Text", REG_SZ, "in 32\0"s, "in 64\0"s, "in 32", "in 64"},
        {"Expand", REG_EXPAND_SZ, "%WINDIR%\\32\0"s, "%WINDIR%\\64\0"s, "%WINDIR%\\32",
         "%WINDIR%\\64"},
        {"Number", REG_DWORD, "\xfe\xff\xff\xff"s, "\x40\0\0\0"s, "-2", "64"},
        {"Bytes", REG_BINARY, "\x01\xab"s, "\xff"s, "01AB", "FF"},
        {"Lines", REG_MULTI_SZ, "a\0b\0\0"s, "c\0\0"s, "a$NEWLINE$b", "c"},
        {"Wide", REG_QWORD, "12345678"s, "87654321"s, "UNKNOWN$TYPE", "UNKNOWN$TYPE"},
        {"", REG_SZ, "default 32\0"s, "default 64\0"s, "default 32", "default 64"},
    };
    for (const Value& v : values) {
        WriteValue(KEY_WOW64_32KEY, v.name, v.type, v.data32);
        WriteValue(KEY_WOW64_64KEY, v.name, v.type, v.data64);
    }
    WriteValue(KEY_WOW64_64KEY, "Only64", REG_SZ, "sixty-four"s);

    for (const std::string view : {"Win32", "Win64"}) {
        run.RegistryView = view;
        const bool is64 = view == "Win64";
        for (const Value& v : values) {
            const std::string expected = is64 ? v.text64 : v.text32;
            EXPECT_EQ(Query("Check Registry", {"OUT", "2", kTestKey, v.name}), expected)
                << view << " " << v.name;
            EXPECT_EQ(Query("Read Registry", {"OUT", "2", kTestKey, v.name}),
                      expected == "UNKNOWN$TYPE" ? "" : expected);
        }
        struct Missing {
            std::string root, key, name, marker;
        } missing[] = {
            {"2", kTestKey, "Only64", is64 ? "sixty-four" : "NO$VALUE"},
            {"2", kTestKey, "Nothing", "NO$VALUE"},
            {"2", std::string(kTestKey) + "\\Missing", "Text", "NO$KEY"},
            {"9", kTestKey, "Text", "NO$KEY"},
            {"1", "Software\\Veldmark\\No Such Key", "", "NO$KEY"},
        };
        for (const Missing& m : missing) {
            EXPECT_EQ(Query("Check Registry", {"OUT", m.root, m.key, m.name}), m.marker)
                << view << " " << m.key << " " << m.name;
            EXPECT_EQ(Query("Read Registry", {"OUT", m.root, m.key, m.name}),
                      m.marker == "sixty-four" ? m.marker : "");
        }
    }
    EXPECT_THROW(Query("Read Registry", {"OUT", "two", kTestKey, "Text"}), ScriptError);
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kTestKey, view, 0);
}

TEST_F(SystemQueriesWine, WindowsAndSystemSettings)
{
    static const std::set<std::string> names = {"NT4",  "2000",  "XP",     "2003", "VISTA",
                                                "2008", "SEVEN", "2008R2", "95",   "98",
                                                "98SE", "ME",    "UNKNOWN"};
    EXPECT_EQ(names.count(Query("Get OS or SP Level", {"OUT", "TRUE"})), 1u) << GetVariable("OUT");
    const std::string sp = Query("Get OS or SP Level", {"OUT", "FALSE"});
    EXPECT_TRUE(sp.size() == 1 || sp == "10") << sp;

    // Every selector answers; the yes/no ones with a truth word.
    static const std::set<int> texts = {33, 34, 35, 36, 59, 60, 61, 62, 63, 64, 75};
    for (int selector = 0; selector <= 82; ++selector) {
        const std::string answer = Query("Get System Settings", {"OUT", std::to_string(selector)});
        if (texts.count(selector) == 0) {
            EXPECT_TRUE(answer == "TRUE" || answer == "FALSE") << selector << ": " << answer;
        }
    }
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof computer;
    GetComputerNameA(computer, &size);
    struct Case {
        std::string selector, answer;
    } cases[] = {
        {"17", "FALSE"},
        {"18", "TRUE"},
        {"1", "TRUE"}, // a Wine machine has 30 MB and more
        {"8", "TRUE"},
        {"13", "TRUE"},
        {"61", computer},
        // The 64-bit prefix: a 32-bit setup on 64-bit Windows, whichever build runs.
        {"65", "TRUE"},
        {"75", "AMD64"},
        {"$SEL$", "TRUE"},
    };
    DefineVariable("SEL", "18", "test");
    for (const Case& c : cases)
        EXPECT_EQ(Query("Get System Settings", {"OUT", c.selector}), c.answer) << c.selector;
    // At most one kind of machine.
    const std::string vm = Query("Get System Settings", {"OUT", "70"}) +
                           Query("Get System Settings", {"OUT", "71"}) +
                           Query("Get System Settings", {"OUT", "74"});
    EXPECT_TRUE(vm == "FALSEFALSETRUE" || vm == "TRUEFALSEFALSE" || vm == "FALSETRUEFALSE") << vm;
    EXPECT_FALSE(Query("Get System Settings", {"OUT", "60"}).empty());
    EXPECT_THROW(Query("Get System Settings", {"OUT", "x"}), ScriptError);
}

TEST_F(SystemQueriesWine, FolderLocations)
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (int code = 0; code <= 29; ++code)
        for (const char* all : {"TRUE", "FALSE"}) {
            const std::string folder =
                Query("Get Folder Location", {"OUT", std::to_string(code), all});
            EXPECT_TRUE(folder.empty() || folder.back() == '\\') << code << ": " << folder;
            EXPECT_TRUE(folder.empty() || folder.find("\\\\") == std::string::npos) << folder;
        }
    EXPECT_EQ(Query("Get Folder Location", {"OUT", "25", "FALSE"}), std::string(windows) + "\\");
    EXPECT_EQ(Query("Get Folder Location", {"OUT", "29", "FALSE"}), "");
    EXPECT_FALSE(Query("Get Folder Location", {"OUT", "15", "TRUE"}).empty());
    EXPECT_NE(Query("Get Folder Location", {"OUT", "15", "TRUE"}),
              Query("Get Folder Location", {"OUT", "15", "FALSE"}));
    // "Win32" mode sees what a 32-bit program sees on 64-bit Windows.
    struct Case {
        std::string view, code, all, ending;
    } cases[] = {
        {"Win32", "23", "FALSE", "\\syswow64\\"},
        {"Win64", "23", "FALSE", "\\system32\\"},
        {"Win32", "20", "FALSE", "\\program files (x86)\\"},
        {"Win64", "20", "FALSE", "\\program files\\"},
        {"Win32", "20", "TRUE", "\\program files (x86)\\common files\\"},
        {"Win64", "20", "TRUE", "\\program files\\common files\\"},
        {"Win32", "26", "FALSE", "\\microsoft\\internet explorer\\quick launch\\"},
    };
    for (const Case& c : cases) {
        run.RegistryView = c.view;
        const std::string folder = lower(Query("Get Folder Location", {"OUT", c.code, c.all}));
        EXPECT_GT(folder.size(), c.ending.size());
        EXPECT_EQ(folder.substr(folder.size() - std::min(folder.size(), c.ending.size())), c.ending)
            << c.view << " " << c.code << " " << folder;
    }
}

TEST_F(SystemQueriesWine, FindAllFilesAndDeleteRecursive)
{
    const std::string root = dir + "\\tree";
    CreateDirectoryA(root.c_str(), nullptr);
    DefineVariable("ROOT", root, "test");
    Query("Delete Files Recursive", {"$ROOT$\\*"});
    CreateDirectoryA((root + "\\sub dir").c_str(), nullptr);
    CreateDirectoryA((root + "\\sub dir\\deep").c_str(), nullptr);
    MakeFile("tree\\sub dir\\deep\\d.txt");
    MakeFile("tree\\sub dir\\it's.txt");
    MakeFile("tree\\plain.txt");
    MakeFile("tree\\other.log");

    const std::string r = root + "\\";
    EXPECT_EQ(Query("Find All Files", {"$ROOT$\\*.txt", "FALSE", "FALSE", "$FOUND$"}, "FOUND"),
              r + "plain.txt");
    EXPECT_EQ(Query("Find All Files", {"$ROOT$\\*.txt", "FALSE", "TRUE", "FOUND"}, "FOUND"),
              "\"" + r + "sub dir\"|" + r + "plain.txt");
    EXPECT_EQ(Query("Find All Files", {"$ROOT$\\*.txt", "TRUE", "TRUE", "FOUND"}, "FOUND"),
              "\"" + r + "sub dir\\deep\\d.txt\"|\"" + r + "sub dir\\deep\"|\"" + r +
                  "sub dir\\it's.txt\"|\"" + r + "sub dir\"|" + r + "plain.txt");
    EXPECT_EQ(Query("Find All Files", {"$ROOT$\\*.none", "TRUE", "FALSE", "FOUND"}, "FOUND"), "");
    EXPECT_EQ(GetVariable("ABORTEDONERROR"), "FALSE");

    // Cancelled: the run goes on (ABORTONERROR is false) and the partial answer is not kept.
    SetVariable("FOUND", "before", "test");
    SetVariable("ZOVR_IsCancelled", "TRUE", "test");
    Query("Find All Files", {"$ROOT$\\*", "TRUE", "TRUE", "FOUND"}, "FOUND");
    EXPECT_EQ(GetVariable("FOUND"), "before");
    EXPECT_EQ(GetVariable("ABORTEDONERROR"), "TRUE");
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Text, "Setup cancelled");
    SetVariable("ZOVR_IsCancelled", "FALSE", "test");

    // A relative pattern deletes nothing; read-only files in a nested tree all go.
    SetFileAttributesA((root + "\\sub dir\\deep\\d.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\plain.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Query("Delete Files Recursive", {"*"});
    Query("Delete Files Recursive", {"$EMPTY$"});
    EXPECT_TRUE(ovdtest::FileExists(root + "\\plain.txt"));
    Query("Delete Files Recursive", {"$ROOT$\\*"});
    EXPECT_EQ(Query("Find All Files", {"$ROOT$\\*", "TRUE", "TRUE", "FOUND"}, "FOUND"), "");
    EXPECT_EQ(GetFileAttributesA(root.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)); // the folder itself stays
}

// "Delete Files Recursive" never empties a protected folder. The profile is a sandbox
// folder named by USERPROFILE, so that the refusals of it and of the folder holding it are
// seen by canary files staying. The machine's own C:\ and Windows folder are given with a
// mask that matches nothing: a failing guard there shows as a missing refusal, not as a
// wiped prefix. (Wine gives no way to put a drive letter over a sandbox folder.)
TEST_F(SystemQueriesWine, DeleteRecursiveRefusesProtectedFolders)
{
    const std::string sandbox = dir + "\\protected";
    for (const char* sub : {"", "\\profile", "\\profile\\sub", "\\ordinary", "\\ordinary\\sub"})
        CreateDirectoryA((sandbox + sub).c_str(), nullptr);
    for (const char* sub : {"profile", "ordinary"}) {
        MakeFile(std::string("protected\\") + sub + "\\canary.txt");
        MakeFile(std::string("protected\\") + sub + "\\sub\\canary.txt");
    }
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    SetEnvironmentVariableA("USERPROFILE", (sandbox + "\\profile").c_str());
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    DefineVariable("SANDBOX", sandbox, "test");
    DefineVariable("WINDOWS", windows, "test");
    std::vector<std::string> trace;
    services.Trace = [&trace](std::string_view line) { trace.emplace_back(line); };

    struct Case {
        std::string pattern, canary; // canary: a file inside, "" when none is planted
        bool refused;
    } cases[] = {
        {"Q:\\*", "", true},
        {"C:\\*.ovd-none", "", true},
        {"C:\\", "", true},
        {"\\\\srv\\share\\*", "", true},
        {"$WINDOWS$\\*.ovd-none", "", true},
        {"$SANDBOX$\\profile\\*", sandbox + "\\profile\\sub\\canary.txt", true},
        {"$SANDBOX$\\*", sandbox + "\\profile\\canary.txt", true}, // holds the profile
        {"$SANDBOX$\\ordinary\\*", sandbox + "\\ordinary\\sub\\canary.txt", false},
    };
    for (const Case& c : cases) {
        trace.clear();
        Query("Delete Files Recursive", {c.pattern});
        const bool traced = !trace.empty() && trace[0].find("<RefusedDelete>") != std::string::npos;
        EXPECT_EQ(traced, c.refused) << c.pattern;
        if (!c.canary.empty()) {
            EXPECT_EQ(ovdtest::FileExists(c.canary), c.refused) << c.pattern;
        }
    }
    EXPECT_TRUE(ovdtest::FileExists(sandbox + "\\profile\\sub\\canary.txt"));
    EXPECT_FALSE(ovdtest::FileExists(sandbox + "\\ordinary\\canary.txt"));
    EXPECT_EQ(GetFileAttributesA((sandbox + "\\ordinary").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)); // the folder itself stays

    SetEnvironmentVariableA("USERPROFILE", profile);
}

// The user cancels while the worker lists: the worker holds after its first file until the
// wait has seen the cancel and asked it to stop, so the listing cannot end first.
TEST_F(SystemQueriesWine, CancelDuringALongListing)
{
    const std::string root = dir + "\\long";
    CreateDirectoryA(root.c_str(), nullptr);
    for (int folder = 0; folder < 4; ++folder) {
        const std::string sub = root + "\\f" + std::to_string(folder);
        CreateDirectoryA(sub.c_str(), nullptr);
        for (int file = 0; file < 5; ++file)
            ovdtest::WriteFileBytes(sub + "\\" + std::to_string(file) + ".txt", "");
    }
    SetVariable("ABORTONERROR", "FALSE", "test");
    TFindAllFilesThread worker(SplitFilePattern(root + "\\*.txt"), true, false);
    bool held = false;
    worker.AfterFileFound = [&worker, &held] {
        if (held)
            return;
        held = true;
        Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
        ImageListPool().Wake();
        for (int i = 0; i < 10000 && !worker.Terminated(); ++i)
            Sleep(1);
    };
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::tfafTimer;
    wait.CancelNote = "Cancel at Find-Files Time";
    EXPECT_TRUE(WaitForWorker(run, worker, wait));
    EXPECT_TRUE(worker.Terminated());
    EXPECT_LT(worker.Found().size(), 20u);
    EXPECT_EQ(GetVariable("ABORTEDONERROR"), "TRUE");
    SetVariable("ZOVR_IsCancelled", "FALSE", "test");
    DefineVariable("ROOT", root, "test");
    Query("Delete Files Recursive", {"$ROOT$\\*"});
}

TEST_F(SystemQueriesWine, ServiceStates)
{
    static const std::set<std::string> states = {"STOPPED", "STARTING",         "STOPPING",
                                                 "RUNNING", "CONTINUE_PENDING", "PAUSE_PENDING",
                                                 "PAUSED"};
    // Services every Wine prefix registers.
    for (const char* service : {"MSIServer", "RpcSs"})
        EXPECT_EQ(states.count(Query("Check Service", {service, "", "OUT"})), 1u)
            << service << ": " << GetVariable("OUT");
    EXPECT_EQ(Query("Check Service", {"OvdNoSuchService", "", "OUT"}), "NOTINSTALLED");
    EXPECT_EQ(Query("Check Service", {"", "", "OUT"}), "NOTINSTALLED");
}

} // namespace
} // namespace ovd
