// The handlers of the system query commands on the Windows machine.
#include "SystemQueries.h"

#include "CommandTable.h"
#include "FileUtil.h"
#include "IntegerText.h"
#include "PathText.h"
#include "Registry.h"
#include "RegistryView.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "TFindAllFilesThread.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WinHandles.h"
#include "Wow64Redirection.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace ovd {

REGSAM RunViewAccess(const TScriptRun& run)
{
    return ViewAccess(ViewNamed(run.RegistryView));
}

std::string ReadRegistryText(HKEY root, const std::string& path, const std::string& name,
                             REGSAM view)
{
    const UniqueRegKey key = OpenRegKey(root, path, KEY_READ | view);
    if (!key)
        return std::string(kNoKey);
    const HKEY raw = key.get();
    // The value may grow between the size query and the read: ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        LONG status = RegQueryValueExA(raw, name.c_str(), nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return std::string(kNoValue);
        if (status != ERROR_SUCCESS)
            return std::string(kReadError);
        std::vector<char> data(size + 2, '\0');
        DWORD got = size;
        status = RegQueryValueExA(raw, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status == ERROR_FILE_NOT_FOUND)
            return std::string(kNoValue);
        if (status != ERROR_SUCCESS)
            return std::string(kReadError);
        return RegistryValueText(type, std::string_view(data.data(), got));
    }
    return std::string(kReadError);
}

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& path,
                                              const std::string& name, REGSAM view)
{
    const UniqueRegKey key = OpenRegKey(root, path, KEY_READ | view);
    if (!key)
        return std::nullopt;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, nullptr) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string text = ReadRegistryText(root, path, name, view);
    if (IsRegistryMarker(text))
        return std::nullopt;
    return text;
}

std::optional<FileVersion> QueryFileVersion(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return SplitFileVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

namespace {

// The parameter as an integer, its references expanded first.
std::int32_t IntegerArgument(const TCommandContext& c, long n)
{
    return IntegerParameter(c.Expanded(n));
}

void Answer(const TCommandContext& c, const std::string& name, const std::string& value)
{
    c.CreateFirst(name);
    c.Assign(name, value);
}

std::string EnvironmentBlockText()
{
    const LPCH block = GetEnvironmentStringsA();
    if (block == nullptr)
        return {};
    std::string text;
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        if (!text.empty())
            text += kNewlineMarker;
        text += entry;
    }
    FreeEnvironmentStringsA(block);
    return text;
}

void GetEnvironmentCommand(TCommandContext& c)
{
    const std::string name = c.Expanded(1);
    std::string value;
    if (name.empty()) {
        value = EnvironmentBlockText();
    } else {
        const std::string reference = "%" + name + "%";
        const DWORD needed = ExpandEnvironmentStringsA(reference.c_str(), nullptr, 0);
        std::vector<char> buffer(needed + 1, '\0');
        if (needed != 0 && ExpandEnvironmentStringsA(reference.c_str(), buffer.data(),
                                                     static_cast<DWORD>(buffer.size())) != 0)
            value = buffer.data();
    }
    Answer(c, c.OutputName(2), value);
}

void GetFileVersionCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const auto version = QueryFileVersion(NormalizePathText(c.Param(1)));
    Answer(c, c.OutputName(2), FileVersionText(version.value_or(FileVersion{})));
}

void CheckFileVersionCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const FileVersion first =
        QueryFileVersion(NormalizePathText(c.Param(2))).value_or(FileVersion{});
    const FileVersion second =
        IsTrue(c.Param(3)) ? QueryFileVersion(NormalizePathText(c.Param(4))).value_or(FileVersion{})
                           : VersionFromText(c.Expanded(5));
    Answer(c, c.OutputName(1), BooleanText(FileVersionGreater(first, second)));
}

void FileFolderExistsCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const std::string path = NormalizePathText(c.Param(2));
    const bool exists = IsTrue(c.Param(3)) ? FileExists(path) : DirectoryExists(path);
    Answer(c, c.OutputName(1), BooleanText(exists));
}

// The volume of a path that need not exist yet: the nearest existing folder above it.
std::optional<ULARGE_INTEGER> VolumeSpace(std::string path, bool free)
{
    while (!path.empty()) {
        ULARGE_INTEGER available{}, total{};
        if (GetDiskFreeSpaceExA(WithBackslash(path).c_str(), &available, &total, nullptr))
            return free ? available : total;
        const std::string parent = WithoutBackslash(ExtractFilePath(WithoutBackslash(path)));
        if (parent.size() >= WithoutBackslash(path).size())
            break;
        path = parent;
    }
    return std::nullopt;
}

void CheckDiskSpaceCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const auto bytes = VolumeSpace(NormalizePathText(c.Param(2)), IsTrue(c.Param(3)));
    Answer(c, c.OutputName(1), bytes ? std::to_string(bytes->QuadPart) : std::string("0"));
}

constexpr DWORD kIniBufferBytes = 26000;

void GetIniSettingsCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const std::string path = NormalizePathText(c.Param(2));
    const std::string section = c.Expanded(3);
    const std::string key = c.Expanded(4);
    std::string value;
    if (!section.empty() && !key.empty()) {
        std::vector<char> buffer(kIniBufferBytes, '\0');
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                 kIniBufferBytes, path.c_str());
        value.assign(buffer.data(), std::min<DWORD>(n, kIniBufferBytes));
    }
    Answer(c, c.OutputName(1), value);
}

void RegistryCommand(TCommandContext& c, bool keepMarkers)
{
    const HKEY root = RegistryRoot(IntegerArgument(c, 2));
    const TWow64RedirectionOff redirection;
    std::string value = ReadRegistryText(root, NormalizePathText(c.Param(3)), c.Expanded(4),
                                         RunViewAccess(c.Run()));
    if (!keepMarkers && IsRegistryMarker(value))
        value.clear();
    Answer(c, c.OutputName(1), value);
}

