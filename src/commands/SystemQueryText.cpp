#include "SystemQueryText.h"

#include "Condition.h"
#include "IntegerText.h"
#include "PathParts.h"
#include "ScriptText.h"

#include <algorithm>

namespace ovd {

bool IsRegistryMarker(std::string_view text)
{
    return text == kNoKey || text == kNoValue || text == kUnknownType || text == kReadError ||
           text == kBinaryValue;
}

namespace {

std::string_view UpToNul(std::string_view data)
{
    return data.substr(0, std::min(data.find('\0'), data.size()));
}

} // namespace

std::string RegistryValueText(std::uint32_t type, std::string_view data)
{
    switch (static_cast<RegistryType>(type)) {
    case RegistryType::String:
    case RegistryType::ExpandString:
        return std::string(UpToNul(data));
    case RegistryType::Number: {
        if (data.size() < 4)
            return std::string(kReadError);
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        return Int64ToText(static_cast<std::int32_t>(value));
    }
    case RegistryType::Binary: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string text;
        text.reserve(data.size() * 2);
        for (const char c : data) {
            const auto byte = static_cast<unsigned char>(c);
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        }
        return text;
    }
    case RegistryType::MultiString: {
        std::string text;
        std::string_view rest = data;
        bool first = true;
        // Strings end with a NUL each; an empty string (or the end of the data) ends the list.
        while (!rest.empty()) {
            const std::string_view item = UpToNul(rest);
            if (item.empty())
                break;
            if (!first)
                text += kNewlineMarker;
            text += item;
            first = false;
            rest.remove_prefix(std::min(item.size() + 1, rest.size()));
        }
        return text;
    }
    }
    return std::string(kUnknownType);
}

FileVersion SplitFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant)
{
    return {mostSignificant >> 16, mostSignificant & 0xFFFF, leastSignificant >> 16,
            leastSignificant & 0xFFFF};
}

std::string FileVersionText(const FileVersion& version)
{
    std::string text;
    for (std::size_t i = 0; i < version.size(); ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(version[i]);
    }
    return text;
}

FileVersion VersionFromText(std::string_view text)
{
    const auto parts = VersionComponents(text);
    FileVersion version{};
    for (std::size_t i = 0; i < parts.size(); ++i)
        version[i] = static_cast<std::uint32_t>(parts[i]);
    return version;
}

bool FileVersionGreater(const FileVersion& left, const FileVersion& right)
{
    return left > right;
}

std::string OsNameCode(const TOsVersion& v)
{
    if (v.NtPlatform) {
        if (v.Major == 4 && v.Minor == 0)
            return "NT4";
        if (v.Major == 5 && v.Minor == 0)
            return "2000";
        if (v.Major == 5 && v.Minor == 1)
            return "XP";
        if (v.Major == 5 && v.Minor == 2)
            return "2003";
        if (v.Major == 6 && v.Minor == 0)
            return ServicePackNumber(v.ServicePackText) >= 1 && !v.Workstation ? "2008" : "VISTA";
        if (v.Major == 6 && v.Minor == 1)
            return v.Workstation ? "SEVEN" : "2008R2";
        return "UNKNOWN";
    }
    if (v.Major == 4 && v.Minor == 0)
        return "95";
    if (v.Major == 4 && v.Minor == 10)
        return v.Build > 67766445 ? "98SE" : "98";
    if (v.Major == 4 && v.Minor == 90)
        return "ME";
    return "UNKNOWN";
}

int ServicePackNumber(std::string_view servicePackText)
{
    for (int n = 10; n >= 1; --n)
        if (servicePackText.find(std::to_string(n)) != std::string_view::npos)
            return n;
    return 0;
}

