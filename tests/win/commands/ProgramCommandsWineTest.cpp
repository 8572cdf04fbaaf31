// The program-running and restart commands under Wine, with small helper programs: exit
// codes with and without waiting, cancel during a wait, paths with blanks, the working
// folder, process and window tests, and the resume entry (the restart itself stands in).
#include "ProgramCommands.h"

#include "CommandTable.h"
#include "CompiledScript.h"
#include "FileUtil.h"
#include "RecordingRunnerUI.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "TImageListPool.h"
#include "VariableManager.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>
#include <windows.h>
// (after <windows.h>)
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

using ovdtest_engine::Line;

constexpr const char* kProductCode = "{3B8E1F02-6C4A-4D7B-9E15-7A2C0D4F6B21}";
constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Ends every running process of the helper `name` (children a test left running).
void EndHelpers(const std::string& name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name.c_str()) != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

class ProgramCommandsWine : public ::testing::Test {
protected:
    TCompiledScript script;
    TRecordingRunnerUI ui;
    TEngineServices services;
    TScriptRun run{services};
    std::string dir; // "...\program dir\": the helpers, in a folder with a blank
    std::vector<std::string> restarts;
    bool restartAccepted = false;

    void SetUp() override
    {
        ImageListPool();
        dir = ovdtest::TestOutDir() + "\\program dir\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        const std::string helpers = ovdtest::BuildDir() + "\\tests\\win\\commands\\helpers\\";
        for (const char* name : {"exitwith.exe", "recorder.exe", "window.exe"})
            ASSERT_TRUE(CopyFileA((helpers + name).c_str(), (dir + name).c_str(), FALSE)) << name;
        Variables().ClearVariables();
        DefineVariable("DIR", dir, "test");
        for (const char* name : {"ABORTEDONERROR", "ZOVR_IsCancelled", "SILENT", "ABORTONERROR"})
            DefineVariable(name, "FALSE", "test");
        DefineVariable("PROGRESS", "0", "test");
        Process().ExitCode = 0;
        services.UseUserInterface(ui);
        ClearCommands();
        RegisterProgramCommands(services, [this] {
            restarts.push_back("restart");
            return restartAccepted;
        });
        script.ProductCode = kProductCode;
        run.Script = &script;
    }
    void TearDown() override
    {
        ClearCommands();
        EndHelpers("exitwith.exe");
        EndHelpers("window.exe");
    }

    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        script.ProductCode = kProductCode;
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }
};

