// Handlers of the program-running and restart commands on Win32.
#include "ProgramCommands.h"

#include <windows.h>
// (after <windows.h>)
#include <tlhelp32.h>

#include <optional>
#include <string>

#include "CommandTable.h"
#include "CompiledScript.h"
#include "CurrentDirectory.h"
#include "FileBytes.h"
#include "FileUtil.h"
#include "IntegerText.h"
#include "PathText.h"
#include "PeImage.h"
#include "ProgramText.h"
#include "Registry.h"
#include "RegistryView.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "SystemVersion.h"
#include "TDirectExtractMediaWin32.h"
#include "TRunApp.h"
#include "TRunAsWin32.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WinHandles.h"
#include "uGlobals.h"

namespace ovd {
namespace {

constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
constexpr int kTerminateRounds = 10;
// "Run Program As" with this user name starts the program as the desktop user.
constexpr const char* kDeelevateMarker = "$ZOVR_UAC$";

// A path parameter: expanded, doubled backslashes collapsed, one pair of quotes dropped.
std::string PathParam(const TCommandContext& c, long n)
{
    return UnquotedPath(NormalizePathText(c.Param(n)));
}

// Writes a launcher's exit code into the named result variable, when one is named.
void StoreExitCode(const TCommandContext& c, const std::string& name, long code)
{
    if (name.empty())
        return;
    c.CreateFirst(name);
    c.Assign(UpperCaseAscii(name), std::to_string(code));
}

// Starts `request` in a TRunApp and waits for it; -314 when the user cancelled.
long RunThroughShell(TCommandContext& c, TRunApp::TRequest request, std::string_view cancelNote)
{
    const TCurrentDirectory folder(request.Folder);
    TRunApp worker(std::move(request));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::traTimer;
    wait.CancelNote = cancelNote;
    wait.ReportScriptProgress = true;
    const bool cancelled = WaitForWorker(c.Run(), worker, wait);
    return cancelled ? kCancelledWait : worker.ExitCode();
}

void RunProgram(TCommandContext& c)
{
    const std::string result = c.OutputName(5);
    if (!result.empty())
        c.CreateFirst(result);
    TRunApp::TRequest request;
    request.Program = PathParam(c, 1);
    request.Hidden = IsTrue(c.Expanded(2));
    request.Arguments = c.Expanded(3);
    request.Wait = IsTrue(c.Expanded(4));
    request.Folder = ExtractFileDir(request.Program);
    StoreExitCode(c, result, RunThroughShell(c, std::move(request), "Cancel at Run-Program Time"));
}

void RunProgramAs(TCommandContext& c)
{
    const std::string result = c.OutputName(8);
    if (!result.empty())
        c.CreateFirst(result);
    TRunAs::TRequest request;
    request.CommandLine = QuotedCommandLine(PathParam(c, 1), c.Expanded(3));
    request.Show = ShowCodeFrom(TryStrToInt64(c.Expanded(4)).value_or(0));
    request.Deelevate = c.Param(5) == kDeelevateMarker;
    if (!request.Deelevate)
        request.User = c.Expanded(5);
    request.Password = c.Expanded(6);
    request.Domain = c.Expanded(7);
    request.Wait = IsTrue(c.Expanded(9));
    request.Environment = EnvironmentBlock(TextToNewlines(c.Expanded(10)));

    // The started program inherits the working folder.
    const TCurrentDirectory folder(PathParam(c, 2));
    TRunAs worker(std::move(request));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::traxTimer;
    wait.CancelNote = "Cancel at Run-As Time";
    wait.ReportScriptProgress = true;
    const bool cancelled = WaitForWorker(c.Run(), worker, wait);
    StoreExitCode(c, result, cancelled ? kCancelledWait : worker.ExitCode());
}

void ExtractSevenZipArchive(TCommandContext& c)
{
    const std::string result = c.OutputName(3);
    if (!result.empty())
        c.CreateFirst(result);
    TDirectExtractMedia::TRequest request;
    request.Archive = PathParam(c, 1);
    request.Destination = WithBackslash(PathParam(c, 2));
    request.Password = c.Expanded(4);
    request.WithoutFolderNames = IsTrue(c.Expanded(5));
    request.OverwriteExisting = IsTrue(c.Expanded(6));
    TDirectExtractMedia worker(std::move(request));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::tdemTimer;
    wait.CancelNote = "Cancel at Extract-7Zip Time";
    const bool cancelled = WaitForWorker(c.Run(), worker, wait);
    std::string text = worker.Result().Ok ? "SUCCESS" : worker.Result().Text;
    if (!worker.Failure().empty())
        text = worker.Failure();
    if (text.empty())
        text = cancelled ? "The operation was cancelled" : "The archive was not extracted";
    if (!result.empty())
        c.Assign(UpperCaseAscii(result), text);
}

// A light-mode setup: the engine's program image followed by `package`, under the
// package's name; the package itself waits as "<package>.nox". False when it cannot be
// built (nothing is left changed then).
bool BuildLightModeSetup(const std::string& package)
{
    const std::optional<std::string> engine = ReadFileBytes(ModuleFileName());
    const std::optional<std::string> content = ReadFileBytes(package);
    if (!engine || !content)
        return false;
    const std::optional<std::uint64_t> stub = PeStubSize(*engine);
    if (!stub || *stub > engine->size())
        return false;
    const std::string building = package + ".to";
    std::string error;
    if (!WriteFileBytes(building,
                        {std::string_view(*engine).substr(0, static_cast<std::size_t>(*stub)),
                         std::string_view(*content)},
                        error)) {
        DeleteFileA(building.c_str());
        return false;
    }
    if (!MoveFileA(package.c_str(), (package + ".nox").c_str())) {
        DeleteFileA(building.c_str());
        return false;
    }
    if (!MoveFileA(building.c_str(), package.c_str())) {
        MoveFileA((package + ".nox").c_str(), package.c_str());
        DeleteFileA(building.c_str());
        return false;
    }
    return true;
}

void RunLightModeSetup(TCommandContext& c)
{
    const std::string result = c.OutputName(2);
    if (!result.empty())
        c.CreateFirst(result);
    const std::string package = PathParam(c, 1);
    if (!BuildLightModeSetup(package)) {
        StoreExitCode(c, result, -1);
        return;
    }
    // The built program binds ovd.lib from its own folder. A library already there (the
    // engine's own folder, another setup's media) is left alone, and only a copy made here
    // goes again; a program not waited for still needs it, so its copy stays.
    const std::string folder = ExtractFilePath(package);
    const std::string library = folder + OVD_LIBRARY_NAME;
    const bool copyLibrary =
        !SameTextAscii(folder, Process().ExeDir) &&
        CopyFileA((Process().ExeDir + OVD_LIBRARY_NAME).c_str(), library.c_str(), TRUE);

    TRunApp::TRequest request;
    request.Program = package;
    request.Arguments = c.Expanded(3);
    request.Wait = IsTrue(c.Expanded(4));
    request.Folder = ExcludeTrailingBackslash(folder);
    const bool waited = request.Wait;
    const long code = RunThroughShell(c, std::move(request), "Cancel at Light-Mode Time");

    if (copyLibrary && waited)
        DeleteFileA(library.c_str());
    // A program still running keeps its file: the package then stays as "<package>.nox"
    // beside it rather than being lost.
    if (DeleteFileA(package.c_str()))
        MoveFileA((package + ".nox").c_str(), package.c_str());
    StoreExitCode(c, result, code);
}

void CheckProcess(TCommandContext& c)
{
    const std::string name = NormalizePathText(c.Param(1));
    const std::string result = c.OutputName(2);
    c.CreateFirst(result);
    bool found = false;
    UniqueResource<FileHandleTraits> snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot) {
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.get(), &entry); more && !found;
             more = Process32Next(snapshot.get(), &entry))
            found = ProcessNameMatches(entry.szExeFile, name);
    }
    c.Assign(UpperCaseAscii(result), BooleanText(found));
}

