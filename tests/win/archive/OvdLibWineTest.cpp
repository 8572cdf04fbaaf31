// ovd.lib bound as the engine binds it, under Wine: 7zz's archives extract byte for byte as
// 7zz extracts them; failures give the documented codes; callbacks follow their protocols.
#include <gtest/gtest.h>

#include <algorithm>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ovdlib.h"
#include "ovdtest.h"

namespace {

namespace fs = std::filesystem;

struct Api {
    HMODULE module = nullptr;
    OVD_PFN_OpenListArchive openList = nullptr;
    OVD_PFN_CloseListArchive closeList = nullptr;
    OVD_PFN_ExtractArchive extract = nullptr;
    OVD_PFN_GetLastArchiveError lastError = nullptr;

    explicit Api(const std::string& path)
    {
        module = LoadLibraryA(path.c_str());
        if (!module)
            return;
        auto get = [&](const char* name) {
            return reinterpret_cast<void*>(GetProcAddress(module, name));
        };
        openList = reinterpret_cast<OVD_PFN_OpenListArchive>(get(OVD_NAME_OpenListArchive));
        closeList = reinterpret_cast<OVD_PFN_CloseListArchive>(get(OVD_NAME_CloseListArchive));
        extract = reinterpret_cast<OVD_PFN_ExtractArchive>(get(OVD_NAME_ExtractArchive));
        lastError =
            reinterpret_cast<OVD_PFN_GetLastArchiveError>(get(OVD_NAME_GetLastArchiveError));
    }
    ~Api()
    {
        if (module)
            FreeLibrary(module);
    }
    bool Ok() const { return openList && closeList && extract && lastError; }
};

std::string Bin()
{
    return ovdtest::BuildDir() + "\\bin\\";
}
std::string Matrix()
{
    return ovdtest::TestOutDir() + "\\matrix\\";
}
std::string Out()
{
    return ovdtest::TestOutDir() + "\\out\\";
}

Api& Lib()
{
    static Api api(Bin() + OVD_LIBRARY_NAME);
    return api;
}

// The engine's callbacks, with counters for the tests.
std::string gStoredPassword;
int gPasswordCalls, gFileCalls, gContinueCalls, gOverwriteCalls;
int gContinueLimit = -1;
int32_t gOverwriteAnswer = OVD_OVERWRITE_YES_ALL;
std::vector<std::string> gFileNames;
std::string gOverwriteTarget;

int32_t OVD_STDCALL PasswordCallback(char* buffer)
{
    ++gPasswordCalls;
    if (gStoredPassword.empty())
        return 0;
    lstrcpynA(buffer, gStoredPassword.c_str(), OVD_PASSWORD_BUFFER);
    gStoredPassword.clear();
    return 1;
}
int32_t OVD_STDCALL FileCallback(const char* name, uint32_t, uint32_t, uint64_t, uint64_t)
{
    ++gFileCalls;
    if (name)
        gFileNames.push_back(name);
    return 1;
}
int32_t OVD_STDCALL ContinueCallback(uint64_t, uint64_t)
{
    ++gContinueCalls;
    return gContinueLimit < 0 || gContinueCalls <= gContinueLimit;
}
int32_t OVD_STDCALL OverwriteCallback(const char* target, uint64_t, uint32_t, uint32_t, const char*,
                                      uint64_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    ++gOverwriteCalls;
    gOverwriteTarget = target;
    return gOverwriteAnswer;
}

void ResetCallbacks()
{
    gStoredPassword.clear();
    gPasswordCalls = gFileCalls = gContinueCalls = gOverwriteCalls = 0;
    gContinueLimit = -1;
    gOverwriteAnswer = OVD_OVERWRITE_YES_ALL;
    gFileNames.clear();
}

struct Result {
    int32_t listError = 0;    // 0: listed
    int32_t extractError = 0; // 0: extracted
    std::vector<std::string> names;
};

// The engine's archive extraction: list with the password, then extract every listed name.
Result EngineExtract(const std::string& archive, const std::string& password,
                     const std::string& target, bool withoutFolderNames = false)
{
    Result r;
    Api& api = Lib();
    gStoredPassword = password;
    OVD_LISTENTRY* entries = nullptr;
    uint32_t count = 0;
    OVD_HANDLE h = api.openList(archive.c_str(), 0, PasswordCallback, nullptr, nullptr, nullptr,
                                password.c_str(), &entries, &count);
    if (!h) {
        r.listError = api.lastError(nullptr);
        return r;
    }
    for (uint32_t i = 0; i < count; ++i)
        r.names.emplace_back(entries[i].u.Name);
    api.closeList(h);
    std::vector<char*> pointers;
    for (auto& n : r.names)
        pointers.push_back(n.data());
    TSZW_TARGETFILES files = {pointers.data(), uint32_t(pointers.size())};
    gStoredPassword = password;
    if (!api.extract(archive.c_str(), OVD_OP_EXTRACT, target.c_str(), &files, withoutFolderNames,
                     password.c_str(), PasswordCallback, FileCallback, ContinueCallback,
                     OverwriteCallback))
        r.extractError = api.lastError(nullptr);
    return r;
}

fs::path Long(const std::string& windowsPath)
{
    std::wstring w(windowsPath.size() + 1, L'\0');
    w.resize(size_t(
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, w.data(), int(w.size())) - 1));
    wchar_t full[4096];
    GetFullPathNameW(w.c_str(), 4096, full, nullptr);
    return fs::path(std::wstring(L"\\\\?\\") + full);
}

