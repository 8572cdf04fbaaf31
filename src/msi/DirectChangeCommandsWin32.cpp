#include "DirectChangeCommands.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include "CommandTable.h"
#include "CurrentDirectory.h"
#include "FileUtil.h"
#include "GuardedCall.h"
#include "MsiApi.h"
#include "PathParts.h"
#include "RecordingCommands.h"
#include "Registry.h"
#include "RegistryView.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "TRunApp.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WideText.h"
#include "Wow64Redirection.h"
#include "uGlobals.h"

#include <string>
#include <utility>
#include <vector>

namespace ovd {
namespace {

// "Delete Registry": 1 root index, 2 key path, 3 value name, 4 whole key. Silent.
void DeleteRegistry(TCommandContext& c)
{
    // A code other than the five roots' keeps the default root, the current user's.
    const std::string code = c.Expanded(1);
    const HKEY named = code.size() == 1 ? RegistryRoot(code[0] - '0') : nullptr;
    const HKEY root = named != nullptr ? named : HKEY_CURRENT_USER;
    const std::string key = NormalizedField(c.Param(2));
    const REGSAM view = ViewAccess(ViewNamed(c.Run().RegistryView));
    const REGSAM access =
        KEY_READ | KEY_WRITE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | view;
    if (IsTrue(c.Expanded(4))) {
        // The key goes with its subkeys, in the run's view: opened through its parent, so
        // that the view flag applies to every level below.
        const std::size_t cut = LastPathSeparator(key, PathSeparators::Backslash);
        const std::string last = PathFilePart(key, PathSeparators::Backslash);
        if (last.empty())
            return;
        if (const UniqueRegKey parent = OpenRegKey(
                root, cut == std::string::npos ? std::string() : key.substr(0, cut), access))
            RegDeleteTreeA(parent.get(), last.c_str());
        return;
    }
    if (const UniqueRegKey opened = OpenRegKey(root, key, access))
        RegDeleteValueA(opened.get(), NormalizedField(c.Param(3)).c_str());
}

// "Is MSI Setup Installed": 1 product code, 2 result variable.
void IsMsiSetupInstalled(TCommandContext& c)
{
    const std::string variable = c.OutputName(2);
    c.CreateFirst(variable);
    const INSTALLSTATE state = MsiApi::MsiQueryProductStateA(NormalizedField(c.Param(1)).c_str());
    c.Assign(variable, state == INSTALLSTATE_DEFAULT ? "TRUE" : "FALSE");
}

bool RegisterTypeLibrary(const std::string& file, bool doRegister)
{
    if (!FileExists(file))
        return false;
    std::wstring path = WideText(file);
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library)) || library == nullptr)
        return false;
    bool result = false;
    if (doRegister) {
        BSTR helpFile = nullptr;
        library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile);
        std::wstring helpDir = helpFile != nullptr ? std::wstring(helpFile) : std::wstring();
        SysFreeString(helpFile);
        const std::size_t slash = helpDir.find_last_of(L"\\/");
        helpDir = slash == std::wstring::npos ? std::wstring() : helpDir.substr(0, slash);
        result = SUCCEEDED(
            RegisterTypeLib(library, path.data(), helpDir.empty() ? nullptr : helpDir.data()));
    } else {
        using UnregisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
        const HMODULE oleaut = GetModuleHandleA("OLEAUT32.DLL");
        const auto unregister = oleaut == nullptr
                                    ? nullptr
                                    : reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(
                                          GetProcAddress(oleaut, "UnRegisterTypeLib")));
        TLIBATTR* attributes = nullptr;
        if (unregister != nullptr && SUCCEEDED(library->GetLibAttr(&attributes))) {
            result = SUCCEEDED(unregister(attributes->guid, attributes->wMajorVerNum,
                                          attributes->wMinorVerNum, attributes->lcid,
                                          attributes->syskind));
            library->ReleaseTLibAttr(attributes);
        }
    }
    library->Release();
    return result;
}

// Started with the switch and not waited for: the result is whether it started.
bool RegisterServerProgram(const std::string& file, bool doRegister)
{
    std::string commandLine = "\"" + file + "\"" + (doRegister ? " /regserver" : " /unregserver");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool RegisterServerLibrary(const std::string& file, bool doRegister)
{
    const UniqueModule library = LoadModule(file);
    if (!library)
        return false;
    using EntryFn = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(
        GetProcAddress(library.get(), doRegister ? "DllRegisterServer" : "DllUnregisterServer")));
    return entry != nullptr && entry() == S_OK;
}

