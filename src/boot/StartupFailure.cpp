#include "StartupFailure.h"

#include "EngineMessages.h"
#include "uGlobals.h"

namespace ovd {

std::string StartupFailureText(int exitCode)
{
    switch (exitCode) {
    case kExitNoCompiledScript:
        return "For internal use only";
    case kExitSetupArchiveMissing:
        return EngineMessage(2);
    case kExitExtractionFailed:
        return EngineMessage(3);
    case kExitDatabaseMissing:
        return EngineMessage(4);
    default:
        return EngineMessage(19);
    }
}

void ShowStartupError(HWND owner, const std::string& text) noexcept
{
    if (Process().SilentMode)
        return;
    try {
        MessageBoxA(owner, text.c_str(), EngineCaption().c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing more can be said.
    }
}

} // namespace ovd
