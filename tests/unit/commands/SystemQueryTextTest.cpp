// The OS-free answers of the system queries: registry texts, versions, Windows names, the
// "Get System Settings" table over fixed facts, and the order and quoting of a listing.
#include "SystemQueryText.h"

#include "ScriptError.h"

#include <gtest/gtest.h>

#include <map>

namespace ovd {
namespace {

TEST(SystemQueryText, RegistryValuesByType)
{
    using namespace std::string_literals;
    struct Case {
        std::uint32_t type;
        std::string data;
        std::string text;
    } cases[] = {
        {1, "C:\\Program Files\0"s, "C:\\Program Files"},
        {2, "%SystemRoot%\\x\0"s, "%SystemRoot%\\x"}, // not expanded
        {1, "no terminator"s, "no terminator"},
        {4, "\xff\xff\xff\xff"s, "-1"},
        {4, "\x2a\0\0\0"s, "42"},
        {4, "\x01\x02"s, "READ$ERROR"},
        {3, "\x00\x1f\xab\xff"s, "001FABFF"},
        {3, ""s, ""},
        {7, "one\0two\0\0"s, "one$NEWLINE$two"},
        {7, "only\0"s, "only"},
        {7, "\0"s, ""},
        {11, "\1\0\0\0\0\0\0\0"s, "UNKNOWN$TYPE"}, // a 64-bit number
        {0, ""s, "UNKNOWN$TYPE"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegistryValueText(c.type, c.data), c.text) << c.type << " " << c.text;
    for (const char* marker : {"NO$KEY", "NO$VALUE", "UNKNOWN$TYPE", "READ$ERROR", "BINARY$VALUE"})
        EXPECT_TRUE(IsRegistryMarker(marker));
    EXPECT_FALSE(IsRegistryMarker("no$key"));
}

TEST(SystemQueryText, FileVersions)
{
    EXPECT_EQ(FileVersionText(SplitFileVersion(0x00060001, 0x1DB10000 | 0xFFFF)), "6.1.7601.65535");
    struct Case {
        std::string left, right;
        bool greater;
    } cases[] = {
        {"1.2.3.4", "1.2.3.4", false}, {"1.2.3.5", "1.2.3.4", true}, {"2.0.0.0", "1.9.9.9", true},
        {"1.10.0.0", "1.9.0.0", true}, {"1.2", "1.2.0.0", false},    {"1.2.0.1", "1.2", true},
        {"1.2.3.x", "1.2.3", false},   {"0.0.0.0", "-1", false}, // -1 is the largest unsigned
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileVersionGreater(VersionFromText(c.left), VersionFromText(c.right)), c.greater)
            << c.left << " > " << c.right;
    EXPECT_THROW(VersionFromText("1.x.3"), ScriptError);
}

// The hypervisor's vendor and its partition rights: a Windows that runs above its own
// hypervisor (the root partition, which may create partitions) is a physical machine.
TEST(SystemQueryText, VirtualMachineFromTheHypervisorSignature)
{
    using VM = TVirtualMachine;
    struct Case {
        const char* vendor;
        std::uint32_t featuresEbx;
        VM machine;
    } cases[] = {
        {"", 0, VM::None},
        {"VMwareVMware", 0, VM::Vmware},
        {"VMwareVMware", 1, VM::Vmware}, // the bit is the Microsoft hypervisor's
        {"Microsoft Hv", 0, VM::VirtualPc},
        {"Microsoft Hv", 0x2E7E, VM::VirtualPc}, // a guest's usual rights, bit 0 clear
        {"Microsoft Hv", 1, VM::None},           // the root partition
        {"Microsoft Hv", 0x2BB9FF, VM::None},    // the root partition's usual rights
        {"KVMKVMKVM", 0, VM::None},
        {"Microsoft H", 0, VM::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualMachineOf({c.vendor, c.featuresEbx}), c.machine)
            << c.vendor << " " << c.featuresEbx;
}

// A version as a table row holds it: literals only. (A table of rows holding strings made
// GCC 12 at -O3 warn, wrongly, that the destruction of a half-built table reads
// uninitialised strings.)
struct OsRow {
    bool nt;
    std::uint32_t major, minor, build;
    const char* servicePack;
    bool workstation;
    TOsVersion Version() const { return {nt, major, minor, build, servicePack, workstation}; }
};

TEST(SystemQueryText, WindowsNamesAndServicePacks)
{
    struct Case {
        OsRow v;
        const char* name;
    } cases[] = {
        {{true, 4, 0, 1381, "Service Pack 6", true}, "NT4"},
        {{true, 5, 0, 2195, "", true}, "2000"},
        {{true, 5, 1, 2600, "Service Pack 3", true}, "XP"},
        {{true, 5, 2, 3790, "", false}, "2003"},
        {{true, 6, 0, 6001, "Service Pack 1", true}, "VISTA"},
        {{true, 6, 0, 6001, "Service Pack 1", false}, "2008"},
        {{true, 6, 0, 6000, "", false}, "VISTA"},
        {{true, 6, 1, 7601, "", true}, "SEVEN"},
        {{true, 6, 1, 7601, "", false}, "2008R2"},
        {{true, 10, 0, 19045, "", true}, "UNKNOWN"},
        {{false, 4, 0, 950, "", true}, "95"},
        {{false, 4, 10, 67766222, "", true}, "98"},
        {{false, 4, 10, 67766446, "", true}, "98SE"},
        {{false, 4, 90, 3000, "", true}, "ME"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsNameCode(c.v.Version()), c.name) << c.v.major << "." << c.v.minor;
    EXPECT_EQ(ServicePackNumber("Service Pack 10"), 10);
    EXPECT_EQ(ServicePackNumber("Service Pack 2"), 2);
    EXPECT_EQ(ServicePackNumber("Service Pack 2, v.3244"), 4); // the largest digit found
    EXPECT_EQ(ServicePackNumber(""), 0);
}

class FakeFacts : public ISystemFacts {
public:
    TOsVersion version{true, 6, 1, 7601, "Service Pack 1", true};
    std::uint64_t memory = 0;
    std::int64_t width = 1024, height = 768;
    int bits = 32;
    std::optional<FileVersion> browserLibrary;
    std::optional<std::string> browserVersion;
    std::optional<std::int64_t> webServer;
    int group = 2;
    bool vmware = false, virtualPc = false;

    TOsVersion Version() override { return version; }
    bool IsAdministrator() override { return false; }
    std::uint64_t TotalPhysicalMemory() override { return memory; }
    std::int64_t ScreenWidth() override { return width; }
    std::int64_t ScreenHeight() override { return height; }
    int ColourBits() override { return bits; }
    int HorizontalDpi() override { return 96; }
    std::string UiLanguageId() override { return "1033"; }
    std::string UiLanguageName() override { return "English"; }
    std::string RegisteredValue(std::string_view name, bool) override { return std::string(name); }
    std::optional<FileVersion> BrowserLibraryVersion() override { return browserLibrary; }
    std::optional<std::string> BrowserVersionText() override { return browserVersion; }
    std::optional<std::int64_t> WebServerVersion() override { return webServer; }
    std::string WebServerAccount() override { return "IUSR"; }
    std::string UserName() override { return "user"; }
    std::string ComputerName() override { return "PC"; }
    std::string UserDomain() override { return "DOMAIN"; }
    int FirstGroup() override { return group; }
    bool Is32BitOn64BitWindows() override { return true; }
    bool IsTabletPc() override { return false; }
    bool IsMediaCenter() override { return false; }
    bool IsVmwareMachine() override { return vmware; }
    bool IsVirtualPcMachine() override { return virtualPc; }
    std::string ProcessorArchitecture() override { return "AMD64"; }
    bool IsElevated() override { return true; }
};

// Answers of a row of selectors joined, e.g. "TTF".
std::string Row(FakeFacts& facts, int first, int last)
{
    std::string row;
    for (int s = first; s <= last; ++s)
        row += SystemSettingAnswer(s, facts) == "TRUE" ? 'T' : 'F';
    return row;
}

TEST(SystemQueryText, SystemSettingThresholds)
{
    FakeFacts f;
    // Memory: N MB less a tolerance of 2 MB, inclusive.
    f.memory = 254ull * 1048576;
    EXPECT_EQ(Row(f, 1, 7), "TTTTFFF");
    f.memory = 254ull * 1048576 - 1;
    EXPECT_EQ(Row(f, 1, 7), "TTTFFFF");
    // Screens in either orientation.
    struct Screen {
        std::int64_t w, h;
        std::string row;
    } screens[] = {{800, 600, "TFFFF"},   {600, 800, "TFFFF"},   {1024, 768, "TTFFF"},
                   {768, 1024, "TTFFF"},  {799, 600, "FFFFF"},   {1280, 1023, "TTFFF"},
                   {1920, 1440, "TTTTT"}, {1440, 1920, "TTTTT"}, {1280, 800, "TTFFF"}};
    for (const Screen& s : screens) {
        f.width = s.w;
        f.height = s.h;
        EXPECT_EQ(Row(f, 8, 12), s.row) << s.w << "x" << s.h;
    }
    f.bits = 24;
    EXPECT_EQ(Row(f, 13, 16), "TTTF");
}

TEST(SystemQueryText, SystemSettingVersions)
{
    FakeFacts f;
    struct Case {
        OsRow v;
        const char *platform, *versions, *later, *servicePacks;
    } cases[] = {
        // 17-18, 19-26, 69 79 76 81 68, 27-32
        {{true, 6, 1, 7601, "Service Pack 1", true}, "FT", "TTTTTTTT", "TTFFF", "TFFFFF"},
        {{true, 6, 1, 7601, "Service Pack 1", false}, "FT", "TTTTTTTT", "TTTTT", "TFFFFF"},
        {{true, 6, 0, 6002, "Service Pack 2", false}, "FT", "TTTTTTTT", "TFTFT", "TTFFFF"},
        {{true, 5, 1, 2600, "Service Pack 3", true}, "FT", "TTTTTTTF", "FFFFF", "TTTFFF"},
        {{false, 4, 10, 67766446, " A ", true}, "TF", "TTFFTFFF", "FFFFF", "FFFFFF"},
    };
    for (const Case& c : cases) {
        f.version = c.v.Version();
        EXPECT_EQ(Row(f, 17, 18), c.platform);
        EXPECT_EQ(Row(f, 19, 26), c.versions) << c.v.major << "." << c.v.minor;
        const std::string later =
            Row(f, 69, 69) + Row(f, 79, 79) + Row(f, 76, 76) + Row(f, 81, 81) + Row(f, 68, 68);
        EXPECT_EQ(later, c.later) << c.v.major << "." << c.v.minor;
        EXPECT_EQ(Row(f, 27, 32), c.servicePacks);
    }
    // The 9x platform counts as an administrator.
    EXPECT_EQ(SystemSettingAnswer(0, f), "TRUE");
    f.version.NtPlatform = true;
    EXPECT_EQ(SystemSettingAnswer(0, f), "FALSE");
}

TEST(SystemQueryText, SystemSettingComponentsAndTexts)
{
    FakeFacts f;
    EXPECT_EQ(Row(f, 37, 52), "FFFFFFFFFFFFFFFF"); // no shdocvw.dll
    f.browserLibrary = FileVersion{5, 0, 3314, 2100};
    EXPECT_EQ(Row(f, 37, 52), "FFFFFFTTTTTTTTTT");
    f.browserLibrary = FileVersion{6, 0, 2900, 0};
    EXPECT_EQ(Row(f, 37, 52), "TTTTTTTTTTTTTTTT");
    f.browserVersion = "8.0.6001.18702";
    EXPECT_EQ(Row(f, 72, 72) + Row(f, 78, 78), "TT");
    f.browserVersion = "7.0.5730.13";
    EXPECT_EQ(Row(f, 72, 72) + Row(f, 78, 78), "TF");
    f.browserVersion = "not.a.version";
    EXPECT_EQ(Row(f, 72, 72), "F");
    // 53-58 at least 6.0 5.1 5.0 4.0 3.0 2.0, then 73 7.0 and 80 7.5.
    EXPECT_EQ(Row(f, 53, 58) + Row(f, 73, 73) + Row(f, 80, 80), "FFFFFFFF");
    f.webServer = 51;
    EXPECT_EQ(Row(f, 53, 58) + Row(f, 73, 73) + Row(f, 80, 80), "FTTTTTFF");
    f.webServer = 75;
    EXPECT_EQ(Row(f, 53, 58) + Row(f, 73, 73) + Row(f, 80, 80), "TTTTTTTT");

    const std::map<int, std::string> texts = {{33, "1033"},
                                              {34, "English"},
                                              {35, "RegisteredOwner"},
                                              {36, "RegisteredOrganization"},
                                              {59, "IUSR"},
                                              {60, "user"},
                                              {61, "PC"},
                                              {62, "DOMAIN"},
                                              {63, "USER"},
                                              {64, "96"},
                                              {65, "TRUE"},
                                              {75, "AMD64"},
                                              {77, "TRUE"},
                                              {74, "TRUE"},
                                              {82, "FALSE"},
                                              {-1, "FALSE"}};
    for (const auto& [selector, text] : texts)
        EXPECT_EQ(SystemSettingAnswer(selector, f), text) << selector;
    f.group = -1;
    EXPECT_EQ(SystemSettingAnswer(63, f), "ERROR");
    f.vmware = true;
    EXPECT_EQ(Row(f, 70, 71) + Row(f, 74, 74), "TFF");
}

TEST(SystemQueryText, FolderProgressWrapsAfterHundred)
{
    EXPECT_EQ(NextFolderProgress(0), 1);
    EXPECT_EQ(NextFolderProgress(99), 100);
    EXPECT_EQ(NextFolderProgress(100), 0);
}

// A tree as the system would list it: folder -> entries in enumeration order.
struct FakeTree {
    std::map<std::string, std::vector<TFolderEntry>> folders;
    std::vector<std::string> events;

    static bool Matches(const std::string& name, const std::string& mask)
    {
        if (mask == "*")
            return true;
        if (mask.rfind("*.", 0) == 0)
            return name.size() > mask.size() - 1 &&
                   name.compare(name.size() - (mask.size() - 1), std::string::npos,
                                mask.substr(1)) == 0;
        return name == mask;
    }
    TFindAllFilesSeams Seams(int stopAfterFiles = -1)
    {
        TFindAllFilesSeams s;
        s.List = [this](const std::string& pattern, std::vector<TFolderEntry>& out) {
            const TFilePattern p = SplitFilePattern(pattern);
            for (const TFolderEntry& e : folders[p.Folder])
                if (Matches(e.Name, p.Mask))
                    out.push_back(e);
        };
        s.FolderEntered = [this] { events.push_back("folder"); };
        s.FileFound = [this](const std::string& path) { events.push_back(path); };
        s.Stopped = [this, stopAfterFiles] {
            return stopAfterFiles >= 0 && static_cast<int>(events.size()) >= stopAfterFiles;
        };
        return s;
    }
};

TEST(SystemQueryText, FindAllFilesOrder)
{
    FakeTree tree;
    tree.folders["C:\\r\\"] = {{".", true},          {"..", true},       {"b.txt", false},
                               {"sub", true},        {"a b.txt", false}, {"x.log", false},
                               {"link", true, true}, {"two", true}};
    tree.folders["C:\\r\\sub\\"] = {{".", true}, {"..", true}, {"in.txt", false}, {"deep", true}};
    tree.folders["C:\\r\\sub\\deep\\"] = {{"d.txt", false}};
    tree.folders["C:\\r\\two\\"] = {};
    tree.folders["C:\\r\\link\\"] = {{"outside.txt", false}};

    struct Case {
        bool subfolders, folders;
        std::string joined;
    } cases[] = {
        {false, false, "C:\\r\\b.txt|\"C:\\r\\a b.txt\""},
        {false, true, "C:\\r\\sub|C:\\r\\link|C:\\r\\two|C:\\r\\b.txt|\"C:\\r\\a b.txt\""},
        {true, false, "C:\\r\\sub\\deep\\d.txt|C:\\r\\sub\\in.txt|C:\\r\\b.txt|\"C:\\r\\a b.txt\""},
        {true, true,
         "C:\\r\\sub\\deep\\d.txt|C:\\r\\sub\\deep|C:\\r\\sub\\in.txt|C:\\r\\sub|C:\\r\\link|"
         "C:\\r\\two|C:\\r\\b.txt|\"C:\\r\\a b.txt\""},
    };
    for (const Case& c : cases) {
        tree.events.clear();
        const auto found =
            FindAllFiles(SplitFilePattern("C:\\r\\*.txt"), c.subfolders, c.folders, tree.Seams());
        EXPECT_EQ(JoinFoundPaths(found), c.joined);
    }
    // Every folder listed is announced, every file found reported, in order.
    EXPECT_EQ(tree.events, (std::vector<std::string>{
                               "folder", "folder", "folder", "C:\\r\\sub\\deep\\d.txt",
                               "C:\\r\\sub\\in.txt", "folder", "C:\\r\\b.txt", "C:\\r\\a b.txt"}));
    // A mask that matches everything lists each folder once, with the same answer.
    int listings = 0;
    TFindAllFilesSeams counting = tree.Seams();
    counting.List = [&listings, list = counting.List](const std::string& pattern,
                                                      std::vector<TFolderEntry>& out) {
        ++listings;
        list(pattern, out);
    };
    EXPECT_EQ(JoinFoundPaths(FindAllFiles(SplitFilePattern("C:\\r\\*.*"), true, false, counting)),
              "C:\\r\\sub\\deep\\d.txt|C:\\r\\sub\\in.txt|C:\\r\\b.txt|\"C:\\r\\a "
              "b.txt\"|C:\\r\\x.log");
    EXPECT_EQ(listings, 4);
    // A stop request ends the listing where it stands.
    tree.events.clear();
    const auto partial = FindAllFiles(SplitFilePattern("C:\\r\\*.txt"), true, false, tree.Seams(4));
    EXPECT_EQ(partial, (std::vector<std::string>{"C:\\r\\sub\\deep\\d.txt"}));
}

TEST(SystemQueryText, ListEntriesQuotedWhereNeeded)
{
    struct Case {
        std::string entry, quoted;
    } cases[] = {
        {"C:\\plain.txt", "C:\\plain.txt"},
        {"C:\\with blank.txt", "\"C:\\with blank.txt\""},
        {"C:\\tab\there", "\"C:\\tab\there\""},
        {"C:\\say \"hi\".txt", "\"C:\\say \"\"hi\"\".txt\""},
        {"C:\\a|b", "\"C:\\a|b\""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuotedListEntry(c.entry), c.quoted);
    EXPECT_EQ(SplitFilePattern("C:\\dir\\*.txt").Folder, "C:\\dir\\");
    EXPECT_EQ(SplitFilePattern("C:\\dir\\*.txt").Mask, "*.txt");
    EXPECT_EQ(SplitFilePattern("C:*.txt").Folder, "C:");
    EXPECT_EQ(SplitFilePattern("*.txt").Folder, "");
}

} // namespace
} // namespace ovd
