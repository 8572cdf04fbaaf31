#include "ShortcutPinsWin32.h"

#include <windows.h>

#include <shellapi.h>

#include "FileUtil.h"
#include "ScriptRun.h"
#include "ShortcutPins.h"
#include "TWorkerThread.h"

namespace ovd {
namespace {

// One shell verb on the shortcut file; false when the shell does not do it.
bool RunVerb(const std::string& link, const char* verb)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_INVOKEIDLIST;
    info.lpVerb = verb;
    info.lpFile = link.c_str();
    info.nShow = SW_HIDE;
    return ShellExecuteExA(&info) != FALSE;
}

} // namespace

void ApplyShortcutPins(TScriptRun& run, const std::vector<std::string>& list, bool pin)
{
    const std::vector<TPinEntry> entries = PinEntries(list);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TPinEntry& entry = entries[i];
        ReportWorkerProgress(entry.Link, 0, static_cast<long>(entries.size()),
                             static_cast<long>(i));
        // A shortcut the installer has not made (or has taken away) cannot be pinned; an
        // unpin goes to the shell all the same, which knows the pinned copy.
        if (pin && !FileExists(entry.Link)) {
            run.TraceTag("    Pin skipped, no shortcut: " + entry.Link);
            continue;
        }
        const char* verbs[2] = {pin ? "taskbarpin" : "taskbarunpin",
                                pin ? "startpin" : "startunpin"};
        const bool wanted[2] = {entry.Taskbar, entry.StartMenu};
        for (int k = 0; k < 2; ++k) {
            if (!wanted[k])
                continue;
            const bool done = RunVerb(entry.Link, verbs[k]);
            run.TraceTag(std::string("    ") + verbs[k] + (done ? ": " : " not done: ") +
                         entry.Link);
        }
    }
}

} // namespace ovd
