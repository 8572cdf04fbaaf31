// Web media builds under Wine against nginx on loopback (the webmedia_nginx fixture): the
// blocks are downloaded by urlmon (the HTTP client once urlmon reaches no server), extracted
// into the engine cache and installed by the real installer from there; a fetched block is
// never fetched again, an uninstall fetches nothing, a block beside the setup needs no
// request, failing addresses follow ABORTONERROR, the retry forms answer, the system's
// ReceiveTimeout is 10000 only while urlmon may run, and a download cancelled from the
// progress page resumes 2048 bytes before the end of the partial file.
#include "UiDriver.h"
#include "ovdtest.h"

#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kProductCode = "{5A1B2C3D-0000-4000-8000-00000000A281}";
constexpr const char* kRevision = "{5A1B2C3D-0000-4000-8000-00000000A282}";
constexpr const char* kBigProductCode = "{5A1B2C3D-0000-4000-8000-00000000A283}";
constexpr const char* kBigRevision = "{5A1B2C3D-0000-4000-8000-00000000A284}";
constexpr const char* kAgent = "Mozilla/3.0 (compatible)";
constexpr const char* kInternetSettings =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kTakeOver = "<WebMedia>The lightweight downloader cannot be used: ";

// The count of "<n> bytes received" in a progress text (thousands separated); 0 without.
std::uint64_t ReceivedCount(const std::string& text)
{
    const std::size_t at = text.find(" bytes received");
    if (at == std::string::npos)
        return 0;
    std::size_t from = at;
    while (from > 0 &&
           (std::isdigit(static_cast<unsigned char>(text[from - 1])) || text[from - 1] == ','))
        --from;
    std::uint64_t count = 0;
    for (std::size_t i = from; i < at; ++i) {
        if (text[i] != ',')
            count = count * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    return count;
}

std::optional<DWORD> ReceiveTimeout()
{
    return ovdtest::ReadRegistryDword(HKEY_CURRENT_USER, kInternetSettings, "ReceiveTimeout");
}

// The user's ReceiveTimeout as the test wants it before a run: a value, or none.
void SetReceiveTimeout(std::optional<DWORD> value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value)
        RegSetValueExA(key, "ReceiveTimeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                       sizeof(DWORD));
    else
        RegDeleteValueA(key, "ReceiveTimeout");
    RegCloseKey(key);
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// One line of nginx's access log: request|status|range|agent|bytes.
struct Request {
    std::string Line, Status, Range, Agent;
};

class WebMedia : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto port = ovdtest::ReadFileBytes(Server() + "port");
        ASSERT_TRUE(port.has_value()) << "nginx is not running (fixture webmedia_nginx)";
        base_ = "http://127.0.0.1:" + Trimmed(*port) + "/";
        work_ = ovdtest::PrepareRunFolder(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        app_ = work_ + "\\app";
        out_ = work_ + "\\result.txt";
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        RemoveLeftovers();
        for (const char* block : {"DOCS", "TOOLS"})
            ASSERT_TRUE(
                CopyFileA(Package("product", std::string("web\\") + block + ".7zip").c_str(),
                          (Server() + "www\\" + block + ".7zip").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(Package("product", "web\\EXTRA.7zip").c_str(),
                              (Server() + "www\\EXTRA.7zip").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(Package("big", "web\\BIG.7zip").c_str(),
                              (Server() + "www\\BIG.7zip").c_str(), FALSE));
    }
    void TearDown() override { RemoveLeftovers(); }

    static std::string Server() { return ovdtest::TestOutDir() + "\\nginx\\"; }
    // The extraction folder that every setup shared in TEMP.
    static std::string Shared()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + "zovr\\";
    }
    static std::string Package(const std::string& name, const std::string& file = "setup.exe")
    {
        return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\" + file;
    }
    static std::string Cache(const char* revision, bool allUsers = true)
    {
        return ShellFolder(allUsers ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA) + "\\" +
               revision + "\\";
    }

    void RemoveLeftovers()
    {
        for (const char* product : {kProductCode, kBigProductCode}) {
            if (MsiQueryProductStateA(product) == INSTALLSTATE_DEFAULT)
                MsiConfigureProductExA(product, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                                       "REMOVE=ALL");
        }
        // The engine's note of an installed product's cache (32-bit view) would pin the
        // cache folder.
        for (const char* product : {kProductCode, kBigProductCode}) {
            const std::string key =
                std::string("SOFTWARE\\Veldmark\\Ordovan\\Ident.Cache\\") + product;
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
                RegDeleteKeyExA(root, key.c_str(), KEY_WOW64_32KEY, 0);
        }
        for (const char* revision : {kRevision, kBigRevision}) {
            for (const bool allUsers : {true, false})
                ovdtest::RunProgram("cmd.exe /c rd /s /q \"" + Cache(revision, allUsers) + "\"",
                                    30000);
        }
    }

    // Runs a setup with the test's folders; its output line.
    std::string Run(const std::string& setup, const std::string& switches,
                    const std::string& baseUrl)
    {
        DeleteFileA(out_.c_str());
        const auto result =
            ovdtest::RunProgram("\"" + setup + "\" " + allUsers_ + "\"APPDIR=" + app_ +
                                    "\" \"OUTFILE=" + out_ + "\" \"BASEURL=" + baseUrl +
                                    "\" \"/l=" + work_ + "\\trace.log\" " + vars_ + " " + switches,
                                180000);
        EXPECT_FALSE(result.timedOut) << switches;
        return Trimmed(ovdtest::ReadFileBytes(out_).value_or("(no result)"));
    }

    std::string Trace() const { return ovdtest::ReadLogText(work_ + "\\trace.log"); }

    // Starts a setup that shows its forms (not silent); the caller waits for it.
    HANDLE Start(const std::string& setup, const std::string& switches, const std::string& baseUrl)
    {
        DeleteFileA(out_.c_str());
        return ovdtest::StartProgram("\"" + setup + "\" " + allUsers_ + "\"APPDIR=" + app_ +
                                     "\" \"OUTFILE=" + out_ + "\" \"BASEURL=" + baseUrl +
                                     "\" \"/l=" + work_ + "\\trace.log\" " + vars_ + " " +
                                     switches);
    }

    // The access log's lines since the last call.
    std::vector<Request> NewRequests()
    {
        const std::string log = ovdtest::ReadFileBytes(Server() + "access.log").value_or("");
        std::vector<Request> requests;
        for (std::size_t at = seen_; at < log.size();) {
            const std::size_t end = log.find('\n', at);
            if (end == std::string::npos)
                break;
            std::vector<std::string> fields;
            std::string line = log.substr(at, end - at);
            for (std::size_t from = 0;;) {
                const std::size_t bar = line.find('|', from);
                fields.push_back(line.substr(from, bar - from));
                if (bar == std::string::npos)
                    break;
                from = bar + 1;
            }
            fields.resize(5);
            requests.push_back({fields[0], fields[1], fields[2], fields[3]});
            at = end + 1;
            seen_ = at;
        }
        return requests;
    }
    // "GET /DOCS.7zip 200" for each request.
    static std::vector<std::string> Summary(const std::vector<Request>& requests)
    {
        std::vector<std::string> lines;
        for (const Request& r : requests) {
            const std::size_t cut = r.Line.rfind(' ');
            lines.push_back(r.Line.substr(0, cut) + " " + r.Status);
        }
        return lines;
    }

    std::string base_, work_, app_, out_;
    // A value given on the command line stays in silent mode: the test of a change of
    // ALLUSERS during the run leaves it to the script.
    std::string allUsers_ = "ALLUSERS=TRUE ";
    std::string vars_ = "PERUSER=FALSE TABLE=FALSE";
    std::size_t seen_ = 0;
};

// urlmon downloads while it works: one GET an address, the system's agent, the HTTP
// client never asked; the ReceiveTimeout it ran with is gone again afterwards.
TEST_F(WebMedia, InstallsFromTheServerFetchesOnceAndRemovalFetchesNothing)
{
    SetReceiveTimeout(std::nullopt);
    // What another setup extracting at the same time would have in the shared TEMP.
    CreateDirectoryA(Shared().c_str(), nullptr);
    CreateDirectoryA((Shared() + "Other").c_str(), nullptr);
    ASSERT_TRUE(ovdtest::WriteFileBytes(Shared() + "Other\\canary.txt", "another setup's"));
    NewRequests();
    ASSERT_EQ(Run(Package("product"), "/s INSTALL=TRUE UNINSTALL=FALSE", base_), "COMPLETE|FALSE");
    const std::vector<Request> first = NewRequests();
    EXPECT_EQ(Summary(first),
              (std::vector<std::string>{"GET /DOCS.7zip 200",
                                        "GET /missing.7zip 404", // the first address of TOOLS
                                        "GET /TOOLS.7zip 200"}));
    for (const Request& r : first)
        EXPECT_NE(r.Agent, kAgent) << r.Line;
    const std::string trace = Trace();
    EXPECT_NE(trace.find("<WebMedia>DOCS downloaded (urlmon)</WebMedia>"), std::string::npos);
    EXPECT_NE(trace.find("<WebMedia>TOOLS downloaded (urlmon)</WebMedia>"), std::string::npos);
    EXPECT_EQ(trace.find(kTakeOver), std::string::npos);
    EXPECT_EQ(ReceiveTimeout(), std::nullopt);
    // Installed from the blocks (the first with its password), the blocks marked, the
    // downloaded archives gone.
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\readme.txt"), "Read me first.\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\sub\\guide.txt"), "The guide.\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\tools\\tool.txt"), "A tool.\r\n");
    const std::string cache = Cache(kRevision);
    EXPECT_TRUE(ovdtest::FileExists(cache + "DOCS\\" + kRevision));
    EXPECT_TRUE(ovdtest::FileExists(cache + "TOOLS\\" + kRevision));
    EXPECT_FALSE(ovdtest::FileExists(cache + "DOCS.7zip"));

    // The blocks were extracted in the run's own folder: another setup's extraction in the
    // shared TEMP stayed as it was.
    EXPECT_EQ(ovdtest::ReadFileBytes(Shared() + "Other\\canary.txt"), "another setup's");
    DeleteFileA((Shared() + "Other\\canary.txt").c_str());
    RemoveDirectoryA((Shared() + "Other").c_str());
    RemoveDirectoryA(Shared().c_str());

    // The same setup again finds the markers; an uninstall fetches nothing.
    EXPECT_EQ(Run(Package("product"), "/s INSTALL=TRUE UNINSTALL=FALSE", base_), "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{});
    EXPECT_EQ(Run(Package("product"), "/s INSTALL=FALSE UNINSTALL=TRUE REMOVE=TRUE", base_),
              "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{});
    for (const char* file : {"\\docs\\readme.txt", "\\docs\\sub\\guide.txt", "\\tools\\tool.txt"})
        EXPECT_FALSE(ovdtest::FileExists(app_ + file)) << file;
}

// Addresses other than http and https (a file address here, as ftp or a share would be)
// are fetched by urlmon alone: a missing file is that address's failure, the next address
// serves, and no server is asked.
TEST_F(WebMedia, AFileAddressIsFetchedWithoutAServer)
{
    const std::string folder = work_ + "\\files\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* block : {"DOCS.7zip", "TOOLS.7zip"})
        ASSERT_TRUE(CopyFileA(Package("product", std::string("web\\") + block).c_str(),
                              (folder + block).c_str(), FALSE));
    std::string base = "file:///" + folder;
    std::replace(base.begin(), base.end(), '\\', '/');
    NewRequests();
    ASSERT_EQ(Run(Package("product"), "/s INSTALL=TRUE UNINSTALL=FALSE", base), "COMPLETE|FALSE")
        << Trace();
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{});
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\readme.txt"), "Read me first.\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\tools\\tool.txt"), "A tool.\r\n");
    const std::string trace = Trace();
    EXPECT_NE(trace.find("<WebMedia>TOOLS downloaded (urlmon)</WebMedia>"), std::string::npos)
        << trace;
    EXPECT_EQ(trace.find(kTakeOver), std::string::npos);
}

// Blocks beside the setup program serve without a request; one that does not extract is
// replaced by a download (the user's Download) and not used again.
TEST_F(WebMedia, BlocksBesideTheSetupAreUsedWithoutARequest)
{
    const std::string media = work_ + "\\media\\";
    CreateDirectoryA(media.c_str(), nullptr);
    for (const char* file : {"setup.exe", "setup.res", "setup.msi", "ovd.lib"})
        ASSERT_TRUE(CopyFileA(Package("product", file).c_str(), (media + file).c_str(), FALSE));
    for (const char* block : {"DOCS.7zip", "TOOLS.7zip"})
        ASSERT_TRUE(CopyFileA(Package("product", std::string("web\\") + block).c_str(),
                              (media + block).c_str(), FALSE));
    NewRequests();
    ASSERT_EQ(Run(media + "setup.exe", "/s INSTALL=TRUE UNINSTALL=FALSE", base_), "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{});
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\readme.txt"), "Read me first.\r\n");
    EXPECT_TRUE(ovdtest::FileExists(media + "DOCS.7zip")); // a local archive is kept

    // A damaged block beside the setup: the retry form, answered with its Download, has a
    // fresh copy downloaded.
    RemoveLeftovers();
    ASSERT_TRUE(ovdtest::WriteFileBytes(media + "DOCS.7zip", "7z damaged"));
    DeleteFileA(out_.c_str());
    const HANDLE setup = Start(media + "setup.exe", "INSTALL=TRUE UNINSTALL=FALSE", base_);
    ASSERT_NE(setup, nullptr);
    const HWND form =
        ovdtest::WaitForWindowOf(GetProcessId(setup), "#32770", "Retry Extraction?", 60000);
    ASSERT_NE(form, nullptr);
    const HWND download =
        ovdtest::FindControl(form, "Button", "Download a fresh copy of the installation data.");
    ASSERT_NE(download, nullptr);
    EXPECT_TRUE(ovdtest::IsChecked(download));
    EXPECT_NE(
        ovdtest::FindControl(form, "Button", "Try to extract the existing download data again."),
        nullptr);
    ovdtest::Press(ovdtest::FindControl(form, "Button", "OK"));
    EXPECT_EQ(ovdtest::WaitForExitCode(setup, 120000), 0u);
    EXPECT_EQ(Trimmed(ovdtest::ReadFileBytes(out_).value_or("(no result)")), "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{"GET /DOCS.7zip 200"});
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\sub\\guide.txt"), "The guide.\r\n");
    // "The archive cannot be opened" was tried nine times more at once before the form.
    const std::string trace = Trace();
    std::size_t failures = 0;
    for (std::size_t at = trace.find("<WebMedia>DOCS not extracted: The archive cannot be opened");
         at != std::string::npos;
         at = trace.find("<WebMedia>DOCS not extracted: The archive cannot be opened", at + 1))
        ++failures;
    EXPECT_EQ(failures, 10u);
}

// ALLUSERS turned off between two blocks: the block fetched into the all-users cache moves
// into the per-user one (the files of the old folder itself stay), where the second block
// joins it and the installer finds both; COPYWEBLOCK keeps a copy of each archive.
TEST_F(WebMedia, AnAllUsersChangeMovesTheFetchedBlocksAlong)
{
    const std::string machine = Cache(kRevision, true), user = Cache(kRevision, false);
    const std::string copies = work_ + "\\copies\\";
    CreateDirectoryA(copies.c_str(), nullptr);
    for (const char* block : {"DOCS.7zip", "TOOLS.7zip"})
        DeleteFileA((copies + block).c_str());
    CreateDirectoryA(machine.c_str(), nullptr);
    ASSERT_TRUE(ovdtest::WriteFileBytes(machine + "keep.txt", "not a block"));
    vars_ = "PERUSER=TRUE TABLE=FALSE";
    allUsers_.clear();
    NewRequests();
    ASSERT_EQ(Run(Package("product"),
                  "/s INSTALL=TRUE UNINSTALL=FALSE \"COPYWEBLOCK=" + copies + "\"", base_),
              "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()),
              (std::vector<std::string>{"GET /DOCS.7zip 200", "GET /missing.7zip 404",
                                        "GET /TOOLS.7zip 200"}));
    EXPECT_NE(Trace().find("<WebMedia>Cache moves from " + machine + " to " + user),
              std::string::npos);
    for (const char* file : {"DOCS\\readme.txt", "DOCS\\sub\\guide.txt", "TOOLS\\tool.txt"}) {
        EXPECT_TRUE(ovdtest::FileExists(user + file)) << file;
        EXPECT_FALSE(ovdtest::FileExists(machine + file)) << file;
    }
    EXPECT_TRUE(ovdtest::FileExists(user + "DOCS\\" + kRevision));
    EXPECT_FALSE(ovdtest::FileExists(machine + "DOCS"));
    EXPECT_EQ(ovdtest::ReadFileBytes(machine + "keep.txt"), "not a block");
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\docs\\readme.txt"), "Read me first.\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\tools\\tool.txt"), "A tool.\r\n");
    for (const char* block : {"DOCS.7zip", "TOOLS.7zip"})
        EXPECT_EQ(ovdtest::ReadFileBytes(copies + block),
                  ovdtest::ReadFileBytes(Package("product", std::string("web\\") + block)))
            << block;
}

// The offline media table's two records of one file: the first moves it out of the block
// into its folder, the second (the file gone from the block) copies the first's result.
TEST_F(WebMedia, TheOfflineMediaTablePlacesABlocksFiles)
{
    vars_ = "PERUSER=FALSE TABLE=TRUE";
    NewRequests();
    ASSERT_EQ(Run(Package("product"), "/s INSTALL=TRUE UNINSTALL=FALSE", base_), "COMPLETE|FALSE");
    EXPECT_EQ(Summary(NewRequests()),
              (std::vector<std::string>{"GET /DOCS.7zip 200", "GET /missing.7zip 404",
                                        "GET /TOOLS.7zip 200", "GET /EXTRA.7zip 200"}));
    const std::string cache = Cache(kRevision);
    for (const char* placed : {"placed\\one\\note.txt", "placed\\two\\note.txt"})
        EXPECT_EQ(ovdtest::ReadFileBytes(cache + placed), "A note placed twice.\r\n") << placed;
    EXPECT_FALSE(ovdtest::FileExists(cache + "EXTRA\\notes\\note.txt"));
    EXPECT_TRUE(ovdtest::FileExists(cache + "EXTRA\\" + kRevision));
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\extra\\keep.txt"), "Kept in the block.\r\n");
}

// A server that urlmon cannot reach: the HTTP client takes over for the rest of the run,
// and the proxy form's values take its downloads through a proxy that requires them.
TEST_F(WebMedia, TheProxyFormsValuesReachTheProxy)
{
    const auto proxyPort = ovdtest::ReadFileBytes(Server() + "proxy-port");
    ASSERT_TRUE(proxyPort.has_value());
    NewRequests();
    const HANDLE setup =
        Start(Package("product"), "INSTALL=TRUE UNINSTALL=FALSE", "http://ovd-nowhere.invalid/");
    ASSERT_NE(setup, nullptr);
    const HWND form =
        ovdtest::WaitForWindowOf(GetProcessId(setup), "#32770", "Retry Download?", 90000);
    ASSERT_NE(form, nullptr);
    const std::vector<HWND> edits = ovdtest::Controls(form, "Edit");
    ASSERT_EQ(edits.size(), 4u);
    const std::string values[] = {"127.0.0.1", Trimmed(*proxyPort), "ovduser", "ovdpass"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ovdtest::TextOf(edits[i]), ""); // empty until the user fills them in
        ovdtest::Type(edits[i], values[i]);
    }
    ovdtest::Press(ovdtest::FindControl(form, "Button", "Yes"));
    EXPECT_EQ(ovdtest::WaitForExitCode(setup, 120000), 0u);
    EXPECT_EQ(Trimmed(ovdtest::ReadFileBytes(out_).value_or("(no result)")), "COMPLETE|FALSE");
    std::vector<std::string> granted;
    for (const Request& r : NewRequests()) {
        if (r.Status == "407")
            continue;
        // Wine's client names the default port in the request line; Windows' does not.
        std::string line = r.Line.substr(0, r.Line.rfind(' '));
        if (const std::size_t port = line.find(".invalid:80/"); port != std::string::npos)
            line.erase(port + 8, 3);
        granted.push_back(line + " " + r.Status);
    }
    const std::string trace = Trace();
    EXPECT_NE(trace.find(kTakeOver), std::string::npos);
    EXPECT_EQ(trace.find(kTakeOver), trace.rfind(kTakeOver)) << "taken over once for the run";
    EXPECT_NE(trace.find("<WebMedia>TOOLS downloaded (HTTP client)</WebMedia>"), std::string::npos);
    EXPECT_EQ(granted, (std::vector<std::string>{"HEAD http://ovd-nowhere.invalid/DOCS.7zip 200",
                                                 "GET http://ovd-nowhere.invalid/DOCS.7zip 200",
                                                 "HEAD http://ovd-nowhere.invalid/missing.7zip 404",
                                                 "HEAD http://ovd-nowhere.invalid/TOOLS.7zip 200",
                                                 "GET http://ovd-nowhere.invalid/TOOLS.7zip 200"}));
    EXPECT_EQ(ovdtest::ReadFileBytes(app_ + "\\tools\\tool.txt"), "A tool.\r\n");
}

// Every address failing: a missing file, a redirect to another scheme (refused without a
// request there), a redirect that leads to the file (followed).
TEST_F(WebMedia, FailingAddressesFollowAbortOnError)
{
    struct Case {
        const char* name;
        std::string baseUrl;
        const char* abortOnError;
        const char* output; // "" : the run ended before it
        std::vector<std::string> requests;
    } cases[] = {
        {"missing", base_ + "nothing/", "FALSE", "COMPLETE|TRUE", {"GET /nothing/DOCS.7zip 404"}},
        {"missing, abort",
         base_ + "nothing/",
         "TRUE",
         "(no result)",
         {"GET /nothing/DOCS.7zip 404"}},
        {"redirect to ftp", base_ + "ftp/", "FALSE", "COMPLETE|TRUE", {"GET /ftp/DOCS.7zip 302"}},
        {"redirect",
         base_ + "redirect/",
         "FALSE",
         "COMPLETE|FALSE",
         {"GET /redirect/DOCS.7zip 302", "GET /DOCS.7zip 200", "GET /redirect/missing.7zip 302",
          "GET /missing.7zip 404", "GET /redirect/TOOLS.7zip 302", "GET /TOOLS.7zip 200"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveLeftovers();
        NewRequests();
        EXPECT_EQ(Run(Package("product"),
                      std::string("/s INSTALL=TRUE UNINSTALL=FALSE ABORTONERROR=") + c.abortOnError,
                      c.baseUrl),
                  c.output);
        EXPECT_EQ(Summary(NewRequests()), c.requests);
    }
}

// Cancel on the progress page while urlmon downloads from the slow location: the run ends
// as a cancel through the worker's wait, ReceiveTimeout is 10000 while urlmon runs and the
// user's value again afterwards, and what arrived stays. Run again, the HTTP client
// continues the partial file 2048 bytes before its end, and the result is the block's
// file byte for byte. The package keeps no sources: the block goes after the run, the
// cached engine stays.
TEST_F(WebMedia, ACancelledDownloadResumes2048BytesBeforeTheEnd)
{
    const std::string partial = Cache(kBigRevision) + "BIG.7zip";
    const auto whole = ovdtest::ReadFileBytes(Package("big", "web\\BIG.7zip"));
    ASSERT_TRUE(whole.has_value());
    SetReceiveTimeout(4321);
    NewRequests();
    const HANDLE setup =
        Start(Package("big"), "INSTALL=TRUE UNINSTALL=FALSE UI=TRUE", base_ + "slow/");
    ASSERT_NE(setup, nullptr);
    const DWORD pid = GetProcessId(setup);
    const HWND page =
        ovdtest::WaitForWindowOf(pid, "TPoolTemplate", "Web Media Test - Downloading", 60000);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ovdtest::WaitUntil([] { return ReceiveTimeout() == 10000u; }, 30000));
    // Cancelled once a good part has arrived (the page shows the received count).
    EXPECT_TRUE(ovdtest::WaitUntil(
        [&] {
            for (HWND control : ovdtest::Controls(page, "")) {
                if (ReceivedCount(ovdtest::TextOf(control)) >= 300000)
                    return true;
            }
            return false;
        },
        60000));
    ovdtest::Press(ovdtest::FindControl(page, "Button", "Cancel"));
    // The question, then the download error: each answered until the run has ended.
    while (WaitForSingleObject(setup, 0) == WAIT_TIMEOUT) {
        const HWND box = ovdtest::WaitForWindowOf(pid, "#32770", "", 2000);
        if (box != nullptr)
            PostMessageA(box, WM_COMMAND, ovdtest::FindControl(box, "Button", "Yes") ? IDYES : IDOK,
                         0);
    }
    const DWORD exitCode = ovdtest::WaitForExitCode(setup, 60000);
    const std::string firstTrace = Trace();
    EXPECT_EQ(exitCode, 0u) << firstTrace.substr(firstTrace.size() > 600 ? firstTrace.size() - 600
                                                                         : 0);
    EXPECT_EQ(ovdtest::ReadFileBytes(out_), std::nullopt) << "ABORTONERROR ends the run";
    EXPECT_NE(firstTrace.find("<WebMedia>BIG not downloaded: cancelled</WebMedia>"),
              std::string::npos);
    EXPECT_EQ(ReceiveTimeout(), 4321u);
    std::vector<Request> requests = NewRequests();
    ASSERT_EQ(Summary(requests), std::vector<std::string>{"GET /slow/BIG.7zip 200"});
    EXPECT_NE(requests[0].Agent, kAgent);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(partial.c_str(), GetFileExInfoStandard, &data));
    const std::uint64_t kept = data.nFileSizeLow;
    ASSERT_GT(kept, 2048u);
    ASSERT_LT(kept, whole->size()) << "the download was not interrupted";
    EXPECT_EQ(*ovdtest::ReadFileBytes(partial), whole->substr(0, kept));

    ASSERT_EQ(Run(Package("big"), "/s INSTALL=TRUE UNINSTALL=FALSE UI=FALSE", base_),
              "COMPLETE|FALSE");
    requests = NewRequests();
    ASSERT_EQ(Summary(requests),
              (std::vector<std::string>{"HEAD /BIG.7zip 200", "GET /BIG.7zip 206"}));
    EXPECT_EQ(requests[1].Range, "bytes=" + std::to_string(kept - 2048) + "-");
    EXPECT_EQ(requests[1].Agent, kAgent);
    const auto installed = ovdtest::ReadFileBytes(app_ + "\\big\\data.bin");
    const auto original = ovdtest::ReadFileBytes(
        ovdtest::BuildDir() + "\\tests\\e2e\\webmedia\\bigsrc\\blocks\\big\\data.bin");
    ASSERT_TRUE(installed.has_value() && original.has_value());
    EXPECT_EQ(installed->size(), original->size());
    EXPECT_TRUE(*installed == *original);
    // The package keeps no sources: the block goes at the end of the run, the engine
    // cached for the uninstall entry stays (as the partial download stayed above).
    EXPECT_FALSE(ovdtest::FileExists(Cache(kBigRevision) + "BIG"));
    for (const char* file : {"setup.exe", "setup.res", "setup.msi", "ovd.lib"})
        EXPECT_TRUE(ovdtest::FileExists(Cache(kBigRevision) + file)) << file;
    SetReceiveTimeout(std::nullopt);
}

// A leftover that is no archive (a portal's page saved in its place) is not continued:
// the block comes whole, from its start.
TEST_F(WebMedia, ALeftoverThatIsNoArchiveIsNotContinued)
{
    const std::string leftover = Cache(kBigRevision) + "BIG.7zip";
    CreateDirectoryA(Cache(kBigRevision).c_str(), nullptr);
    ASSERT_TRUE(ovdtest::WriteFileBytes(leftover, "<html>" + std::string(5000, 'x') + "</html>"));
    NewRequests();
    ASSERT_EQ(Run(Package("big"), "/s INSTALL=TRUE UNINSTALL=FALSE UI=FALSE", base_),
              "COMPLETE|FALSE")
        << Trace();
    EXPECT_EQ(Summary(NewRequests()), std::vector<std::string>{"GET /BIG.7zip 200"});
    const auto installed = ovdtest::ReadFileBytes(app_ + "\\big\\data.bin");
    const auto original = ovdtest::ReadFileBytes(
        ovdtest::BuildDir() + "\\tests\\e2e\\webmedia\\bigsrc\\blocks\\big\\data.bin");
    ASSERT_TRUE(installed.has_value() && original.has_value());
    EXPECT_TRUE(*installed == *original);
}

// Every address failing while urlmon serves: its retry form (Resume checked) asks again;
// a New copy is downloaded again from the first address, Cancel raises the download error.
TEST_F(WebMedia, UrlmonsRetryFormRetriesOrGivesUp)
{
    NewRequests();
    const HANDLE setup = Start(
        Package("product"), "INSTALL=TRUE UNINSTALL=FALSE ABORTONERROR=FALSE", base_ + "nothing/");
    ASSERT_NE(setup, nullptr);
    const DWORD pid = GetProcessId(setup);
    for (const char* answer : {"Download a new copy of the data instead?", "Cancel"}) {
        SCOPED_TRACE(answer);
        const HWND form = ovdtest::WaitForWindowOf(pid, "#32770", "Retry Download?", 60000);
        ASSERT_NE(form, nullptr);
        const HWND resume =
            ovdtest::FindControl(form, "Button", "Try to resume the broken download?");
        ASSERT_NE(resume, nullptr);
        EXPECT_TRUE(ovdtest::IsChecked(resume));
        EXPECT_TRUE(ovdtest::Controls(form, "Edit").empty()) << "not the proxy form";
        if (std::string(answer) != "Cancel") {
            ovdtest::Press(ovdtest::FindControl(form, "Button", answer));
            ASSERT_TRUE(ovdtest::WaitUntil(
                [&] { return ovdtest::IsChecked(ovdtest::FindControl(form, "Button", answer)); },
                5000));
        }
        ovdtest::Press(ovdtest::FindControl(form, "Button",
                                            std::string(answer) == "Cancel" ? "Cancel" : "OK"));
        ASSERT_TRUE(ovdtest::WaitUntil([&] { return !IsWindow(form); }, 10000));
    }
    // The download error, shown once; ABORTONERROR is false, so the run goes on.
    const HWND box = ovdtest::WaitForWindowOf(pid, "#32770", "", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(ovdtest::FindControl(box, "", "Unable to download installation data from the web"),
              nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ovdtest::WaitForExitCode(setup, 60000), 0u);
    EXPECT_EQ(Trimmed(ovdtest::ReadFileBytes(out_).value_or("(no result)")), "COMPLETE|TRUE");
    EXPECT_EQ(Summary(NewRequests()), (std::vector<std::string>{"GET /nothing/DOCS.7zip 404",
                                                                "GET /nothing/DOCS.7zip 404"}));
}

} // namespace