std::string Slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Every file and folder below both roots, with file contents compared; returns the differences.
void Walk(const std::wstring& root, const std::wstring& rel, std::map<std::wstring, bool>& out)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + rel + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        bool dir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        out[rel + L"\\" + name] = dir;
        if (dir)
            Walk(root, rel + L"\\" + name, out);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::vector<std::wstring> CompareTrees(const fs::path& ref, const fs::path& out)
{
    std::map<std::wstring, bool> a, b; // relative path -> is folder
    Walk(ref.wstring(), L"", a);
    Walk(out.wstring(), L"", b);
    std::vector<std::wstring> diff;
    for (auto& [name, dir] : a) {
        auto it = b.find(name);
        if (it == b.end() || it->second != dir)
            diff.push_back(L"missing " + name);
        else if (!dir && Slurp(ref.wstring() + name) != Slurp(out.wstring() + name))
            diff.push_back(L"content " + name);
    }
    for (auto& [name, dir] : b)
        if (!a.count(name))
            diff.push_back(L"extra " + name);
    return diff;
}

void RemoveTree(const std::wstring& path)
{
    std::map<std::wstring, bool> all;
    Walk(path, L"", all);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        std::wstring p = path + it->first;
        SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (it->second)
            RemoveDirectoryW(p.c_str());
        else
            DeleteFileW(p.c_str());
    }
    RemoveDirectoryW(path.c_str());
}

void Clear(const std::string& windowsPath)
{
    RemoveTree(Long(windowsPath).wstring());
}

TEST(OvdLib, ExportsBindByPlainNames)
{
    ASSERT_TRUE(Lib().Ok());
}

TEST(OvdLib, ConformanceMatrixMatches7zz)
{
    ASSERT_TRUE(Lib().Ok());
    std::ifstream manifest(Long(Matrix() + "manifest.txt"));
    std::string line;
    int cases = 0;
    while (std::getline(manifest, line)) {
        std::string name = line.substr(0, line.find('|'));
        std::string password = line.substr(line.find('|') + 1);
        std::string target = Out() + "matrix\\" + name;
        Clear(target);
        ResetCallbacks();
        DWORD start = GetTickCount();
        Result r = EngineExtract(Matrix() + name + ".7z", password, target);
        DWORD extractMs = GetTickCount() - start;
        EXPECT_EQ(r.listError, 0) << name;
        EXPECT_EQ(r.extractError, 0) << name;
        EXPECT_EQ(size_t(gFileCalls), r.names.size()) << name << ": one file callback per entry";
        EXPECT_LE(gPasswordCalls, 2) << name;
        auto diff = CompareTrees(Long(Matrix() + "ref\\" + name), Long(target));
        EXPECT_TRUE(diff.empty()) << name << ": " << diff.size() << " differences, first: "
                                  << (diff.empty() ? "" : fs::path(diff[0]).string());
        std::printf("%-18s extract %5lu ms, clear+compare %5lu ms\n", name.c_str(), extractMs,
                    GetTickCount() - start - extractMs);
        ++cases;
    }
    EXPECT_EQ(cases, 12);
}

