// The answers of the system query commands as texts: registry values and their marker
// texts, file versions, Windows names, the "Get System Settings" selectors over the
// machine's facts, and the listing order and quoting of "Find All Files". OS-free: the
// machine is reached through the Win32 side (SystemQueriesWin32.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

// Marker texts of "Check Registry"; "Read Registry" turns each into empty text.
inline constexpr std::string_view kNoKey = "NO$KEY";
inline constexpr std::string_view kNoValue = "NO$VALUE";
inline constexpr std::string_view kUnknownType = "UNKNOWN$TYPE";
inline constexpr std::string_view kReadError = "READ$ERROR";
inline constexpr std::string_view kBinaryValue = "BINARY$VALUE";
bool IsRegistryMarker(std::string_view text);

// The kinds of registry data the commands tell apart (the system's type codes).
enum class RegistryType : std::uint32_t {
    String = 1,       // REG_SZ
    ExpandString = 2, // REG_EXPAND_SZ
    Binary = 3,       // REG_BINARY
    Number = 4,       // REG_DWORD
    MultiString = 7,  // REG_MULTI_SZ
};
// A value's data as text: strings as stored (not expanded, up to the first NUL), numbers
// signed decimal, binary data two upper-case hex digits a byte, multi-strings joined with
// "$NEWLINE$"; any other type "UNKNOWN$TYPE"; a number shorter than four bytes
// "READ$ERROR".
std::string RegistryValueText(std::uint32_t type, std::string_view data);

// Four 16-bit components from the two 32-bit halves of a fixed version.
using FileVersion = std::array<std::uint32_t, 4>;
FileVersion SplitFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant);
std::string FileVersionText(const FileVersion& version); // "a.b.c.d"
// A version text read with the dotted-component rule of conditions (ScriptError for a
// component before a "." that is not a number), each component taken as unsigned.
FileVersion VersionFromText(std::string_view text);
// Component by component as unsigned numbers; true only when left is strictly greater.
bool FileVersionGreater(const FileVersion& left, const FileVersion& right);

// The system's version information.
struct TOsVersion {
    bool NtPlatform = true;
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
    std::uint32_t Build = 0;
    std::string ServicePackText; // e.g. "Service Pack 1"
    bool Workstation = true;     // the product type is a workstation
};
// "NT4", "2000", "XP", "2003", "VISTA", "2008", "SEVEN", "2008R2", "95", "98", "98SE",
// "ME" or "UNKNOWN".
std::string OsNameCode(const TOsVersion& v);
// The largest n from 10 down to 1 whose decimal text occurs in the service-pack text; 0.
int ServicePackNumber(std::string_view servicePackText);

// What "Get System Settings" asks of the machine.
class ISystemFacts {
public:
    virtual ~ISystemFacts() = default;
    virtual TOsVersion Version() = 0;
    virtual bool IsAdministrator() = 0;
    virtual std::uint64_t TotalPhysicalMemory() = 0;
    virtual std::int64_t ScreenWidth() = 0;
    virtual std::int64_t ScreenHeight() = 0;
    virtual int ColourBits() = 0;
    virtual int HorizontalDpi() = 0;
    virtual std::string UiLanguageId() = 0;   // decimal
    virtual std::string UiLanguageName() = 0; // as the system spells it
    virtual std::string RegisteredValue(std::string_view name, bool ntPlatform) = 0;
    // Version of the system's shdocvw.dll; nothing when it has none.
    virtual std::optional<FileVersion> BrowserLibraryVersion() = 0;
    // The "Version" text of the browser's key; nothing when missing.
    virtual std::optional<std::string> BrowserVersionText() = 0;
    // MajorVersion * 10 + MinorVersion of the web server; nothing when missing.
    virtual std::optional<std::int64_t> WebServerVersion() = 0;
    virtual std::string WebServerAccount() = 0;
    virtual std::string UserName() = 0;
    virtual std::string ComputerName() = 0;
    virtual std::string UserDomain() = 0;
    // 0 Administrators, 1 Power Users, 2 Users, 3 Guests: the first the user belongs to;
    // -1 when none.
    virtual int FirstGroup() = 0;
    virtual bool Is32BitOn64BitWindows() = 0;
    virtual bool IsTabletPc() = 0;
    virtual bool IsMediaCenter() = 0;
    virtual bool IsVmwareMachine() = 0;
    virtual bool IsVirtualPcMachine() = 0;
    virtual std::string ProcessorArchitecture() = 0; // "X86", "IA64", "AMD64", "UNKNOWN"
    virtual bool IsElevated() = 0;
};
// What CPUID tells of a hypervisor: the vendor signature of leaf 0x40000000 (empty without
// one) and, where the vendor's leaf range reaches it, EBX of leaf 0x40000003.
struct THypervisorSignature {
    std::string Vendor;
    std::uint32_t FeaturesEbx = 0;
};
enum class TVirtualMachine { None, Vmware, VirtualPc };
// The machine the engine runs in. "Microsoft Hv" is also there on a physical machine whose
// Windows runs above its own hypervisor (memory integrity, virtualisation-based security):
// that root partition may create partitions (EBX bit 0) and is no virtual machine.
TVirtualMachine VirtualMachineOf(const THypervisorSignature& signature);

// The answer of one selector; selectors outside the table answer "FALSE".
std::string SystemSettingAnswer(int selector, ISystemFacts& facts);

// The position of the find-files progress: advances by one per folder, from 100 to 0.
int NextFolderProgress(int position);

// An entry of a folder listing.
struct TFolderEntry {
    std::string Name;
    bool Folder = false;
    bool Link = false; // a reparse point: listed, never entered
};
// What the listing needs from the file system and its caller.
struct TFindAllFilesSeams {
    // Appends the entries matching pattern ("folder\mask") in the system's order.
    std::function<void(const std::string& pattern, std::vector<TFolderEntry>& out)> List;
    std::function<void()> FolderEntered; // once per folder listed
    std::function<void(const std::string& path)> FileFound;
    std::function<bool()> Stopped; // the caller has asked to stop
};
// Splits "folder\mask" after its last "\" (or ":").
struct TFilePattern {
    std::string Folder; // with its trailing separator; empty when there is none
    std::string Mask;
};
TFilePattern SplitFilePattern(std::string_view pattern);
// The listing of "Find All Files": for each subfolder, its results (with subfolders)
// then its own path (with folders); after all subfolders, the folder's files matching
// the mask. "." and ".." are skipped; links are listed but not entered.
std::vector<std::string> FindAllFiles(const TFilePattern& pattern, bool subfolders,
                                      bool includeFolders, const TFindAllFilesSeams& seams);
// An entry with a blank, a control character, a double quote or "|" in double quotes,
// inner quotes doubled; the entries joined with "|".
std::string QuotedListEntry(std::string_view entry);
std::string JoinFoundPaths(const std::vector<std::string>& paths);

} // namespace ovd
