#include "InstallerSession.h"

namespace ovd {

TInstallerSession& InstallerSession(TScriptRun& run)
{
    return run.Slots.Get<TInstallerSession>();
}

} // namespace ovd