TEST_F(ProgramCommandsWine, RunProgramExitCodes)
{
    struct Case {
        const char* name;
        const char* program;
        const char* hidden;
        const char* arguments;
        const char* wait;
        const char* code;
    } cases[] = {
        {"waited for", "$DIR$exitwith.exe", "FALSE", "42", "TRUE", "42"},
        {"negative code", "$DIR$exitwith.exe", "TRUE", "-5", "TRUE", "-5"},
        {"quoted path, doubled backslashes", "\"$DIR$\\\\exitwith.exe\"", "TRUE", "9", "TRUE", "9"},
        {"not waited for: still running", "$DIR$exitwith.exe", "FALSE", "1 3000", "FALSE", "259"},
        {"missing program", "$DIR$no such.exe", "FALSE", "", "TRUE", "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Execute({{"Run Program", {c.program, c.hidden, c.arguments, c.wait, "$RESULT$"}}});
        EXPECT_EQ(GetVariable("RESULT"), c.code);
    }
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(ProgramCommandsWine, RunProgramGetsItsArgumentsAndFolder)
{
    const std::string out = dir + "recorded.txt";
    DeleteFileA(out.c_str());
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    Execute({{"Run Program",
              {"$DIR$recorder.exe", "FALSE", "\"$DIR$recorded.txt\" a \"b c\"", "TRUE", "RC"}}});
    EXPECT_EQ(GetVariable("RC"), "0");
    const std::string recorded = ovdtest::ReadFileBytes(out).value_or("?");
    // The program sees its whole path, its arguments and its own folder as working folder.
    EXPECT_NE(recorded.find("program dir\\recorder.exe"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find(" a \"b c\"\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("\n" + dir.substr(0, dir.size() - 1) + "\n"), std::string::npos)
        << recorded;
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

DWORD& CancelTick()
{
    static DWORD tick = 0;
    return tick;
}

// The user cancels once, a second into the wait (a timer procedure: stdcall on i686).
void CALLBACK CancelOnce(HWND, UINT, UINT_PTR, DWORD)
{
    if (CancelTick() == 0) {
        Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
        CancelTick() = GetTickCount();
    }
}

TEST_F(ProgramCommandsWine, CancelEndsTheWaitAndLeavesTheProgramRunning)
{
    struct Case {
        const char* name;
        const char* abortOnError;
        bool endsRun;
    } cases[] = {
        {"the script goes on", "FALSE", false},
        {"ABORTONERROR ends the run", "TRUE", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetVariable("ABORTONERROR", c.abortOnError, "test");
        SetVariable("ZOVR_IsCancelled", "FALSE", "test");
        SetVariable("ABORTEDONERROR", "FALSE", "test");
        run.EndRequested = false;
        ui.Messages.clear();
        // The user cancels a second into the wait.
        CancelTick() = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 1000, CancelOnce);
        Execute({{"Run Program", {"$DIR$exitwith.exe", "TRUE", "0 60000", "TRUE", "RC"}}});
        const DWORD ended = GetTickCount();
        KillTimer(nullptr, timer);
        ASSERT_NE(CancelTick(), 0u);
        EXPECT_LE(ended - CancelTick(), 6000u);
        EXPECT_EQ(GetVariable("RC"), "-314");
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Text, "Setup cancelled");
        EXPECT_EQ(run.EndRequested, c.endsRun);
        if (!c.endsRun) {
            EXPECT_EQ(GetVariable("ABORTEDONERROR"), "TRUE");
        }
        // The program itself was left running.
        Execute({{"Check Process", {"exitwith.exe", "RUNNING"}}});
        EXPECT_EQ(GetVariable("RUNNING"), "TRUE");
        EndHelpers("exitwith.exe");
    }
}

TEST_F(ProgramCommandsWine, CheckProcess)
{
    HANDLE child = ovdtest::StartProgram("\"" + dir + "exitwith.exe\" 0 20000");
    ASSERT_NE(child, nullptr);
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"exitwith.exe", "TRUE"},
        {"EXITWITH.EXE", "TRUE"},
        {"exitwith", "FALSE"},
        {"no-such-program.exe", "FALSE"},
    };
    for (const Case& c : cases) {
        Execute({{"Check Process", {c.name, "$FOUND$"}}});
        EXPECT_EQ(GetVariable("FOUND"), c.expected) << c.name;
    }
    TerminateProcess(child, 0);
    CloseHandle(child);
}

TEST_F(ProgramCommandsWine, TerminateProgramClosesMatchingWindows)
{
    struct Case {
        const char* name;
        const char* titlePart;
        const char* classPart;
        bool closed;
    } cases[] = {
        {"title part", "Terminate Tar", "", true},
        {"class part", "", "OvdTestWin", true},
        {"both", "Target", "OvdTestWindow", true},
        {"title in another case", "terminate target", "", false},
        {"class that does not match", "Target", "Edit", false},
        {"nothing given", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE child = ovdtest::StartProgram("\"" + dir + "window.exe\" \"Ovd Terminate Target\"");
        ASSERT_NE(child, nullptr);
        ASSERT_NE(ovdtest::WaitForProcessWindow(GetProcessId(child), "OvdTestWindow", 20000),
                  nullptr);
        Execute({{"Terminate Program", {c.titlePart, c.classPart}}});
        const bool ended = WaitForSingleObject(child, 5000) == WAIT_OBJECT_0;
        EXPECT_EQ(ended, c.closed);
        DWORD code = 0;
        if (ended && GetExitCodeProcess(child, &code)) {
            EXPECT_EQ(code, 7u); // closed through its window, not killed
        }
        TerminateProcess(child, 1);
        CloseHandle(child);
    }
}

TEST_F(ProgramCommandsWine, RebootAndResumeWritesTheResumeEntry)
{
    struct Case {
        const char* name;
        const char* allUsers;
        const char* sfxPath;
        const char* sfxFile;
        const char* cmdLine;
        bool accepted;
        std::string expected; // empty: the engine's own path
    } cases[] = {
        {"per user, engine path, arguments", "FALSE", "", "", "/s LANG=de", false, ""},
        {"all users, self-extracting file", "TRUE", "c:\\media\\", "big.exe", "", true,
         "c:\\media\\big.exe"},
        {"a blank in the path", "FALSE", "c:\\my media\\", "big.exe", "/s", true,
         "\"c:\\my media\\big.exe\" /s"},
    };
    const std::string self = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        return std::string(path);
    }();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restarts.clear();
        restartAccepted = c.accepted;
        run.EndRequested = false;
        SetVariable("ALLUSERS", c.allUsers, "test");
        SetVariable("SFXPATH", c.sfxPath, "test");
        SetVariable("SFXFILE", c.sfxFile, "test");
        SetVariable("CMDLINE", c.cmdLine, "test");
        Execute({{"Reboot and Resume", {}}});
        const HKEY root =
            std::string(c.allUsers) == "TRUE" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const auto value =
            ovdtest::ReadRegistryString(root, kRunOnce, "3B8E1F02", ovdtest::RegView::View32);
        const std::string expected = c.expected.empty()
                                         ? self + (*c.cmdLine ? std::string(" ") + c.cmdLine : "")
                                         : c.expected;
        EXPECT_EQ(value.value_or("(none)"), expected);
        EXPECT_EQ(restarts.size(), 1u);
        EXPECT_TRUE(run.EndRequested);
        EXPECT_EQ(Process().ExitCode,
                  c.accepted ? kRestartInitiatedExitCode : kRestartRequiredExitCode);
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, kRunOnce, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "3B8E1F02");
            RegCloseKey(key);
        }
    }
    restarts.clear();
    Execute({{"Reboot Computer", {}}});
    EXPECT_EQ(restarts.size(), 1u);
}

