// Run preparation and the predefined variables on the real system (under Wine): the
// values come from the registry, the shell folders, the token and the file system.
#include "PredefinedVariables.h"
#include "RecordingRunnerUI.h"
#include "RunPlatform.h"
#include "VariableManager.h"
#include "mscriptexec.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

const char* const kProductCode = "{5E1F0A42-1111-4222-8333-944455556666}";
const char* const kRevisionCode = "{7A2B3C4D-1111-4222-8333-944455556666}";
const char* const kNtVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char* const kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string Slash(std::string s)
{
    if (!s.empty() && s.back() != '\\')
        s += '\\';
    return s;
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string SelfPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

void SetRegString(HKEY root, const char* key, const char* name, const std::string& value)
{
    HKEY k = nullptr;
    // The 32-bit view: the one the engine reads in "Win32" mode, whichever its own bitness.
    ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                              &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

// A package beside a real support folder in the test's output folder.
class EngineOnWine : public ::testing::Test {
protected:
    TCompiledScript script;
    TRecordingRunnerUI ui;
    TEngineServices services;
    TScriptRun run{services};
    std::vector<std::string> trace;
    std::string support;

    void SetUp() override
    {
        ResetProcess();
        Variables().ClearVariables();
        const std::string out = Slash(ovdtest::TestOutDir());
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        support = out + "ovd1\\";
        CreateDirectoryA(support.c_str(), nullptr);
        ASSERT_TRUE(ovdtest::WriteFileBytes(support + "setup.msi", "not really a database"));
        ProcessFacts& f = Process();
        f.ExeDir = out;
        f.ExeBaseName = "setup";
        f.TempDir = Slash(temp);
        f.SupportDir = support;
        f.DataFolder = out + "data\\";

        script.Clear();
        script.ParameterLists = {&script.ParameterRecords};
        const char* lines[][3] = {{"Comment", "", ""},
                                  {"Set Variable", "TARGETDIR", "C:\\Script\\"},
                                  {"Label", "end", ""}};
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string id = "{00000000-0000-0000-0000-00000000000" + std::to_string(i) + "}";
            script.CommandNames.Add(lines[i][0]);
            script.CommandIds.Add(id);
            script.LineFlags.Add("");
            script.LineWebMediaFlags.Add("");
            script.SourcePositions.Add("main*" + std::to_string(i));
            if (*lines[i][1]) {
                script.ParameterRecords.Add(id);
                script.ParameterRecords.Add(lines[i][1]);
                if (*lines[i][2])
                    script.ParameterRecords.Add(lines[i][2]);
            }
        }
        script.ProductCode = kProductCode;
        script.RevisionCode = kRevisionCode;
        script.ProductTitle = "Wine Demo";
        script.ProductVersion = "2.0.1";
        script.Publisher = "Test Maker";
        script.BuildMode = 1;
        script.CommandHeaders.Add("00C0FFEE");
        script.CommandHeaders.Add("1");

        run.Script = &script;
        services.Platform = &Win32RunPlatform();
        services.UseUserInterface(ui);
        run.DatabasePath = support + "setup.msi";
        services.Trace = [this](std::string_view tag) { trace.emplace_back(tag); };
    }
    void TearDown() override
    {
        Variables().ClearVariables();
        ResetProcess();
    }
};

TEST_F(EngineOnWine, PredefinedVariablesFromTheSystem)
{
    SetRegString(HKEY_LOCAL_MACHINE, kNtVersionKey, "RegisteredOwner", "Ada Owner");
    SetRegString(HKEY_LOCAL_MACHINE, kNtVersionKey, "RegisteredOrganization", "Owner & Co");
    Process().SfxPath = "c:\\media\\disk1\\setup.exe";
    Process().GpoPath = "\\\\server\\share\\policies\\setup.msi";
    Process().LogFile = "c:\\logs\\setup.log";
    Process().CommandLineTail = "/l=c:\\logs\\setup.log";
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);

    const bool admin = IsUserAnAdmin() != FALSE;
    EXPECT_EQ(GetVariable("ALLUSERS"), BooleanText(admin));
    const std::string programs =
        admin ? Slash(ShellFolder(CSIDL_PROGRAM_FILESX86)) : Slash(ShellFolder(CSIDL_PROFILE));
    EXPECT_EQ(GetVariable("TARGETDIR"), programs + "Wine Demo\\");
    const std::string cache =
        Slash(ShellFolder(admin ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA)) + kRevisionCode +
        "\\";
    EXPECT_EQ(GetVariable("ENGINECACHE"), cache);
    EXPECT_EQ(GetVariable("UNINSTALLLINK"), cache + SelfPath().substr(SelfPath().rfind('\\') + 1));
    EXPECT_EQ(GetVariable("MAINTENANCE"), "FALSE");
    EXPECT_EQ(GetVariable("NEEDSUPGRADE"), "FALSE");
    EXPECT_EQ(GetVariable("NEWINSTANCE"), "FALSE");

    EXPECT_EQ(GetVariable("USERNAME"), "Ada Owner");
    EXPECT_EQ(GetVariable("USERCOMPANY"), "Owner & Co");
    EXPECT_EQ(GetVariable("EXEFILE"), SelfPath());
    EXPECT_EQ(GetVariable("TEMPDIR"), Process().TempDir);
    EXPECT_EQ(GetVariable("SUPPORTDIR"), support);
    EXPECT_EQ(GetVariable("MSIFILE"), support + "setup.msi");
    EXPECT_EQ(GetVariable("SFXPATH"), "c:\\media\\disk1\\");
    EXPECT_EQ(GetVariable("SFXFILE"), "setup.exe");
    EXPECT_EQ(GetVariable("GPOPATH"), "\\\\server\\share\\policies\\");
    EXPECT_EQ(GetVariable("LOGGED"), "c:\\logs\\setup.log");
    EXPECT_EQ(GetVariable("LANGUAGE"), "");

    // The user's own formats: the year shows in the date, the time has its separators.
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_NE(GetVariable("DATE").find(std::to_string(now.wYear % 100)), std::string::npos)
        << GetVariable("DATE");
    char sep[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, sizeof sep);
    EXPECT_NE(GetVariable("TIME").find(sep), std::string::npos) << GetVariable("TIME");

    const auto tick = std::stoull(GetVariable("ZOVR_LastDelegateTick"));
    EXPECT_LE(tick, static_cast<unsigned long long>(GetTickCount()));
}