TEST(OvdLib, FailuresGiveTheirCodes)
{
    struct Case {
        const char* archive;
        const char* password;
        int32_t listError;
        int32_t extractError;
    } cases[] = {
        {"missing.7z", "", OVD_E_NOT_FOUND, 0},
        {"bad\\text.7z", "", OVD_E_CANNOT_OPEN, 0},
        {"bad\\truncated.7z", "", OVD_E_CORRUPT, 0},
        {"bad\\ppmd.7z", "", 0, OVD_E_UNSUPPORTED},
        {"aes_mhe.7z", "wrong", OVD_E_CANNOT_OPEN, 0},
        {"aes_mhe.7z", "", OVD_E_CANNOT_OPEN, 0},
        {"aes.7z", "wrong", 0, OVD_E_CANNOT_OPEN},
        {"bad\\unsafe.7z", "", 0, OVD_E_ILLEGAL_PATH},
        {"bad\\crc.7z", "", 0, OVD_E_CRC},
    };
    for (const auto& c : cases) {
        std::string target = Out() + "fail\\inner";
        Clear(Out() + "fail");
        ResetCallbacks();
        Result r = EngineExtract(Matrix() + c.archive, c.password, target);
        EXPECT_EQ(r.listError, c.listError) << c.archive;
        EXPECT_EQ(r.extractError, c.extractError) << c.archive;
        // Nothing half-written: no temporary files, and no file beside the target folder.
        std::map<std::wstring, bool> left;
        Walk(Long(Out() + "fail").wstring(), L"", left);
        for (auto& [name, dir] : left) {
            EXPECT_EQ(name.find(L"~tmp"), std::wstring::npos) << c.archive;
            EXPECT_EQ(name.rfind(L"\\inner", 0), 0u) << c.archive << " wrote outside";
        }
        // The entry that failed its check is not left under its name either.
        EXPECT_FALSE(fs::exists(Long(target + "\\b-damaged.txt"))) << c.archive;
    }
    // What came before the damage stays, complete.
    EXPECT_EQ(Slurp(Long(Out() + "fail\\inner\\a-intact.txt")), "first file, intact\n");
    char text[OVD_ERROR_TEXT_BUFFER];
    Result r = EngineExtract(Matrix() + "missing.7z", "", Out() + "x");
    EXPECT_EQ(Lib().lastError(text), OVD_E_NOT_FOUND);
    EXPECT_STREQ(text, "The archive file was not found");
}

TEST(OvdLib, UnsafeEntriesAreSkippedTheRestIsWritten)
{
    std::string target = Out() + "unsafe\\inner";
    Clear(Out() + "unsafe");
    Result r = EngineExtract(Matrix() + "bad\\unsafe.7z", "", target);
    EXPECT_EQ(r.extractError, OVD_E_ILLEGAL_PATH);
    EXPECT_EQ(Slurp(Long(target + "\\good.txt")), "good\n");
    EXPECT_FALSE(fs::exists(Long(Out() + "unsafe\\up.txt")));
    EXPECT_FALSE(ovdtest::FileExists("\\abs.txt"));
    EXPECT_FALSE(ovdtest::FileExists("C:\\drive.txt"));
    // Names the ANSI functions would read as other paths are not written either: nothing
    // but good.txt and the folder QQ (whose file was renamed) stands in the target.
    std::vector<std::wstring> written;
    for (const auto& entry : fs::directory_iterator(Long(target)))
        written.push_back(entry.path().filename().wstring());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::wstring>{L"QQ", L"good.txt"}));
}

TEST(OvdLib, OverwriteAnswersKeepOrReplace)
{
    std::string target = Out() + "overwrite";
    Clear(target);
    ResetCallbacks();
    ASSERT_EQ(EngineExtract(Matrix() + "copy.7z", "", target).extractError, 0);
    EXPECT_EQ(gOverwriteCalls, 0);
    std::string readme = target + "\\docs\\readme.txt";
    ASSERT_TRUE(ovdtest::WriteFileBytes(readme, "changed"));

    struct Case {
        int32_t answer;
        const char* expected;
        int32_t error;
    } cases[] = {
        {OVD_OVERWRITE_NO, "changed", 0},
        {OVD_OVERWRITE_NO_ALL, "changed", 0},
        {OVD_OVERWRITE_CANCEL, "changed", OVD_E_CANCELLED},
        {OVD_OVERWRITE_YES, nullptr, 0},
    };
    std::string original = Slurp(Long(Matrix() + "ref\\copy\\docs\\readme.txt"));
    for (const auto& c : cases) {
        ResetCallbacks();
        ASSERT_TRUE(ovdtest::WriteFileBytes(readme, "changed"));
        gOverwriteAnswer = c.answer;
        EXPECT_EQ(EngineExtract(Matrix() + "copy.7z", "", target).extractError, c.error)
            << c.answer;
        EXPECT_EQ(*ovdtest::ReadFileBytes(readme), c.expected ? c.expected : original) << c.answer;
        EXPECT_GE(gOverwriteCalls, 1);
        if (c.answer == OVD_OVERWRITE_NO_ALL) {
            EXPECT_EQ(gOverwriteCalls, 1) << "no-to-all asks once";
        }
    }
    ResetCallbacks();
    ASSERT_TRUE(ovdtest::WriteFileBytes(readme, "changed"));
    gOverwriteAnswer = OVD_OVERWRITE_YES_ALL;
    EXPECT_EQ(EngineExtract(Matrix() + "copy.7z", "", target).extractError, 0);
    EXPECT_EQ(gOverwriteCalls, 1) << "yes-to-all asks once";
    EXPECT_EQ(*ovdtest::ReadFileBytes(readme), original);
    EXPECT_NE(gOverwriteTarget.find("overwrite"), std::string::npos);
}

