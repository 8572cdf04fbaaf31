// The plug-in worker: loads a plug-in library, hands it the variables and the line's
// parameter text through its "RunTimeExecute" export, and keeps the text it returns.
// docs/plugins.md describes the protocol for plug-in authors.
#pragma once

#include <windows.h>

#include <string>

#include "EngineServices.h"
#include "TWorkerThread.h"

namespace ovd {

// RunTimeExecute(parent window, variables, parameters, progress callback, reserved,
// buffer): without a buffer it returns the length of its result text (or -1), with one
// of length + 1 bytes it writes the text there.
using PluginProgressCallback = int(__stdcall*)(int percentage, const char* text);
using RunTimeExecuteFn = int(__stdcall*)(HWND parent, const char* variables, const char* parameters,
                                         PluginProgressCallback progress, void* reserved,
                                         char* buffer);

class TScriptThread final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    TScriptThread(TPluginCall call, HWND parent)
        : TWorkerThread(WorkerFinishedFlag), call_(std::move(call)), parent_(parent)
    {
    }

    // After the wait: the plug-in's variable text; the input text unchanged when it threw
    // or returned -1; empty when it returned nothing or was ended by its watchdog.
    const std::string& ResultText() const { return result_; }
    // The library could not be loaded or has no "RunTimeExecute" export.
    const std::string& LoadFailure() const { return loadFailure_; }

private:
    void Execute() override;
    static int __stdcall Progress(int percentage, const char* text);
    int CallPlugin(RunTimeExecuteFn entry, char* buffer);

    const TPluginCall call_;
    const HWND parent_;
    std::string result_;
    std::string loadFailure_;
};

// The program's plug-in runner (TEngineServices::RunPlugin): runs the call in a
// TScriptThread while the main thread waits. A library that cannot be loaded is a run
// error.
TPluginResult RunPluginInWorker(TScriptRun& run, const TPluginCall& call);

} // namespace ovd
