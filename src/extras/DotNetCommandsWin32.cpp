// Handlers of the .NET assembly commands on Win32: the tools are started through the
// shell (TRunApp) and waited for with the main thread's messages running; there is no
// cancel.
#include "DotNetCommands.h"

#include <windows.h>

#include "CommandTable.h"
#include "DotNetText.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "TRunApp.h"
#include "VariableManager.h"
#include "WaitForWorker.h"

#include <memory>

namespace ovd {
namespace {

std::string WindowsFolder()
{
    char buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::string() : WithBackslash(std::string(buffer, n));
}

// One run of a tool: started hidden in the assembly's folder, waited for; its exit code,
// -1 when the shell could not start it.
long RunTool(const TScriptRun& run, const std::string& tool, const std::string& arguments,
             const std::string& file)
{
    TRunApp::TRequest request;
    request.Program = tool;
    request.Arguments = arguments;
    request.Folder = PathFolderText(file, PathSeparators::BackslashOrDrive);
    request.Hidden = true;
    request.Wait = true;
    TRunApp worker(std::move(request));
    TWorkerWait wait;
    wait.Cancellable = false;
    wait.PollProgress = false;
    AwaitWorker(run, worker, wait);
    return worker.ExitCode();
}

// Runs the tool of each framework version, newest first, until one succeeds.
void RunWithFallBack(const TCommandContext& c, DotNetTool tool, const TDotNetFlags& flags,
                     const std::string& file)
{
    // No redirection guard here: the wait pumps messages. The tools lie below the Windows
    // folder, outside the redirected system folder, and run as processes of their own.
    const std::string windows = WindowsFolder();
    for (std::string_view version : kFrameworkVersions) {
        if (RunTool(c.Run(), ToolPath(windows, version, tool),
                    ToolArguments(tool, version, flags, file), file) == 0)
            return;
    }
}

// An empty flag takes its default.
bool Flag(const std::string& text, bool empty)
{
    return text.empty() ? empty : IsTrue(text);
}

void GenerateNativeImages(TCommandContext& c)
{
    const auto [path, install] = SplitAtBar(c.Param(1));
    TDotNetFlags flags;
    flags.Install = Flag(install, true);
    RunWithFallBack(c, DotNetTool::NativeImages, flags, ExpandVariables(path));
}

void RunInstallerClass(TCommandContext& c)
{
    TDotNetFlags flags;
    flags.Install = IsTrue(ExpandVariables(c.Param(2)));
    RunWithFallBack(c, DotNetTool::InstallerClass, flags, ExpandVariables(c.Param(1)));
}

void RegisterAssembly(TCommandContext& c)
{
    const auto [path, rest] = SplitAtBar(c.Param(1));
    const auto [registerFlag, codeBase] = SplitAtBar(rest);
    TDotNetFlags flags;
    flags.Install = Flag(registerFlag, true);
    flags.CodeBase = Flag(codeBase, false);
    std::string file = ExpandVariables(path);
    // Without a folder part the text is an assembly display name in the cache.
    if (PathFolderText(file, PathSeparators::BackslashOrDrive).empty()) {
        for (const std::string& candidate : AssemblyCacheCandidates(WindowsFolder(), file)) {
            if (FileExists(candidate)) {
                file = candidate;
                break;
            }
        }
    }
    RunWithFallBack(c, DotNetTool::RegisterAssembly, flags, file);
}

} // namespace

void RegisterDotNetCommands(TEngineServices&)
{
    RegisterCommand("Generate Native Images", GenerateNativeImages);
    RegisterCommand("Run .NET Installer Class", RunInstallerClass);
    RegisterCommand("Register Assembly", RegisterAssembly);
}

} // namespace ovd
