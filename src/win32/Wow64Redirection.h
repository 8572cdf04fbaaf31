// WOW64 file-system redirection of a 32-bit program on 64-bit Windows, off for a scope and
// restored on every way out. Elsewhere (32-bit Windows, a 64-bit program) there is nothing
// to switch and the guard does nothing.
//
// While redirection is off the thread cannot load a library from the system folder: the
// loader would find the 64-bit one. So a guard covers file-system calls only, never a
// message pump (a window procedure may load anything) or a library load. The pumps and
// LoadModule check this (CheckRedirectionOn); every guard is counted per thread, also
// where it has nothing to switch, so that the check holds under test on any build.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

class TWow64RedirectionOff {
public:
    // With `when` false (not in 64-bit mode) the scope switches nothing and is not counted.
    explicit TWow64RedirectionOff(bool when = true);
    ~TWow64RedirectionOff();
    TWow64RedirectionOff(const TWow64RedirectionOff&) = delete;
    TWow64RedirectionOff& operator=(const TWow64RedirectionOff&) = delete;

    // True when redirection was switched off (and will be restored).
    bool Active() const { return active_; }

private:
    PVOID previous_ = nullptr;
    bool counted_ = false;
    bool active_ = false;
};

// Guards open on the calling thread.
int RedirectionGuardDepth();
// Called where redirection must be on (a pump, a library load): counts a call made inside
// a guard. The count is the process's, for tests and the debugger.
void CheckRedirectionOn();
long RedirectionGuardViolations();

// `path` as a program of the 64-bit system should see it without switching redirection off:
// below the system folder of a 32-bit program on 64-bit Windows it becomes the same path
// below "Sysnative"; elsewhere unchanged.
std::string NativeSystemPath(const std::string& path);

} // namespace ovd
