// The compiled script behind the program image: find it, copy it out, read it.
#include "StartupPhases.h"

#include "CompiledScript.h"
#include "OverlayFile.h"
#include "StartupFailure.h"
#include "uGlobals.h"

#include <stdexcept>

namespace ovd {

std::uint64_t CheckStubSize()
{
    const std::uint64_t stub = ModuleStubSize(GetModuleHandleA(nullptr));
    // A file no longer than its image carries no script (a shorter one is damaged).
    if (ReadOnlyFileSize(ModuleFilePath(nullptr)) <= stub)
        throw StartupFailure{kExitNoCompiledScript};
    return stub;
}

void CopyStubData(std::uint64_t stubSize)
{
    CopyFileTail(ModuleFilePath(nullptr), stubSize, Process().TempDir + "ovd.tmp");
}

void LoadGlobalLists()
{
    const std::string path = Process().TempDir + "ovd.tmp";
    TScriptLoadResult result = LoadCompiledScriptFile(path, Script());
    DeleteFileA(path.c_str());
    if (!result.ok)
        throw std::runtime_error("The setup script cannot be read: " + result.error);
}

void FreeGlobalLists() noexcept
{
    ResetScript();
}

} // namespace ovd
