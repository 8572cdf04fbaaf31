// The installer's functions, bound one by one on first use from "msi.dll", so that the
// engine starts where the installer is missing or old and fails only at the call that
// needs it ("Library not found: msi.dll", "Function not found: msi.dll.<name>", raised as
// ScriptError). The library is never unloaded. Each function is called like the
// installer function of the same name.
#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "WinHandles.h"

namespace ovd {
namespace MsiApi {

UINT MsiCloseHandle(MSIHANDLE handle);
INSTALLUILEVEL MsiSetInternalUI(INSTALLUILEVEL level, HWND* window);
INSTALLUI_HANDLERA MsiSetExternalUIA(INSTALLUI_HANDLERA handler, DWORD filter, LPVOID context);
UINT MsiEnableLogA(DWORD mode, LPCSTR file, DWORD attributes);
INSTALLSTATE MsiQueryProductStateA(LPCSTR product);
INSTALLSTATE MsiQueryFeatureStateA(LPCSTR product, LPCSTR feature);
UINT MsiGetProductInfoA(LPCSTR product, LPCSTR property, LPSTR buffer, LPDWORD size);
UINT MsiInstallProductA(LPCSTR package, LPCSTR commandLine);
UINT MsiApplyPatchA(LPCSTR patch, LPCSTR installPackage, INSTALLTYPE type, LPCSTR commandLine);
UINT MsiOpenPackageA(LPCSTR package, MSIHANDLE* handle);
UINT MsiSetPropertyA(MSIHANDLE install, LPCSTR name, LPCSTR value);
UINT MsiDoActionA(MSIHANDLE install, LPCSTR action);
BOOL MsiGetMode(MSIHANDLE install, MSIRUNMODE mode);
UINT MsiSourceListAddSourceA(LPCSTR product, LPCSTR user, DWORD reserved, LPCSTR source);
UINT MsiOpenDatabaseA(LPCSTR path, LPCSTR persist, MSIHANDLE* database);
UINT MsiDatabaseOpenViewA(MSIHANDLE database, LPCSTR query, MSIHANDLE* view);
UINT MsiViewExecute(MSIHANDLE view, MSIHANDLE record);
UINT MsiViewFetch(MSIHANDLE view, MSIHANDLE* record);
UINT MsiViewModify(MSIHANDLE view, MSIMODIFY mode, MSIHANDLE record);
UINT MsiViewClose(MSIHANDLE view);
UINT MsiDatabaseCommit(MSIHANDLE database);
UINT MsiGetSummaryInformationA(MSIHANDLE database, LPCSTR path, UINT updateCount,
                               MSIHANDLE* summary);
UINT MsiSummaryInfoGetPropertyA(MSIHANDLE summary, UINT property, PUINT type, LPINT value,
                                FILETIME* time, LPSTR buffer, LPDWORD size);
UINT MsiSummaryInfoSetPropertyA(MSIHANDLE summary, UINT property, UINT type, INT value,
                                FILETIME* time, LPCSTR text);
UINT MsiSummaryInfoPersist(MSIHANDLE summary);
int MsiRecordGetInteger(MSIHANDLE record, UINT field);
UINT MsiRecordSetInteger(MSIHANDLE record, UINT field, int value);
UINT MsiRecordGetStringA(MSIHANDLE record, UINT field, LPSTR buffer, LPDWORD size);
UINT MsiRecordSetStringA(MSIHANDLE record, UINT field, LPCSTR value);

} // namespace MsiApi

// Installer handles (database, view, record, summary, package).
struct MsiHandleTraits {
    using Handle = MSIHANDLE;
    static Handle Invalid() { return 0; }
    static void Close(Handle h) { MsiApi::MsiCloseHandle(h); }
};
using UniqueMsiHandle = UniqueResource<MsiHandleTraits>;

// The installed product's "PackageCode" against `packageCode`, both lower-cased.
bool ProductPackageCodeMatches(const std::string& productCode, const std::string& packageCode);

} // namespace ovd
