#include "MsiApi.h"

#include <atomic>

#include "FileUtil.h"
#include "ScriptError.h"

namespace ovd {
namespace {

constexpr const char* kLibrary = "msi.dll";

// One entry point, looked up on its first call and kept for the life of the process.
class TMsiSlot {
public:
    explicit constexpr TMsiSlot(const char* name) : name_(name) {}

    template <class Fn> Fn Get()
    {
        FARPROC proc = proc_.load();
        if (proc == nullptr) {
            HMODULE library = KeptModule(kLibrary);
            if (library == nullptr)
                throw ScriptError(std::string("Library not found: ") + kLibrary);
            proc = GetProcAddress(library, name_);
            if (proc == nullptr)
                throw ScriptError(std::string("Function not found: ") + kLibrary + "." + name_);
            proc_ = proc;
        }
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
    }

private:
    const char* name_;
    std::atomic<FARPROC> proc_{nullptr};
};

// The slot of ::Name, typed like it.
#define OVD_MSI_SLOT(Name)                                                                         \
    static TMsiSlot slot(#Name);                                                                   \
    const auto fn = slot.Get<decltype(&::Name)>()

} // namespace

namespace MsiApi {

UINT MsiCloseHandle(MSIHANDLE handle)
{
    OVD_MSI_SLOT(MsiCloseHandle);
    return fn(handle);
}
INSTALLUILEVEL MsiSetInternalUI(INSTALLUILEVEL level, HWND* window)
{
    OVD_MSI_SLOT(MsiSetInternalUI);
    return fn(level, window);
}
INSTALLUI_HANDLERA MsiSetExternalUIA(INSTALLUI_HANDLERA handler, DWORD filter, LPVOID context)
{
    OVD_MSI_SLOT(MsiSetExternalUIA);
    return fn(handler, filter, context);
}
UINT MsiEnableLogA(DWORD mode, LPCSTR file, DWORD attributes)
{
    OVD_MSI_SLOT(MsiEnableLogA);
    return fn(mode, file, attributes);
}
INSTALLSTATE MsiQueryProductStateA(LPCSTR product)
{
    OVD_MSI_SLOT(MsiQueryProductStateA);
    return fn(product);
}
INSTALLSTATE MsiQueryFeatureStateA(LPCSTR product, LPCSTR feature)
{
    OVD_MSI_SLOT(MsiQueryFeatureStateA);
    return fn(product, feature);
}
UINT MsiGetProductInfoA(LPCSTR product, LPCSTR property, LPSTR buffer, LPDWORD size)
{
    OVD_MSI_SLOT(MsiGetProductInfoA);
    return fn(product, property, buffer, size);
}
UINT MsiInstallProductA(LPCSTR package, LPCSTR commandLine)
{
    OVD_MSI_SLOT(MsiInstallProductA);
    return fn(package, commandLine);
}
UINT MsiApplyPatchA(LPCSTR patch, LPCSTR installPackage, INSTALLTYPE type, LPCSTR commandLine)
{
    OVD_MSI_SLOT(MsiApplyPatchA);
    return fn(patch, installPackage, type, commandLine);
}
UINT MsiOpenPackageA(LPCSTR package, MSIHANDLE* handle)
{
    OVD_MSI_SLOT(MsiOpenPackageA);
    return fn(package, handle);
}
UINT MsiSetPropertyA(MSIHANDLE install, LPCSTR name, LPCSTR value)
{
    OVD_MSI_SLOT(MsiSetPropertyA);
    return fn(install, name, value);
}
UINT MsiDoActionA(MSIHANDLE install, LPCSTR action)
{
    OVD_MSI_SLOT(MsiDoActionA);
    return fn(install, action);
}
BOOL MsiGetMode(MSIHANDLE install, MSIRUNMODE mode)
{
    OVD_MSI_SLOT(MsiGetMode);
    return fn(install, mode);
}
UINT MsiSourceListAddSourceA(LPCSTR product, LPCSTR user, DWORD reserved, LPCSTR source)
{
    OVD_MSI_SLOT(MsiSourceListAddSourceA);
    return fn(product, user, reserved, source);
}
UINT MsiOpenDatabaseA(LPCSTR path, LPCSTR persist, MSIHANDLE* database)
{
    OVD_MSI_SLOT(MsiOpenDatabaseA);
    return fn(path, persist, database);
}
UINT MsiDatabaseOpenViewA(MSIHANDLE database, LPCSTR query, MSIHANDLE* view)
{
    OVD_MSI_SLOT(MsiDatabaseOpenViewA);
    return fn(database, query, view);
}
UINT MsiViewExecute(MSIHANDLE view, MSIHANDLE record)
{
    OVD_MSI_SLOT(MsiViewExecute);
    return fn(view, record);
}
UINT MsiViewFetch(MSIHANDLE view, MSIHANDLE* record)
{
    OVD_MSI_SLOT(MsiViewFetch);
    return fn(view, record);
}
UINT MsiViewModify(MSIHANDLE view, MSIMODIFY mode, MSIHANDLE record)
{
    OVD_MSI_SLOT(MsiViewModify);
    return fn(view, mode, record);
}
UINT MsiViewClose(MSIHANDLE view)
{
    OVD_MSI_SLOT(MsiViewClose);
    return fn(view);
}
UINT MsiDatabaseCommit(MSIHANDLE database)
{
    OVD_MSI_SLOT(MsiDatabaseCommit);
    return fn(database);
}
UINT MsiGetSummaryInformationA(MSIHANDLE database, LPCSTR path, UINT updateCount,
                               MSIHANDLE* summary)
{
    OVD_MSI_SLOT(MsiGetSummaryInformationA);
    return fn(database, path, updateCount, summary);
}
UINT MsiSummaryInfoGetPropertyA(MSIHANDLE summary, UINT property, PUINT type, LPINT value,
                                FILETIME* time, LPSTR buffer, LPDWORD size)
{
    OVD_MSI_SLOT(MsiSummaryInfoGetPropertyA);
    return fn(summary, property, type, value, time, buffer, size);
}
UINT MsiSummaryInfoSetPropertyA(MSIHANDLE summary, UINT property, UINT type, INT value,
                                FILETIME* time, LPCSTR text)
{
    OVD_MSI_SLOT(MsiSummaryInfoSetPropertyA);
    return fn(summary, property, type, value, time, text);
}
UINT MsiSummaryInfoPersist(MSIHANDLE summary)
{
    OVD_MSI_SLOT(MsiSummaryInfoPersist);
    return fn(summary);
}
int MsiRecordGetInteger(MSIHANDLE record, UINT field)
{
    OVD_MSI_SLOT(MsiRecordGetInteger);
    return fn(record, field);
}
UINT MsiRecordSetInteger(MSIHANDLE record, UINT field, int value)
{
    OVD_MSI_SLOT(MsiRecordSetInteger);
    return fn(record, field, value);
}
UINT MsiRecordGetStringA(MSIHANDLE record, UINT field, LPSTR buffer, LPDWORD size)
{
    OVD_MSI_SLOT(MsiRecordGetStringA);
    return fn(record, field, buffer, size);
}
UINT MsiRecordSetStringA(MSIHANDLE record, UINT field, LPCSTR value)
{
    OVD_MSI_SLOT(MsiRecordSetStringA);
    return fn(record, field, value);
}

} // namespace MsiApi

bool ProductPackageCodeMatches(const std::string& productCode, const std::string& packageCode)
{
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    if (MsiApi::MsiGetProductInfoA(productCode.c_str(), "PackageCode", buffer, &size) !=
        ERROR_SUCCESS)
        return false;
    return lstrcmpiA(buffer, packageCode.c_str()) == 0;
}

} // namespace ovd
