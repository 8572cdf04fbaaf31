// Program entry of the setup engine: builds the one services object that ties the modules
// together (machine, user interface, trace, command libraries), then runs the start-up
// sequence with it.
#include "ComApartment.h"
#include "CompiledScript.h"
#include "ComponentCommands.h"
#include "ComponentTable.h"
#include "DialogFeatures.h"
#include "DialogHost.h"
#include "DotNetCommands.h"
#include "EngineCacheWin32.h"
#include "EngineServices.h"
#include "ExecutionLoop.h"
#include "InstallerCommands.h"
#include "MessageBoxes.h"
#include "MessageCommands.h"
#include "OwnerWindow.h"
#include "PathParts.h"
#include "ProgramCommands.h"
#include "ProgressDisplay.h"
#include "RunPlatform.h"
#include "RunnerUI.h"
#include "ScriptText.h"
#include "SetupLanguage.h"
#include "Startup.h"
#include "StartupFailure.h"
#include "StartupPhases.h"
#include "StartupTrace.h"
#include "StringCommands.h"
#include "SystemQueries.h"
#include "TImageListPool.h"
#include "TScriptThread.h"
#include "WebMediaWin32.h"
#include "uGlobals.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

// The program ran from a removable medium that has been taken out.
bool ProgramMediumRemoved()
{
    const std::string& folder = ovd::Process().ExeDir;
    if (folder.size() < 3 || folder[1] != ':')
        return false;
    const std::string root = folder.substr(0, 3);
    if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED)
        return false;
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// The module that holds `address`, by its file name; empty when none does.
std::string ModuleAt(const void* address)
{
    HMODULE module = nullptr;
    if (address == nullptr || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                  static_cast<const char*>(address), &module))
        return {};
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return ovd::PathFilePart(path, ovd::PathSeparators::Backslash);
}

#ifdef _WIN64
// The libraries that raise an exception on another module's behalf: the system's raise
// call and the C runtimes' invalid-parameter handlers.
bool IsRaiser(const std::string& module)
{
    for (const char* raiser :
         {"kernelbase.dll", "kernel32.dll", "ntdll.dll", "msvcrt.dll", "ucrtbase.dll"})
        if (lstrcmpiA(module.c_str(), raiser) == 0)
            return true;
    return false;
}

// For an exception raised through one of those: the first other module up the stack, by
// the unwind data of the x86-64 modules; empty when the walk finds none.
std::string RaisingModule(const CONTEXT& at)
{
    CONTEXT context = at;
    for (int frame = 0; frame < 32; ++frame) {
        DWORD64 base = 0;
        if (const PRUNTIME_FUNCTION function =
                RtlLookupFunctionEntry(context.Rip, &base, nullptr)) {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, function, &context, &handlerData,
                             &establisher, nullptr);
        } else {
            // A leaf function: its return address is on top of the stack.
            DWORD64 ret = 0;
            SIZE_T read = 0;
            if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(context.Rsp),
                                   &ret, sizeof ret, &read) ||
                read != sizeof ret)
                return {};
            context.Rip = ret;
            context.Rsp += sizeof ret;
        }
        if (context.Rip == 0)
            return {};
        std::string module = ModuleAt(reinterpret_cast<const void*>(context.Rip));
        if (module.empty())
            return {};
        if (!IsRaiser(module))
            return module;
    }
    return {};
}
#endif

// A crash, in our code or in a library we called (the platform's installer crashes on some
// damaged databases), ends the setup at once with exit code 11 and one trace line naming
// the exception and the module, instead of a debugger or an error report that would wait
// for a click in a silent install. Nothing else is attempted: the process's state is not
// to be trusted any more.
LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    std::string module = ModuleAt(record.ExceptionAddress);
    if (module.empty()) {
        // A call through a null pointer: the caller's return address is on the stack.
#ifdef _WIN64
        const auto stack = static_cast<std::uintptr_t>(info->ContextRecord->Rsp);
#else
        const auto stack = static_cast<std::uintptr_t>(info->ContextRecord->Esp);
#endif
        void* caller = nullptr;
        SIZE_T read = 0;
        if (ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(stack), &caller,
                              sizeof caller, &read) &&
            read == sizeof caller)
            module = ModuleAt(caller);
    }
#ifdef _WIN64
    // Raised on behalf of a library (an invalid parameter in its runtime): name the library.
    if (IsRaiser(module))
        if (std::string caller = RaisingModule(*info->ContextRecord); !caller.empty())
            module = caller;