// "Register Library": 1 file, 2 register (true) or unregister, 3 result variable.
void RegisterLibrary(TCommandContext& c)
{
    const bool sixtyFour = c.Run().RegistryView == "Win64";
    std::string file = NormalizedField(c.Param(1));
    // A library is never loaded with redirection off (the loader would take the other
    // system's libraries); the file below the system folder is named by its native path.
    if (sixtyFour)
        file = NativeSystemPath(file);
    const bool doRegister = IsTrue(c.Expanded(2));
    const std::string extension = UpperCaseAscii(PathExtension(file));
    bool result = false;
    {
        const TCurrentDirectory directory(PathFolderPart(file));
        // Its own thread, its own OLE: a library whose entry point crashes takes that
        // thread with it and the result is false.
        const TGuardedResult guarded = RunGuarded([&] {
            const bool ole = SUCCEEDED(OleInitialize(nullptr));
            bool value = false;
            if (extension == ".TLB")
                value = RegisterTypeLibrary(file, doRegister);
            else if (extension == ".EXE")
                value = RegisterServerProgram(file, doRegister);
            else
                value = RegisterServerLibrary(file, doRegister);
            if (ole)
                OleUninitialize();
            return value;
        });
        result = guarded.Value;
        if (guarded.Crashed) {
            char code[16];
            wsprintfA(code, "%08lX", guarded.ExceptionCode);
            c.Run().TraceTag("    Register Library: exception " + std::string(code) + " in " +
                             file);
        }
    }
    const std::string variable = c.OutputName(3);
    if (!variable.empty()) {
        c.CreateFirst(variable);
        c.Assign(variable, result ? "TRUE" : "FALSE");
    }
}

// A resource of the running program written to `path`.
bool WriteResource(const char* name, const std::string& path)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10)); // RT_RCDATA
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return false;
    std::string error;
    return WriteFileBytes(
        path, std::string(static_cast<const char*>(bytes), SizeofResource(module, found)), error);
}

// The first field of every row of `query` as text.
std::vector<std::string> ColumnValues(MSIHANDLE database, const std::string& query)
{
    std::vector<std::string> values;
    MSIHANDLE opened = 0;
    if (MsiApi::MsiDatabaseOpenViewA(database, query.c_str(), &opened) != ERROR_SUCCESS)
        return values;
    const UniqueMsiHandle view(opened);
    if (MsiApi::MsiViewExecute(view.get(), 0) != ERROR_SUCCESS)
        return values;
    for (;;) {
        MSIHANDLE fetched = 0;
        if (MsiApi::MsiViewFetch(view.get(), &fetched) != ERROR_SUCCESS)
            break;
        const UniqueMsiHandle record(fetched);
        char buffer[1024] = {};
        DWORD size = sizeof buffer;
        if (MsiApi::MsiRecordGetStringA(record.get(), 1, buffer, &size) == ERROR_SUCCESS)
            values.emplace_back(buffer, size);
    }
    MsiApi::MsiViewClose(view.get());
    return values;
}

// "name,Version=version" of every assembly of the setup's database.
std::vector<std::string> DatabaseAssemblies(const std::string& package)
{
    std::vector<std::string> assemblies;
    MSIHANDLE opened = 0;
    if (package.empty() ||
        MsiApi::MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &opened) != ERROR_SUCCESS)
        return assemblies;
    const UniqueMsiHandle database(opened);
    for (const std::string& component :
         ColumnValues(database.get(), "SELECT * FROM  `MsiAssembly`")) {
        // A "'" would end the literal early and make another statement of the query.
        if (component.find('\'') != std::string::npos)
            continue;
        const std::string where =
            "SELECT `Value` FROM  `MsiAssemblyName` WHERE `Component_`='" + component + "'";
        const std::vector<std::string> names =
            ColumnValues(database.get(), where + " AND `Name`='Name'");
        const std::vector<std::string> versions =
            ColumnValues(database.get(), where + " AND `Name`='Version'");
        if (!names.empty())
            assemblies.push_back(names[0] + ",Version=" + (versions.empty() ? "" : versions[0]));
    }
    return assemblies;
}

// Runs a tool hidden in its own folder and waits: its exit code, -1 when it did not start.
long RunAndWait(const TScriptRun& run, const std::string& tool, const std::string& arguments)
{
    TRunApp::TRequest request;
    request.Program = tool;
    request.Arguments = arguments;
    request.Folder = PathFolderPart(tool);
    request.Hidden = true;
    request.Wait = true;
    TRunApp worker(std::move(request));
    bool& finished = worker.FinishedFlag();
    finished = false;
    worker.Start(run.RegistryView == "Win64");
    while (!finished) {
        PumpOrWait(&worker);
        if (!finished && WaitForSingleObject(worker.Handle(), 0) == WAIT_OBJECT_0)
            finished = true;
    }
    return worker.ExitCode();
}

// "Remove Assemblies": every assembly of the database out of the global assembly cache,
// by the engine's helper, else by the framework's tool.
void RemoveAssemblies(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    const std::string helper = Process().SupportDir + "mgac.exe";
    if (Process().SupportDir.empty() || !WriteResource(kAssemblyHelperResource, helper))
        return;
    WriteResource(kAssemblyHelperConfigResource, helper + ".config");
    char windows[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string fallback = n == 0 || n >= MAX_PATH
                                     ? std::string()
                                     : WithBackslash(std::string(windows, n)) +
                                           "Microsoft.NET\\Framework\\v1.1.4322\\gacutil.exe";
    for (const std::string& assembly : DatabaseAssemblies(run.DatabasePath)) {
        const std::string arguments = "/u " + assembly;
        if (RunAndWait(run, helper, arguments) != 0 && !fallback.empty() && FileExists(fallback))
            RunAndWait(run, fallback, arguments);
    }
}

} // namespace

void RegisterDirectChangeCommands()
{
    RegisterCommand("Delete Registry", DeleteRegistry);
    RegisterCommand("Is MSI Setup Installed", IsMsiSetupInstalled);
    RegisterCommand("Register Library", RegisterLibrary);
    RegisterCommand("Remove Assemblies", RemoveAssemblies);
}

} // namespace ovd
