#include "InstallerSession.h"

namespace ovd {

TInstallerSession& InstallerSession()
{
    static TInstallerSession session;
    return session;
}

void ResetInstallerSession()
{
    InstallerSession() = TInstallerSession{};
}

} // namespace ovd