#endif
    char code[16];
    wsprintfA(code, "%08lX", record.ExceptionCode);
    ovd::TraceLine(std::string("    Unhandled exception ") + code + " in " +
                   (module.empty() ? std::string("unknown code") : module) + "; the setup ends.");
    TerminateProcess(GetCurrentProcess(), ovd::kExitUnexpectedError);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The main thread's apartment for the whole run: the folder browser of the dialogs and
    // the taskbar interface need one. Entered once the splash is up (COM is loaded on first
    // use); released when WinMain returns, after everything that may hold COM objects; a
    // process that ends early releases it with the process.
    std::optional<ovd::TComApartment> apartment;
    SetUnhandledExceptionFilter(EndOnUnhandledException);
    ovd::TEngineServices services;
    ovd::TDialogHost dialogs;
    ovd::TMessageBoxes boxes(dialogs);
    ovd::TScriptProgressDisplay progress;
    // The wizard's feature trees, check lists and size figures show the run's features (an
    // empty table outside a run).
    ovd::TComponentTable noRun;
    ovd::TComponentFeatures features([&services, &noRun]() -> ovd::TComponentTable& {
        return services.ActiveRun ? ovd::ComponentTable(*services.ActiveRun) : noRun;
    });
    dialogs.Features = &features;
    services.Platform = &ovd::Win32RunPlatform();
    services.Boxes = &boxes;
    services.Dialogs = &dialogs;
    services.Progress = &progress;
    services.Trace = [](std::string_view line) { ovd::TraceLine(line); };
    services.RunPlugin = ovd::RunPluginInWorker;
    services.RefreshProgress = [&dialogs](const std::string& text, long long position) {
        ovd::RefreshScriptProgress(dialogs, text, position);
    };
    ovd::TSetupLanguage language(ovd::Script());
    services.ChooseLanguage = [&language]() -> std::optional<std::string> {
        return language.Choose();
    };
    services.LoadLanguage = [&language](const std::string& name) { language.Load(name); };
    services.Translate = [&language](const std::string& key, int field, const std::string& text) {
        return language.Translate(key, field, text);
    };
    // Dialog texts through the same tables, a multi-line text as one "$NEWLINE$" line.
    dialogs.TranslateCaption = [&services](const std::string& key, const std::string& text) {
        const std::string line = ovd::NewlinesToText(text);
        const std::string translated = services.Translated(key, 1, line);
        return translated == line ? text : ovd::TextToNewlines(translated);
    };
    services.RemovedMedium = {ProgramMediumRemoved,
                              {},
                              ovd::RemoveCachedSupportDir,
                              [](int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }};

    ovd::RegisterRunnerCommands();
    ovd::RegisterStringCommands(services);
    // The engine cache follows the product: filled and registered after an install or
    // advertise, removed with its registration after an uninstall, finished after the run.
    services.OverrideCache = ovd::ApplyCacheOverride;
    // A plug-in library of the setup sources that is missing: the setup folder given with
    // "/p=" or, failing that, the installed product's; then the user is asked.
    services.InstalledSetupFolder = [](ovd::TScriptRun& run) {
        const std::string& given = ovd::Process().PackageFolder;
        return given.empty() ? ovd::InstalledSetupFolder(run) : given;
    };
    services.LocateSetupSources = [](ovd::TScriptRun& run) {
        return ovd::LocateSetupSources(run, run.Script->ProductCode,
                                       ovd::OwnerWindowOf(run.Services.Dialogs));
    };
    services.FinishRun = [](ovd::TScriptRun& run) { ovd::FinishRun(run); };
    const auto updateCache = [](ovd::TScriptRun& run, ovd::InstallerOperation operation) {
        using ovd::EngineCacheChange;
        ovd::UpdateEngineCache(
            run, operation == ovd::InstallerOperation::Uninstall   ? EngineCacheChange::Uninstall
                 : operation == ovd::InstallerOperation::Advertise ? EngineCacheChange::Advertise
                                                                   : EngineCacheChange::Install);
    };
    ovd::RegisterInstallerCommands(services, {&dialogs, updateCache});
    ovd::RegisterComponentCommands();
    ovd::RegisterSystemQueryCommands(services);
    ovd::RegisterProgramCommands(services);
    ovd::RegisterDotNetCommands(services);
    ovd::RegisterWebMediaCommands(services);
    ovd::RegisterMessageCommands(services);
    return ovd::RunStartup(services, [&apartment] {
        apartment.emplace();
        ovd::ImageListPool(); // the hidden main form, on the main thread
    });
}
