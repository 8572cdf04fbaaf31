#include "TScriptThread.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "FileUtil.h"
#include "OwnerWindow.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"

namespace ovd {
namespace {

// The plug-in's callback carries no context: the one plug-in worker that runs.
std::atomic<TScriptThread*> g_running{nullptr};

} // namespace

int __stdcall TScriptThread::Progress(int percentage, const char* text)
{
    TScriptThread* worker = g_running.load();
    if (worker == nullptr)
        return 0;
    const TEngineSection section(*worker);
    try {
        ReportWorkerProgress(text != nullptr ? std::string_view(text) : kIgnoreProgressText, 1, 100,
                             percentage);
    } catch (...) {
        // Nothing escapes into the plug-in.
    }
    return worker->Terminated() ? 0 : 1;
}

// One call; an exception escaping the plug-in counts as -1.
int TScriptThread::CallPlugin(RunTimeExecuteFn entry, char* buffer)
{
    try {
        return entry(parent_, call_.Variables.c_str(), call_.Parameters.c_str(), Progress, nullptr,
                     buffer);
    } catch (...) {
        return -1;
    }
}

void TScriptThread::Execute()
{
    UniqueModule library;
    RunTimeExecuteFn entry = nullptr;
    {
        const TEngineSection loading(*this); // the loader's lock
        library = LoadModule(call_.Library);
        if (!library) {
            loadFailure_ = SystemErrorText(GetLastError());
            return;
        }
        entry = reinterpret_cast<RunTimeExecuteFn>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "RunTimeExecute")));
        if (entry == nullptr) {
            loadFailure_ = "it has no \"RunTimeExecute\" export";
            return;
        }
    }
    g_running = this;
    int length = -1;
    std::vector<char> buffer;
    {
        // The plug-in's own work sees the 64-bit system in 64-bit mode; its library and the
        // libraries it imports were loaded above, with redirection on.
        const TWow64RedirectionOff redirection(SixtyFourBitMode());
        length = CallPlugin(entry, nullptr);
        if (length >= 0) {
            buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
            if (CallPlugin(entry, buffer.data()) == -1)
                length = -1;
        }
    }
    if (length >= 0)
        result_.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    g_running = nullptr;
    if (length == -1)
        result_ = call_.Variables;
    const TEngineSection unloading(*this);
    library.reset();
}

TPluginResult RunPluginInWorker(TScriptRun& run, const TPluginCall& call)
{
    TScriptThread worker(call, OwnerWindowOf(run.Services.Dialogs));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::plugTimer;
    wait.CancelNote = "Cancel at Plug-In Time";
    TPluginResult result;
    result.Cancelled = AwaitWorker(run, worker, wait);
    g_running = nullptr; // a worker ended by its watchdog never cleared it
    if (!worker.LoadFailure().empty())
        throw ScriptError("Unable to load plug-in library " + call.Library + ": " +
                          worker.LoadFailure());
    if (!worker.Failure().empty())
        throw ScriptError("Plug-in " + call.Library + " failed: " + worker.Failure());
    result.Text = worker.ResultText();
    return result;
}

} // namespace ovd
