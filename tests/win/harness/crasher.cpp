// Test helper: crasher.exe KIND dies of an unhandled exception of the given kind, so that
// the harness can check how the prefix lets a crashing program end.
#include <windows.h>

#include <cstring>

namespace {

int* volatile nowhere = nullptr;

DWORD WINAPI CrashOnThread(void*)
{
    *nowhere = 1;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const char* kind = argc > 1 ? argv[1] : "";
    if (std::strcmp(kind, "access") == 0) {
        *nowhere = 1;
    } else if (std::strcmp(kind, "trap") == 0) {
        __builtin_trap();
    } else if (std::strcmp(kind, "raise") == 0) {
        RaiseException(0xE0D0C0DE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    } else if (std::strcmp(kind, "thread") == 0) {
        HANDLE thread = CreateThread(nullptr, 0, CrashOnThread, nullptr, 0, nullptr);
        if (thread)
            WaitForSingleObject(thread, INFINITE);
    }
    return 2; // unknown kind, or the crash did not happen
}
