// COM for the calling thread for a scope: a single-threaded apartment (the shell's folder
// browser, its launch objects and the image decoders need one), released on every way out.
// A thread that has an apartment already gets one more reference, released in turn; a
// thread in the multithreaded apartment keeps it, and the scope does nothing.
#pragma once

#include <objbase.h>

namespace ovd {

class TComApartment {
public:
    explicit TComApartment(DWORD flags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, flags)))
    {
    }
    ~TComApartment()
    {
        if (initialised_)
            CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

    // False when the thread could not join an apartment (it belongs to the multithreaded one).
    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};

} // namespace ovd