TEST(OvdLib, ContinueReturningZeroCancelsPromptly)
{
    std::string target = Out() + "cancel";
    Clear(target);
    ResetCallbacks();
    gContinueLimit = 20; // a few MiB into the 50 MB file
    Result r = EngineExtract(Matrix() + "big.7z", "", target);
    EXPECT_EQ(r.extractError, OVD_E_CANCELLED);
    EXPECT_EQ(gContinueCalls, 21);
    EXPECT_FALSE(fs::exists(Long(target + "\\big.bin")));
    std::map<std::wstring, bool> left;
    Walk(Long(target).wstring(), L"", left);
    EXPECT_TRUE(left.empty()) << "left behind: " << left.size();
}

TEST(OvdLib, WithoutFolderNamesPutsEveryFileInTheTarget)
{
    std::string target = Out() + "flat";
    Clear(target);
    ResetCallbacks();
    Result r = EngineExtract(Matrix() + "lzma2_nonsolid.7z", "", target, true);
    EXPECT_EQ(r.extractError, 0);
    EXPECT_EQ(Slurp(Long(target + "\\deep file.txt")), "at the bottom\n");
    size_t files = 0;
    std::map<std::wstring, bool> all;
    Walk(Long(target).wstring(), L"", all);
    for (auto& [name, dir] : all) {
        EXPECT_FALSE(dir);
        ++files;
    }
    EXPECT_EQ(files, 6u);
}

TEST(OvdLib, PasswordCallbackSuppliesTheStoredPasswordOnce)
{
    std::string target = Out() + "pwcb";
    Clear(target);
    ResetCallbacks();
    gStoredPassword = "Secret pass";
    OVD_LISTENTRY* entries = nullptr;
    uint32_t count = 0;
    OVD_HANDLE h = Lib().openList((Matrix() + "aes_mhe.7z").c_str(), 0, PasswordCallback, nullptr,
                                  nullptr, nullptr, "", &entries, &count);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(gPasswordCalls, 1);
    EXPECT_GT(count, 0u);
    Lib().closeList(h);
    // The callback cleared its password: a second listing fails.
    h = Lib().openList((Matrix() + "aes_mhe.7z").c_str(), 0, PasswordCallback, nullptr, nullptr,
                       nullptr, "", &entries, &count);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(Lib().lastError(nullptr), OVD_E_CANNOT_OPEN);
    EXPECT_EQ(Lib().closeList(reinterpret_cast<OVD_HANDLE>(0x1234)), 0);
}

