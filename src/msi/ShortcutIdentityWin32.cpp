#include "ShortcutIdentity.h"

#include <windows.h>

#include <objbase.h>
#include <propkey.h>
#include <propsys.h>
#include <shlobj.h>

#include "ComApartment.h"
#include "FileUtil.h"
#include "WideText.h"

namespace ovd {
namespace {

// A COM interface pointer released on every way out.
template <class T> class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr()
    {
        if (p_)
            p_->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Empty on success, else what failed.
std::string SetIdentity(const std::string& file, const std::string& identity)
{
    if (!FileExists(file))
        return "no such file";
    TComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Out()))))
        return "no shell link object";
    TComPtr<IPersistFile> persist;
    const std::wstring path = WideText(file);
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.Out()))) ||
        FAILED(persist->Load(path.c_str(), STGM_READWRITE)))
        return "not a shortcut";
    TComPtr<IPropertyStore> store;
    if (FAILED(link->QueryInterface(IID_IPropertyStore, reinterpret_cast<void**>(store.Out()))))
        return "no property store";
    std::wstring id = WideText(identity);
    PROPVARIANT value{};
    value.vt = VT_LPWSTR;
    value.pwszVal = id.data(); // read by SetValue, not freed: no PropVariantClear
    if (FAILED(store->SetValue(PKEY_AppUserModel_ID, value)) || FAILED(store->Commit()))
        return "refused by the shell";
    if (FAILED(persist->Save(nullptr, TRUE)))
        return "not saved";
    return {};
}

} // namespace

std::vector<std::string> ApplyShortcutIdentities(const std::vector<std::string>& pairs)
{
    std::vector<std::string> lines;
    if (pairs.size() < 2)
        return lines;
    const TComApartment com;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        const std::string problem = SetIdentity(pairs[i], pairs[i + 1]);
        lines.push_back("Shortcut identity " + pairs[i + 1] + ": " + pairs[i] +
                        (problem.empty() ? " set" : " not set (" + problem + ")"));
    }
    return lines;
}

} // namespace ovd