struct TWindowSearch {
    std::string TitlePart;
    std::string ClassPart;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) noexcept
{
    auto& search = *reinterpret_cast<TWindowSearch*>(data);
    char title[512] = {};
    char className[256] = {};
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, className, sizeof className);
    if (!WindowMatches(title, className, search.TitlePart, search.ClassPart))
        return TRUE;
    search.Found = window;
    return FALSE;
}

void TerminateProgram(TCommandContext& c)
{
    TWindowSearch search;
    search.TitlePart = c.Expanded(1);
    search.ClassPart = c.Expanded(2);
    if (search.TitlePart.empty() && search.ClassPart.empty())
        return;
    for (int round = 0; round < kTerminateRounds; ++round) {
        search.Found = nullptr;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found != nullptr) {
            PostMessageA(search.Found, WM_CANCELMODE, 0, 0);
            PostMessageA(search.Found, WM_CLOSE, 0, 0);
        }
    }
}

// Ends the run after a restart request; the exit code tells whether the restart is owed.
void EndWithRestart(TCommandContext& c, const RestartRequestFn& requestRestart)
{
    const bool accepted = requestRestart ? requestRestart() : RequestSystemRestart();
    Process().ExitCode = accepted ? kRestartInitiatedExitCode : kRestartRequiredExitCode;
    c.EndRun();
}