TEST(OvdLib, ListingEntriesDescribeTheFiles)
{
    OVD_LISTENTRY* entries = nullptr;
    uint32_t count = 0;
    OVD_HANDLE h = Lib().openList((Matrix() + "copy.7z").c_str(), 0, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, &entries, &count);
    ASSERT_NE(h, nullptr);
    bool sawReadme = false, sawFolder = false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name = entries[i].u.Name;
        EXPECT_EQ(entries[i].Index, i);
        if (name == "docs\\readme.txt") {
            sawReadme = true;
            EXPECT_EQ(entries[i].Size,
                      Slurp(Long(Matrix() + "ref\\copy\\docs\\readme.txt")).size());
            EXPECT_TRUE(entries[i].Flags & OVD_ENTRY_HAS_CRC);
            EXPECT_TRUE(entries[i].TimeHigh != 0);
        }
        if (name == "empty folder") {
            sawFolder = true;
            EXPECT_TRUE(entries[i].Flags & OVD_ENTRY_DIRECTORY);
            EXPECT_TRUE(entries[i].Attributes & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
    EXPECT_TRUE(sawReadme);
    EXPECT_TRUE(sawFolder);
    EXPECT_EQ(Lib().closeList(h), 1);
}

// The engine reads its language file from behind the library's image: appended bytes must
// neither stop it from loading nor be mistaken for part of it.
TEST(OvdLib, ToleratesBytesAppendedBehindItsImage)
{
    auto image = ovdtest::ReadFileBytes(Bin() + OVD_LIBRARY_NAME);
    ASSERT_TRUE(image);
    auto u32 = [&](size_t o) {
        return uint32_t(uint8_t((*image)[o])) | uint32_t(uint8_t((*image)[o + 1])) << 8 |
               uint32_t(uint8_t((*image)[o + 2])) << 16 | uint32_t(uint8_t((*image)[o + 3])) << 24;
    };
    uint32_t pe = u32(0x3C);
    uint32_t sections = uint8_t((*image)[pe + 6]) | uint8_t((*image)[pe + 7]) << 8;
    uint32_t optSize = uint8_t((*image)[pe + 20]) | uint8_t((*image)[pe + 21]) << 8;
    size_t table = pe + 24 + optSize;
    uint32_t stub = 0;
    for (uint32_t s = 0; s < sections; ++s)
        stub = std::max(stub, u32(table + s * 40 + 20) + u32(table + s * 40 + 16));
    EXPECT_EQ(stub, image->size()) << "the library is stripped: nothing behind its last section";

    std::string dir = Out() + "overlay\\";
    Clear(dir);
    CreateDirectoryA((Out()).c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_TRUE(ovdtest::WriteFileBytes(dir + OVD_LIBRARY_NAME,
                                        *image + std::string(100000, 'L') + "language file"));
    Api api(dir + OVD_LIBRARY_NAME);
    ASSERT_TRUE(api.Ok());
    OVD_LISTENTRY* entries = nullptr;
    uint32_t count = 0;
    OVD_HANDLE h = api.openList((Matrix() + "lzma.7z").c_str(), 0, nullptr, nullptr, nullptr,
                                nullptr, nullptr, &entries, &count);
    ASSERT_NE(h, nullptr);
    EXPECT_GT(count, 5u);
    api.closeList(h);
}

TEST(Ovdarc, ListsAndExtractsThroughTheLibrary)
{
    std::string exe = "\"" + Bin() + "ovdarc.exe\" ";
    auto list = ovdtest::RunProgram(exe + "l \"" + Matrix() + "aes_mhe.7z\" \"Secret pass\"");
    EXPECT_EQ(list.exitCode, 0u);
    EXPECT_NE(list.output.find("docs\\readme.txt"), std::string::npos);

    std::string target = Out() + "ovdarc";
    Clear(target);
    auto x = ovdtest::RunProgram(exe + "x \"" + Matrix() + "bcj2.7z\" \"" + target + "\"");
    EXPECT_EQ(x.exitCode, 0u) << x.output;
    EXPECT_TRUE(CompareTrees(Long(Matrix() + "ref\\bcj2"), Long(target)).empty());

    auto bad = ovdtest::RunProgram(exe + "x \"" + Matrix() + "aes.7z\" \"" + target + "2\" wrong");
    EXPECT_NE(bad.exitCode, 0u);
    EXPECT_NE(
        bad.output.find("The archive cannot be opened: unsupported archive or incorrect password"),
        std::string::npos)
        << bad.output;
}

} // namespace

namespace {

TEST(OvdLib, TestOperationChecksWithoutWriting)
{
    struct Case {
        const char* archive;
        const char* password;
        int32_t error;
    } cases[] = {
        {"lzma2_solid.7z", "", 0},
        {"aes.7z", "Secret pass", 0},
        {"aes.7z", "wrong", OVD_E_CANNOT_OPEN},
        {"bad\\ppmd.7z", "", OVD_E_UNSUPPORTED},
    };
    for (const auto& c : cases) {
        ResetCallbacks();
        int32_t ok = Lib().extract((Matrix() + c.archive).c_str(), OVD_OP_TEST, nullptr, nullptr, 0,
                                   c.password, nullptr, FileCallback, ContinueCallback, nullptr);
        EXPECT_EQ(ok ? 0 : Lib().lastError(nullptr), c.error) << c.archive;
        if (c.error == 0) {
            EXPECT_GT(gFileCalls, 0) << c.archive;
        }
    }
    EXPECT_EQ(Lib().extract((Matrix() + "copy.7z").c_str(), 7, nullptr, nullptr, 0, nullptr,
                            nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(Lib().lastError(nullptr), OVD_E_BAD_ARGUMENT);
}

} // namespace