TEST_F(ProgramCommandsWine, ExtractSevenZipArchive)
{
    Process().ExeDir = ovdtest::BuildDir() + "\\bin\\"; // ovd.lib
    const std::string archives = ovdtest::TestOutDir() + "\\archives\\";
    const std::string target = dir + "out\\deep\\";
    struct Case {
        const char* name;
        const char* archive;
        const char* password;
        const char* withoutFolders;
        const char* overwrite;
        const char* existing; // a.txt before the extraction ("": none)
        const char* result;
        const char* a; // a.txt afterwards
        const char* b; // where b.txt lands
    } cases[] = {
        {"folders kept", "plain.7z", "", "FALSE", "FALSE", "", "SUCCESS", "first file\r\n",
         "sub\\b.txt"},
        {"without folder names", "plain.7z", "", "TRUE", "FALSE", "", "SUCCESS", "first file\r\n",
         "b.txt"},
        {"password", "secret.7z", "OpenSesame", "FALSE", "FALSE", "", "SUCCESS", "first file\r\n",
         "sub\\b.txt"},
        {"encrypted names with password", "hidden.7z", "OpenSesame", "FALSE", "FALSE", "",
         "SUCCESS", "first file\r\n", "sub\\b.txt"},
        {"existing file kept", "plain.7z", "", "FALSE", "FALSE", "mine", "SUCCESS", "mine",
         "sub\\b.txt"},
        {"existing file replaced", "plain.7z", "", "FALSE", "TRUE", "mine", "SUCCESS",
         "first file\r\n", "sub\\b.txt"},
        {"missing archive", "missing.7z", "", "FALSE", "FALSE", "",
         "The archive file was not found", "", ""},
        {"not an archive", "garbage.7z", "", "FALSE", "FALSE", "",
         "The archive cannot be opened: unsupported archive or incorrect password", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(dir + "out");
        if (*c.existing != 0) {
            ASSERT_TRUE(ForceDirectories(target));
            ASSERT_TRUE(ovdtest::WriteFileBytes(target + "a.txt", c.existing));
        }
        SetVariable("RESULT", "stale", "test");
        Execute({{"Extract 7Zip Archive",
                  {archives + c.archive, "$DIR$\\out\\deep", "$RESULT$", c.password,
                   c.withoutFolders, c.overwrite}}});
        EXPECT_EQ(GetVariable("RESULT"), c.result);
        if (*c.a != 0) {
            EXPECT_EQ(ovdtest::ReadFileBytes(target + "a.txt").value_or("?"), c.a);
            EXPECT_EQ(ovdtest::ReadFileBytes(target + c.b).value_or("?"), "second file\r\n");
        }
    }
    // The encrypted data with a wrong password: the library's own text, never SUCCESS.
    Execute({{"Extract 7Zip Archive", {archives + "secret.7z", "$DIR$out", "RESULT", "wrong"}}});
    EXPECT_NE(GetVariable("RESULT"), "SUCCESS");
    EXPECT_FALSE(GetVariable("RESULT").empty());
    // Each file was reported as "name, n% complete".
    EXPECT_NE(GetVariable("ZOVR_thProgressText").find("% complete"), std::string::npos);
    RemoveTree(dir + "out");
}

TEST_F(ProgramCommandsWine, RunLightModeSetupBuildsRunsAndCleansUp)
{
    Process().ExeDir = ovdtest::BuildDir() + "\\bin\\";
    const std::string package = dir + "light setup.pkg";
    ASSERT_TRUE(ovdtest::WriteFileBytes(package, "package bytes"));
    // The built program is this test program's image followed by the package: asked only
    // to list its tests, it ends at once with 0.
    Execute(
        {{"Run Light Mode Setup", {"$DIR$light setup.pkg", "RC", "--gtest_list_tests", "TRUE"}}});
    EXPECT_EQ(GetVariable("RC"), "0");
    EXPECT_EQ(ovdtest::ReadFileBytes(package).value_or("?"), "package bytes");
    for (const char* left : {".nox", ".to"})
        EXPECT_FALSE(FileExists(package + left)) << left;
    EXPECT_FALSE(FileExists(dir + "ovd.lib"));

    // A library that was there already (another setup's) stays as it was.
    ASSERT_TRUE(ovdtest::WriteFileBytes(dir + "ovd.lib", "another setup's library"));
    Execute(
        {{"Run Light Mode Setup", {"$DIR$light setup.pkg", "RC", "--gtest_list_tests", "TRUE"}}});
    EXPECT_EQ(GetVariable("RC"), "0");
    EXPECT_EQ(ovdtest::ReadFileBytes(dir + "ovd.lib").value_or("?"), "another setup's library");
    DeleteFileA((dir + "ovd.lib").c_str());

    Execute({{"Run Light Mode Setup", {"$DIR$no such.pkg", "RC", "", "TRUE"}}});
    EXPECT_EQ(GetVariable("RC"), "-1");
}

TEST_F(ProgramCommandsWine, RunProgramAs)
{
    const std::string out = dir + "recorded.txt";
    SetEnvironmentVariableA("OVD_TEST_VALUE", "inherited");
    struct Case {
        const char* name;
        const char* program;
        const char* folder;
        const char* arguments;
        const char* user;
        const char* wait;
        const char* environment;
        const char* code;
        const char* recorded; // lines the recorder wrote ("": it did not run)
    } cases[] = {
        {"exit code", "$DIR$exitwith.exe", "", "12", "", "TRUE", "", "12", ""},
        {"desktop user from an engine that is not elevated: a plain launch", "$DIR$exitwith.exe",
         "", "13", "$ZOVR_UAC$", "TRUE", "", "13", ""},
        {"not waited for", "$DIR$exitwith.exe", "", "0 3000", "", "FALSE", "", "259", ""},
        {"missing program", "$DIR$no such.exe", "", "", "", "TRUE", "", "-11", ""},
        {"engine's environment, working folder given", "$DIR$recorder.exe", "$DIR$",
         "\"$DIR$recorded.txt\" x", "", "TRUE", "", "0",
         "program dir\\recorder.exe\" \"@\\recorded.txt\" x\n@\ninherited\nPATH\n"},
        {"environment text", "$DIR$recorder.exe", "$DIR$", "\"$DIR$recorded.txt\"", "", "TRUE",
         "OVD_TEST_VALUE=from the script$NEWLINE$OTHER=1", "0", "\n@\nfrom the script\nno PATH\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(out.c_str());
        Execute({{"Run Program As",
                  {c.program, c.folder, c.arguments, "1", c.user, "", "", "$RESULT$", c.wait,
                   c.environment}}});
        EXPECT_EQ(GetVariable("RESULT"), c.code);
        if (*c.recorded == 0)
            continue;
        // "@" stands for the helpers' folder (without its trailing backslash).
        std::string expected = c.recorded;
        const std::string folder = dir.substr(0, dir.size() - 1);
        for (std::size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, folder);
        const std::string recorded = ovdtest::ReadFileBytes(out).value_or("?");
        EXPECT_NE(recorded.find(expected), std::string::npos) << recorded << "\n" << expected;
    }
    SetEnvironmentVariableA("OVD_TEST_VALUE", nullptr);
}

} // namespace
} // namespace ovd