void WriteResumeEntry(TCommandContext& c)
{
    const std::string name = ResumeValueName(c.Run().Script->ProductCode);
    if (name.empty())
        throw ScriptError("The product code '" + c.Run().Script->ProductCode +
                          "' cannot name the resume entry");
    const std::string data = ResumeValueData(GetVariable("SFXPATH"), GetVariable("SFXFILE"),
                                             ModuleFileName(), GetVariable("CMDLINE"));
    const HKEY root = IsTrue(GetVariable("ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    LONG status = ERROR_SUCCESS;
    const UniqueRegKey key =
        CreateRegKey(root, kRunOnceKey, KEY_SET_VALUE | ViewAccess(RegistryView::Win32), &status);
    if (key)
        status = RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>(data.size() + 1));
    if (status != ERROR_SUCCESS)
        throw ScriptError("The resume entry " + name + " cannot be written: " +
                          SystemErrorText(static_cast<unsigned long>(status)));
}

} // namespace

bool RequestSystemRestart()
{
    if (GetSystemVersion().IsNtFamily()) {
        HANDLE raw = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
            const UniqueHandle token(raw);
            TOKEN_PRIVILEGES privileges{};
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege",
                                      &privileges.Privileges[0].Luid))
                AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
        }
    }
    return ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION |
                                         SHTDN_REASON_MINOR_INSTALLATION |
                                         SHTDN_REASON_FLAG_PLANNED) != FALSE;
}

void RegisterProgramCommands(TEngineServices&, RestartRequestFn requestRestart)
{
    RegisterCommand("Run Program", RunProgram);
    RegisterCommand("Run Program As", RunProgramAs);
    RegisterCommand("Run Light Mode Setup", RunLightModeSetup);
    RegisterCommand("Extract 7Zip Archive", ExtractSevenZipArchive);
    RegisterCommand("Check Process", CheckProcess);
    RegisterCommand("Terminate Program", TerminateProgram);
    RegisterCommand("Reboot Computer",
                    [requestRestart](TCommandContext& c) { EndWithRestart(c, requestRestart); });
    RegisterCommand("Reboot and Resume", [requestRestart](TCommandContext& c) {
        WriteResumeEntry(c);
        EndWithRestart(c, requestRestart);
    });
}

} // namespace ovd
