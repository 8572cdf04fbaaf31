#include "Account.h"

#include "WinHandles.h"

#include <windows.h>

#include <vector>

namespace ovd {

bool TokenAccount(std::string& name, std::string& domain)
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    const UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<char> data(size);
    if (!GetTokenInformation(raw, TokenUser, data.data(), size, &size))
        return false;
    const auto* user = reinterpret_cast<const TOKEN_USER*>(data.data());
    char account[256] = {}, domainName[256] = {};
    DWORD accountSize = sizeof account, domainSize = sizeof domainName;
    SID_NAME_USE use{};
    if (!LookupAccountSidA(nullptr, user->User.Sid, account, &accountSize, domainName, &domainSize,
                           &use))
        return false;
    name = account;
    domain = domainName;
    return true;
}

std::string QualifiedAccountName()
{
    if (GetVersion() & 0x80000000u) {
        char user[257] = {};
        DWORD size = sizeof user;
        return GetUserNameA(user, &size) ? std::string(user) : std::string();
    }
    std::string name, domain;
    if (!TokenAccount(name, domain))
        return {};
    return domain.empty() ? name : domain + "\\" + name;
}

} // namespace ovd