void GetOsLevelCommand(TCommandContext& c)
{
    const auto facts = MachineFacts(RunViewAccess(c.Run()));
    const TOsVersion version = facts->Version();
    Answer(c, c.OutputName(1),
           IsTrue(c.Param(2)) ? OsNameCode(version)
                              : std::to_string(ServicePackNumber(version.ServicePackText)));
}

void GetSystemSettingsCommand(TCommandContext& c)
{
    const std::int32_t selector = IntegerArgument(c, 2);
    const TWow64RedirectionOff redirection;
    const auto facts = MachineFacts(RunViewAccess(c.Run()));
    Answer(c, c.OutputName(1), SystemSettingAnswer(selector, *facts));
}

void GetFolderLocationCommand(TCommandContext& c)
{
    const std::int32_t code = IntegerArgument(c, 2);
    const TWow64RedirectionOff redirection;
    Answer(c, c.OutputName(1), FolderLocation(code, IsTrue(c.Param(3)), c.Run()));
}

void FindAllFilesCommand(TCommandContext& c)
{
    const std::string name = c.OutputName(4);
    c.CreateFirst(name);
    TFindAllFilesThread worker(SplitFilePattern(NormalizePathText(c.Expanded(1))),
                               IsTrue(c.Param(2)), IsTrue(c.Param(3)));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::tfafTimer;
    wait.CancelNote = "Cancel at Find-Files Time";
    if (WaitForWorker(c.Run(), worker, wait))
        return; // cancelled: the answer is incomplete and not written
    if (!worker.Failure().empty())
        throw ScriptError("Find All Files failed: " + worker.Failure());
    c.Assign(name, JoinFoundPaths(worker.Found()));
}

// Listing as "Find All Files" does, on this thread.
std::vector<std::string> ListForDeletion(const TFilePattern& pattern)
{
    TFindAllFilesSeams seams;
    seams.List = [](const std::string& folderPattern, std::vector<TFolderEntry>& out) {
        ListFolderEntries(folderPattern, out);
    };
    seams.FolderEntered = [] {};
    seams.FileFound = [](const std::string&) {};
    seams.Stopped = [] { return false; };
    return FindAllFiles(pattern, true, true, seams);
}

// Passes of "Delete Files Recursive" at most: entries that come back endlessly (another
// program re-creating them) must not hold the setup forever.
constexpr int kMaxDeletePasses = 64;

void DeleteFilesRecursiveCommand(TCommandContext& c)
{
    const TWow64RedirectionOff redirection;
    const TFilePattern pattern = SplitFilePattern(NormalizePathText(c.Expanded(1)));
    // The one guard of every removal: a relative pattern (an empty variable), a drive or
    // share root, the Windows, program-files or a profile folder is never emptied; the
    // command then does nothing, as for any other failing system call.
    if (IsProtectedFolder(pattern.Folder)) {
        c.Run().TraceTag("    <RefusedDelete>" + pattern.Folder + "</RefusedDelete>");
        return;
    }
    std::vector<std::string> entries = ListForDeletion(pattern);
    for (int pass = 0; pass < kMaxDeletePasses && !entries.empty(); ++pass) {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(it->c_str());
        }
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            RemoveDirectoryA(it->c_str());
        std::vector<std::string> again = ListForDeletion(pattern);
        const bool changed = again.size() != entries.size();
        entries = std::move(again);
        if (!changed)
            break;
    }
}

std::string ServiceState(const std::string& service, const std::string& machine)
{
    static constexpr std::string_view kStates[] = {"STOPPED", "STARTING",         "STOPPING",
                                                   "RUNNING", "CONTINUE_PENDING", "PAUSE_PENDING",
                                                   "PAUSED"};
    const UniqueService manager(
        OpenSCManagerA(machine.empty() ? nullptr : machine.c_str(), nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return "NOTINSTALLED";
    const UniqueService handle(OpenServiceA(manager.get(), service.c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    if (!handle || !QueryServiceStatus(handle.get(), &status) || status.dwCurrentState < 1 ||
        status.dwCurrentState > 7)
        return "NOTINSTALLED";
    return std::string(kStates[status.dwCurrentState - 1]);
}

void CheckServiceCommand(TCommandContext& c)
{
    Answer(c, c.OutputName(3), ServiceState(c.Expanded(1), c.Expanded(2)));
}

} // namespace

void RegisterSystemQueryCommands(TEngineServices&)
{
    RegisterCommand("Get Environment", GetEnvironmentCommand);
    RegisterCommand("Get File Version", GetFileVersionCommand);
    RegisterCommand("Check File Version", CheckFileVersionCommand);
    RegisterCommand("Does File/Folder Exist", FileFolderExistsCommand);
    RegisterCommand("Check Disk Space", CheckDiskSpaceCommand);
    RegisterCommand("Get INI File Settings", GetIniSettingsCommand);
    RegisterCommand("Read Registry", [](TCommandContext& c) { RegistryCommand(c, false); });
    RegisterCommand("Check Registry", [](TCommandContext& c) { RegistryCommand(c, true); });
    RegisterCommand("Get OS or SP Level", GetOsLevelCommand);
    RegisterCommand("Get System Settings", GetSystemSettingsCommand);
    RegisterCommand("Get Folder Location", GetFolderLocationCommand);
    RegisterCommand("Find All Files", FindAllFilesCommand);
    RegisterCommand("Delete Files Recursive", DeleteFilesRecursiveCommand);
    RegisterCommand("Check Service", CheckServiceCommand);
}

} // namespace ovd
