#include "Registry.h"

#include <cstring>
#include <vector>

namespace ovd {

HKEY RegistryRoot(long code)
{
    static const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                 HKEY_USERS, HKEY_CURRENT_CONFIG};
    return code >= 0 && code < 5 ? roots[code] : nullptr;
}

UniqueRegKey OpenRegKey(HKEY root, const std::string& path, REGSAM access)
{
    HKEY raw = nullptr;
    if (root == nullptr || RegOpenKeyExA(root, path.c_str(), 0, access, &raw) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(raw);
}

UniqueRegKey CreateRegKey(HKEY root, const std::string& path, REGSAM access, LONG* status)
{
    HKEY raw = nullptr;
    const LONG result = root == nullptr ? ERROR_INVALID_HANDLE
                                        : RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access,
                                                          nullptr, &raw, nullptr);
    if (status != nullptr)
        *status = result;
    return UniqueRegKey(result == ERROR_SUCCESS ? raw : nullptr);
}

std::optional<std::string> RegStringValue(HKEY key, const char* name, DWORD* valueType)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        // Room for a terminator the stored value may lack.
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        const LONG status = RegQueryValueExA(key, name, nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        if (valueType != nullptr)
            *valueType = type;
        return std::string(buffer.data(), strnlen(buffer.data(), got));
    }
    return std::nullopt;
}

namespace {

const char* ValueName(const char* name)
{
    return name != nullptr && *name != '\0' ? name : nullptr;
}

} // namespace

LONG RegSetString(HKEY key, const char* name, const std::string& value, DWORD type)
{
    return RegSetValueExA(key, ValueName(name), 0, type,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG RegSetDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, ValueName(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

} // namespace ovd