TEST_F(EngineOnWine, SilentCommandLineTargetWinsOverTheScript)
{
    Process().SilentMode = true;
    Process().CommandLineProperties = {"TARGETDIR", "D:\\Chosen\\"};
    ASSERT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Chosen\\");
    EXPECT_EQ(GetVariable("SILENT"), "TRUE");
    SetVariable("TARGETDIR", "C:\\Script\\", "Set Variable Action");
    DefineVariable("targetdir", "C:\\Script2\\", "Initialization");
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Chosen\\");

    Process().SilentMode = false;
    SetVariable("TARGETDIR", "C:\\Script\\", "Set Variable Action");
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Script\\");
}

TEST_F(EngineOnWine, SingleInstanceMarkerAndResumeEntry)
{
    script.CompilerVariables.Add("SINGLEINSTANCE");
    script.CompilerVariables.Add("TRUE");
    SetRegString(HKEY_CURRENT_USER, kRunOnce, "5E1F0A42", "setup.exe /resume");
    const std::string marker = Process().TempDir + kRevisionCode + ".ovd";
    DeleteFileA(marker.c_str());

    bool markerSeen = false;
    run.OnLine = [&](long) {
        markerSeen = ovdtest::FileExists(marker);
        // A second run of the same setup meanwhile refuses to start.
        TEngineServices quiet;
        quiet.Platform = services.Platform;
        TScriptRun second(quiet);
        second.Script = run.Script;
        second.DatabasePath = run.DatabasePath;
        EXPECT_EQ(PrepareRun(second), PrepareOutcome::AlreadyRunning);
        return false;
    };
    ScriptRunner(run);
    EXPECT_TRUE(markerSeen);
    EXPECT_FALSE(ovdtest::FileExists(marker));
    EXPECT_FALSE(ovdtest::ReadRegistryString(HKEY_CURRENT_USER, kRunOnce, "5E1F0A42"));
    const std::vector<std::string> expected = {
        "    <Variables>", "    </Variables>", "    <CompileScript>", "    </CompileScript>",
        "    <BootStrap>", "    </BootStrap>", "    <zovr>"};
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(run.HandOverProperties, (std::vector<std::string>{"A00C0FFEE", "FALSE"}));
}

// The marker as the machine keeps it: a stale file is taken over, a claimed marker cannot
// be deleted by anyone else and goes with its release, one held open by another run is
// left alone, and a folder that does not exist gives no marker (the run goes on).
TEST_F(EngineOnWine, SingleInstanceMarkerClaims)
{
    IRunPlatform& platform = Win32RunPlatform();
    const std::string marker = Process().TempDir + kRevisionCode + ".ovd";
    DeleteFileA(marker.c_str());

    ASSERT_TRUE(ovdtest::WriteFileBytes(marker, "")); // left by a run that died
    EXPECT_EQ(platform.ClaimInstanceMarker(marker), MarkerClaim::Claimed);
    EXPECT_TRUE(ovdtest::FileExists(marker));
    EXPECT_FALSE(DeleteFileA(marker.c_str())) << "a claimed marker could be deleted";
    EXPECT_EQ(platform.ClaimInstanceMarker(marker), MarkerClaim::HeldByAnotherRun);
    platform.ReleaseInstanceMarker(marker);
    EXPECT_FALSE(ovdtest::FileExists(marker));

    // Held open (without delete sharing) by a run of another engine.
    HANDLE other = CreateFileA(marker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform.ClaimInstanceMarker(marker), MarkerClaim::HeldByAnotherRun);
    CloseHandle(other);
    EXPECT_TRUE(ovdtest::FileExists(marker));
    DeleteFileA(marker.c_str());

    EXPECT_EQ(platform.ClaimInstanceMarker(Process().TempDir + "no-such-folder\\x.ovd"),
              MarkerClaim::Unavailable);
}

