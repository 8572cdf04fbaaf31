#include "Wow64Redirection.h"

namespace ovd {
namespace {

template <class Fn> Fn Kernel32Entry(const char* name)
{
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

} // namespace

// Looked up at run time: the entry points are missing before 64-bit Windows existed.
TWow64RedirectionOff::TWow64RedirectionOff()
{
    using DisableFn = BOOL(WINAPI*)(PVOID*);
    static const auto disable = Kernel32Entry<DisableFn>("Wow64DisableWow64FsRedirection");
    active_ = disable != nullptr && disable(&previous_) != FALSE;
}

TWow64RedirectionOff::~TWow64RedirectionOff()
{
    using RevertFn = BOOL(WINAPI*)(PVOID);
    static const auto revert = Kernel32Entry<RevertFn>("Wow64RevertWow64FsRedirection");
    if (active_ && revert != nullptr)
        revert(previous_);
}

} // namespace ovd