namespace {

bool VersionAtLeast(const TOsVersion& v, std::uint32_t major, std::uint32_t minor)
{
    return v.Major > major || (v.Major == major && v.Minor >= minor);
}

// A version text compared leniently: a text that is no version answers "no".
bool VersionTextAtLeast(const std::optional<std::string>& text, std::string_view least)
{
    if (!text)
        return false;
    try {
        return !FileVersionGreater(VersionFromText(least), VersionFromText(*text));
    } catch (...) {
        return false;
    }
}

constexpr std::array<std::uint64_t, 7> kMemoryMb = {32, 64, 128, 256, 512, 1024, 2048};
struct TScreenSize {
    std::int64_t Width, Height;
};
constexpr std::array<TScreenSize, 5> kScreens = {
    TScreenSize{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
constexpr std::array<int, 4> kColourBits = {8, 16, 24, 32};
struct TMinorVersion {
    std::uint32_t Major, Minor;
};
constexpr std::array<TMinorVersion, 8> kWindowsVersions = {
    TMinorVersion{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}};
constexpr std::array<std::string_view, 16> kBrowserLibraryVersions = {
    "6.0.2800.1106", "6.0.2600.0",     "5.5.4807.2300", "5.5.4522.1800",
    "5.5.4134.100",  "5.0.3502.5400",  "5.0.3314.2100", "5.0.2919.6307",
    "5.0.2014.213",  "4.72.3612.1707", "4.72.3110.3",   "4.72.2106.7",
    "4.71.1712.5",   "4.70.1300.0",    "4.70.1215.0",   "4.70.1155.0"};
constexpr std::array<std::int64_t, 6> kWebServerVersions = {60, 51, 50, 40, 30, 20};
constexpr std::array<std::string_view, 4> kGroupWords = {"ADMIN", "POWER", "USER", "GUEST"};

std::string WebServerAtLeast(ISystemFacts& facts, std::int64_t least)
{
    const auto version = facts.WebServerVersion();
    return BooleanText(version && *version >= least);
}

} // namespace

TVirtualMachine VirtualMachineOf(const THypervisorSignature& signature)
{
    constexpr std::uint32_t kCreatePartitions = 1u << 0;
    if (signature.Vendor == "VMwareVMware")
        return TVirtualMachine::Vmware;
    if (signature.Vendor == "Microsoft Hv" && (signature.FeaturesEbx & kCreatePartitions) == 0)
        return TVirtualMachine::VirtualPc;
    return TVirtualMachine::None;
}

std::string SystemSettingAnswer(int selector, ISystemFacts& facts)
{
    const auto in = [selector](int first, int last) {
        return selector >= first && selector <= last;
    };
    if (selector == 0)
        return BooleanText(!facts.Version().NtPlatform || facts.IsAdministrator());
    if (in(1, 7)) {
        const std::uint64_t mb = kMemoryMb[static_cast<std::size_t>(selector - 1)];
        return BooleanText(facts.TotalPhysicalMemory() >= (mb - 2) * 1048576);
    }
    if (in(8, 12)) {
        const TScreenSize least = kScreens[static_cast<std::size_t>(selector - 8)];
        const std::int64_t w = facts.ScreenWidth(), h = facts.ScreenHeight();
        return BooleanText((w >= least.Width && h >= least.Height) ||
                           (h >= least.Width && w >= least.Height));
    }
    if (in(13, 16))
        return BooleanText(facts.ColourBits() >=
                           kColourBits[static_cast<std::size_t>(selector - 13)]);
    if (selector == 17)
        return BooleanText(!facts.Version().NtPlatform);
    if (selector == 18)
        return BooleanText(facts.Version().NtPlatform);
    if (in(19, 26)) {
        const TMinorVersion least = kWindowsVersions[static_cast<std::size_t>(selector - 19)];
        return BooleanText(VersionAtLeast(facts.Version(), least.Major, least.Minor));
    }
    if (selector == 69 || selector == 79)
        return BooleanText(VersionAtLeast(facts.Version(), 6, selector == 69 ? 0 : 1));
    if (selector == 76) {
        const TOsVersion v = facts.Version();
        return BooleanText(v.Major >= 6 && ServicePackNumber(v.ServicePackText) >= 1 &&
                           !v.Workstation);
    }
    if (selector == 81) {
        const TOsVersion v = facts.Version();
        return BooleanText(VersionAtLeast(v, 6, 1) && !v.Workstation);
    }
    if (in(27, 32))
        return BooleanText(ServicePackNumber(facts.Version().ServicePackText) >= selector - 26);
    if (selector == 33)
        return facts.UiLanguageId();
    if (selector == 34)
        return facts.UiLanguageName();
    if (selector == 35 || selector == 36)
        return facts.RegisteredValue(selector == 35 ? "RegisteredOwner" : "RegisteredOrganization",
                                     facts.Version().NtPlatform);
    if (in(37, 52)) {
        const auto version = facts.BrowserLibraryVersion();
        const FileVersion least =
            VersionFromText(kBrowserLibraryVersions[static_cast<std::size_t>(selector - 37)]);
        return BooleanText(version && !FileVersionGreater(least, *version));
    }
    if (selector == 72 || selector == 78)
        return BooleanText(VersionTextAtLeast(facts.BrowserVersionText(),
                                              selector == 72 ? "7.0.5730.11" : "8.0.6001.18702"));
    if (in(53, 58))
        return WebServerAtLeast(facts, kWebServerVersions[static_cast<std::size_t>(selector - 53)]);
    if (selector == 73 || selector == 80)
        return WebServerAtLeast(facts, selector == 73 ? 70 : 75);
    switch (selector) {
    case 59:
        return facts.WebServerAccount();
    case 60:
        return facts.UserName();
    case 61:
        return facts.ComputerName();
    case 62:
        return facts.UserDomain();
    case 63: {
        const int group = facts.FirstGroup();
        return group >= 0 && group < static_cast<int>(kGroupWords.size())
                   ? std::string(kGroupWords[static_cast<std::size_t>(group)])
                   : std::string("ERROR");
    }
    case 64:
        return std::to_string(facts.HorizontalDpi());
    case 65:
        return BooleanText(facts.Is32BitOn64BitWindows());
    case 66:
        return BooleanText(facts.IsTabletPc());
    case 67:
        return BooleanText(facts.IsMediaCenter());
    case 68:
        return BooleanText(!facts.Version().Workstation);
    case 70:
        return BooleanText(facts.IsVmwareMachine());
    case 71:
        return BooleanText(facts.IsVirtualPcMachine());
    case 74:
        return BooleanText(!facts.IsVmwareMachine() && !facts.IsVirtualPcMachine());
    case 75:
        return facts.ProcessorArchitecture();
    case 77:
        return BooleanText(facts.IsElevated());
    default:
        return "FALSE";
    }
}

int NextFolderProgress(int position)
{
    return position >= 100 || position < 0 ? 0 : position + 1;
}

TFilePattern SplitFilePattern(std::string_view pattern)
{
    return {PathFolderText(pattern, PathSeparators::BackslashOrDrive),
            PathFilePart(pattern, PathSeparators::BackslashOrDrive)};
}

namespace {

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

void ListFolder(const std::string& folder, const std::string& mask, bool subfolders,
                bool includeFolders, const TFindAllFilesSeams& seams,
                std::vector<std::string>& found)
{
    if (seams.Stopped())
        return;
    seams.FolderEntered();
    std::vector<TFolderEntry> entries;
    seams.List(folder + "*", entries);
    for (const TFolderEntry& entry : entries) {
        if (seams.Stopped())
            return;
        if (!entry.Folder || IsDotEntry(entry.Name))
            continue;
        const std::string path = folder + entry.Name;
        if (subfolders && !entry.Link)
            ListFolder(path + "\\", mask, subfolders, includeFolders, seams, found);
        if (includeFolders)
            found.push_back(path);
    }
    // A mask that matches every name gives the listing already made: one pass a folder.
    if (mask != "*" && mask != "*.*") {
        entries.clear();
        seams.List(folder + mask, entries);
    }
    for (const TFolderEntry& entry : entries) {
        if (seams.Stopped())
            return;
        if (entry.Folder)
            continue;
        found.push_back(folder + entry.Name);
        seams.FileFound(found.back());
    }
}

} // namespace

std::vector<std::string> FindAllFiles(const TFilePattern& pattern, bool subfolders,
                                      bool includeFolders, const TFindAllFilesSeams& seams)
{
    std::vector<std::string> found;
    ListFolder(pattern.Folder, pattern.Mask, subfolders, includeFolders, seams, found);
    return found;
}

std::string QuotedListEntry(std::string_view entry)
{
    const bool quote = std::any_of(entry.begin(), entry.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || c == '"' || c == '|';
    });
    if (!quote)
        return std::string(entry);
    std::string text = "\"";
    for (const char c : entry) {
        text += c;
        if (c == '"')
            text += '"';
    }
    return text + "\"";
}

std::string JoinFoundPaths(const std::vector<std::string>& paths)
{
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i > 0)
            text += '|';
        text += QuotedListEntry(paths[i]);
    }
    return text;
}

} // namespace ovd