// A thread impersonating a token without the Administrators group is no administrator:
// ALLUSERS "FALSE" and a target folder under the user's profile.
TEST_F(EngineOnWine, NonAdministratorToken)
{
    HANDLE process = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins));
    SID_AND_ATTRIBUTES disable{admins, 0};
    HANDLE restricted = nullptr;
    const BOOL made =
        CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted);
    HANDLE impersonation = nullptr;
    const BOOL duplicated =
        made && DuplicateTokenEx(restricted, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                                 TokenImpersonation, &impersonation);
    FreeSid(admins);
    CloseHandle(process);
    if (restricted)
        CloseHandle(restricted);
    if (!duplicated || !SetThreadToken(nullptr, impersonation)) {
        if (impersonation)
            CloseHandle(impersonation);
        GTEST_SKIP() << "this Wine cannot impersonate a restricted token";
    }
    const bool adminSeen = Win32RunPlatform().IsAdministrator();
    const std::string folder = Win32RunPlatform().DefaultInstallFolder();
    const PrepareOutcome outcome = PrepareRun(run);
    RevertToSelf();
    CloseHandle(impersonation);
    if (adminSeen)
        GTEST_SKIP() << "this Wine keeps the Administrators group in a restricted token";
    std::string documents = ShellFolder(CSIDL_PERSONAL);
    documents = documents.substr(0, documents.find_last_of('\\') + 1);
    EXPECT_EQ(folder, documents);
    ASSERT_EQ(outcome, PrepareOutcome::Ready);
    EXPECT_EQ(GetVariable("ALLUSERS"), "FALSE");
    EXPECT_EQ(GetVariable("TARGETDIR"), documents + "Wine Demo\\");
    EXPECT_EQ(GetVariable("ENGINECACHE"),
              Slash(ShellFolder(CSIDL_LOCAL_APPDATA)) + kRevisionCode + "\\");
}

// The entry the start-up sequence calls: the process-wide script, the program's services.
TEST_F(EngineOnWine, StartupEntryRunsOnTheProcessScript)
{
    Script().Clear();
    Script().ProductCode = kProductCode;
    Script().RevisionCode = kRevisionCode;
    Script().ProductTitle = "Global Demo";
    Script().CommandNames.Add("Comment");
    Script().CommandIds.Add("{00000000-0000-0000-0000-000000000009}");
    std::vector<std::string> seen;
    services.Trace = [&](std::string_view tag) { seen.emplace_back(tag); };
    bool looped = false;
    ScriptRunner(services, run.DatabasePath, [&](long) {
        looped = true;
        return false;
    });
    ResetScript();
    EXPECT_TRUE(looped);
    EXPECT_EQ(seen.size(), 7u);
    EXPECT_EQ(GetVariable("TITLE"), "Global Demo");
    EXPECT_EQ(GetVariable("MSIFILE"), run.DatabasePath);
}

TEST_F(EngineOnWine, MissingDatabaseFallsBackToPatch)
{
    DeleteFileA(run.DatabasePath.c_str());
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::NoDatabase);
    ASSERT_TRUE(ovdtest::WriteFileBytes(support + "setup.msp", "patch"));
    EXPECT_EQ(PrepareRun(run), PrepareOutcome::Ready);
    DeleteFileA((support + "setup.msp").c_str());
}

// Run as a child process: a script that fails validation ends the process with 314,
// and the support folder goes with it.
TEST_F(EngineOnWine, ChildValidationFailure)
{
    char flag[8] = {};
    if (GetEnvironmentVariableA("OVD_ENGINE_CHILD", flag, sizeof flag) == 0)
        GTEST_SKIP() << "runs only as the child of ValidationFailureExitsWith314";
    script.CommandNames.Add("End");
    script.CommandIds.Add("{FFFFFFFF-0000-0000-0000-000000000000}");
    script.LineFlags.Add("");
    ScriptRunner(run);
    ADD_FAILURE() << "the runner returned after a failed validation";
}

TEST_F(EngineOnWine, ValidationFailureExitsWith314)
{
    SetEnvironmentVariableA("OVD_ENGINE_CHILD", "1");
    const auto result = ovdtest::RunProgram(
        "\"" + SelfPath() + "\" --gtest_filter=EngineOnWine.ChildValidationFailure", 60000);
    SetEnvironmentVariableA("OVD_ENGINE_CHILD", nullptr);
    EXPECT_EQ(result.exitCode, 314u) << result.output;
    EXPECT_EQ(GetFileAttributesA(support.c_str()), INVALID_FILE_ATTRIBUTES)
        << "support folder left behind";
}

} // namespace
} // namespace ovd
