// Move-only owners of Win32 handles, one kind each, shared by every module of the engine.
#pragma once

#include <windows.h>

#include <utility>

namespace ovd {

// Owns one handle of a kind described by Traits: Invalid() is the "none" value, Close(h)
// releases it.
template <class Traits> class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle h) : h_(h) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : h_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid())
    {
        if (h_ != Traits::Invalid())
            Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

// Kernel objects that report failure as 0 (threads, processes, events, mutexes).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
// Files opened by CreateFile, which reports failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyWindow(h); }
};

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseServiceHandle(h); }
};

// Owns one reference of a COM interface.
template <class Interface> class UniqueComPtr {
public:
    UniqueComPtr() = default;
    UniqueComPtr(const UniqueComPtr&) = delete;
    UniqueComPtr& operator=(const UniqueComPtr&) = delete;
    ~UniqueComPtr() { reset(); }

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For creation calls that fill a pointer: releases what is held first.
    void** put()
    {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    void reset()
    {
        if (p_ != nullptr)
            p_->Release();
        p_ = nullptr;
    }

private:
    Interface* p_ = nullptr;
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueService = UniqueResource<ServiceHandleTraits>;

} // namespace ovd
