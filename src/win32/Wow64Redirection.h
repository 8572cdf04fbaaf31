// WOW64 file-system redirection of a 32-bit program on 64-bit Windows, off for a scope and
// restored on every way out. Elsewhere (32-bit Windows, a 64-bit program) there is nothing
// to switch and the guard does nothing.
#pragma once

#include <windows.h>

namespace ovd {

class TWow64RedirectionOff {
public:
    TWow64RedirectionOff();
    ~TWow64RedirectionOff();
    TWow64RedirectionOff(const TWow64RedirectionOff&) = delete;
    TWow64RedirectionOff& operator=(const TWow64RedirectionOff&) = delete;

    // True when redirection was switched off (and will be restored).
    bool Active() const { return active_; }

private:
    PVOID previous_ = nullptr;
    bool active_ = false;
};

} // namespace ovd
