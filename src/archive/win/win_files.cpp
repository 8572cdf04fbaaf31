#include "win_files.h"

#include <algorithm>

namespace ovd::archive {

std::wstring AnsiToWide(const char* s)
{
    if (!s || !*s)
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    w.resize(size_t(n - 1));
    return w;
}

std::string WideToAnsi(const std::wstring& s)
{
    if (s.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string a(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), a.data(), n, nullptr, nullptr);
    return a;
}

std::string ListedName(const std::u16string& name)
{
    std::wstring w(name.begin(), name.end());
    for (auto& c : w)
        if (c == L'/')
            c = L'\\';
    return WideToAnsi(w);
}

HandleSource::HandleSource(const std::wstring& path)
{
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        Fail(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME
                 ? Status::NotFound
                 : Status::Read);
    }
    if (attr & FILE_ATTRIBUTE_DIRECTORY)
        Fail(Status::NotFound);
    h_ = CreateFileW(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h_ == INVALID_HANDLE_VALUE)
        Fail(Status::Read);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h_, &size)) {
        CloseHandle(h_);
        Fail(Status::Read);
    }
    size_ = uint64_t(size.QuadPart);
}

HandleSource::~HandleSource()
{
    CloseHandle(h_);
}

void HandleSource::ReadAt(uint64_t pos, void* buffer, size_t size)
{
    if (pos > size_ || size > size_ - pos)
        Fail(Status::Corrupt);
    auto p = static_cast<uint8_t*>(buffer);
    while (size) {
        OVERLAPPED ov = {};
        ov.Offset = DWORD(pos);
        ov.OffsetHigh = DWORD(pos >> 32);
        DWORD want = DWORD(size > (1u << 30) ? (1u << 30) : size), got = 0;
        if (!ReadFile(h_, p, want, &got, &ov) || got == 0)
            Fail(Status::Read);
        p += got;
        pos += got;
        size -= got;
    }
}

std::wstring LongPath(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool CreateFolders(const std::wstring& path)
{
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES)
        return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = path.find_last_of(L'\\', path.size() >= 2 && path.back() == L'\\' ? path.size() - 2
                                                                                   : path.npos);
    if (cut != std::wstring::npos && cut > 0) {
        std::wstring parent = path.substr(0, cut);
        // Stop at the root of a drive or of the \\?\ prefix.
        if (parent.size() > 7 || parent.rfind(L"\\\\?\\", 0) != 0)
            CreateFolders(parent);
    }
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// The file time and the read-only, hidden and system attributes from the archive, once the
// file is complete. New files carry the archive bit already; only the others cost a call.
void SetFileTimeFrom(HANDLE h, const Entry& entry)
{
    if (!entry.hasTime)
        return;
    FILETIME ft;
    ft.dwLowDateTime = DWORD(entry.mtime);
    ft.dwHighDateTime = DWORD(entry.mtime >> 32);
    SetFileTime(h, nullptr, nullptr, &ft);
}

void SetKeptAttributes(const std::wstring& path, const Entry& entry)
{
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (entry.hasAttributes && (entry.attributes & kept))
        SetFileAttributesW(path.c_str(), entry.attributes & (kept | FILE_ATTRIBUTE_ARCHIVE));
}

void WriteAll(HANDLE h, const uint8_t* data, size_t size)
{
    DWORD written = 0;
    if (!WriteFile(h, data, DWORD(size), &written, nullptr) || written != size)
        Fail(Status::Write);
}

// One file being written, in one of two ways:
// - A file that did not exist is written under its own name, and deleted again unless it
//   is committed (after its CRC check), so a failure never leaves a half-written file
//   behind. Under Wine every lookup of a name that does not exist reads the whole folder,
//   and a rename costs two more: this is the common case and the cheap one.
// - A file that exists is written to a temporary name beside it and replaces it only when
//   complete.
class FileWriter final : public EntryWriter {
public:
    // `written` is the file `created` writes: `path` itself, or the temporary name beside
    // it; `replaces` says whether a file exists under `path`.
    FileWriter(std::wstring path, std::wstring written, const Entry& entry, HANDLE created,
               bool replaces)
        : path_(std::move(path)), written_(std::move(written)), entry_(entry), replaces_(replaces),
          h_(created)
    {
    }
    ~FileWriter() override
    {
        if (h_ != INVALID_HANDLE_VALUE) {
            CloseHandle(h_);
            DeleteFileW(written_.c_str());
        }
    }
    void Write(const uint8_t* data, size_t size) override { WriteAll(h_, data, size); }
    void Commit() override
    {
        SetFileTimeFrom(h_, entry_);
        bool done = CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        if (written_ != path_) {
            // Lookups of names that do not exist are slow in large folders: only ask when
            // replacing.
            DWORD old = replaces_ ? GetFileAttributesW(path_.c_str()) : INVALID_FILE_ATTRIBUTES;
            if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
                SetFileAttributesW(path_.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY));
            done = done && MoveFileExW(written_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        if (!done) {
            DeleteFileW(written_.c_str());
            Fail(Status::Write);
        }
        SetKeptAttributes(path_, entry_);
    }

private:
    std::wstring path_, written_;
    Entry entry_;
    bool replaces_;
    HANDLE h_;
};

std::string PlainPath(const std::wstring& longPath)
{
    std::wstring p = longPath;
    if (p.rfind(L"\\\\?\\UNC\\", 0) == 0)
        p = L"\\\\" + p.substr(8);
    else if (p.rfind(L"\\\\?\\", 0) == 0)
        p = p.substr(4);
    return WideToAnsi(p);
}

} // namespace

WinFolderSink::WinFolderSink(const std::wstring& folder, bool withoutFolderNames, bool test,
                             Callbacks callbacks, uint32_t count)
    : folder_(test ? folder : LongPath(folder)), flat_(withoutFolderNames), test_(test),
      cb_(callbacks), count_(count)
{
    if (!folder_.empty() && folder_.back() != L'\\')
        folder_ += L'\\';
}

void WinFolderSink::Announce(const Entry& entry)
{
    if (cb_.file)
        cb_.file(ListedName(entry.name).c_str(), handled_, count_, done_, total_);
    ++handled_;
}

namespace {

// A name the system's ANSI functions would read as another path: the code page's best-fit
// mapping turns fullwidth dots and slashes into real ones ("\uFF0E\uFF0E\uFF3Cx" reads
// "..\x"), and a final dot or blank is dropped ("a." reads "a"). The engine walks the
// folders it extracted into with those functions.
bool ReadsAsAnotherPath(const std::u16string& part)
{
    if (part.back() == u'.' || part.back() == u' ')
        return true;
    const std::string ansi = WideToAnsi(std::wstring(part.begin(), part.end()));
    bool dotsOnly = true;
    for (size_t i = 0; i < ansi.size(); ++i) {
        const char c = ansi[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < ansi.size()) {
            ++i; // the second byte of a double-byte letter may be that of "\"
            dotsOnly = false;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':')
            return true;
        dotsOnly = dotsOnly && c == '.';
    }
    return dotsOnly;
}

} // namespace

bool WinFolderSink::Target(const Entry& entry, std::wstring& path)
{
    std::vector<std::u16string> parts;
    if (!SafeRelativePath(entry.name, parts) ||
        std::any_of(parts.begin(), parts.end(), ReadsAsAnotherPath)) {
        skippedUnsafe_ = true;
        return false;
    }
    path = folder_;
    if (flat_) {
        path += std::wstring(parts.back().begin(), parts.back().end());
        return true;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            path += L'\\';
        path += std::wstring(parts[i].begin(), parts[i].end());
    }
    return true;
}

std::unique_ptr<EntryWriter> WinFolderSink::BeginFile(uint32_t index, const Entry& entry)
{
    Announce(entry);
    std::wstring path;
    if (!Target(entry, path))
        return nullptr;
    if (test_)
        return std::make_unique<DiscardWriter>();
    if (!EnsureFolder(path.substr(0, path.find_last_of(L'\\'))))
        Fail(Status::Write);
    // Creating the file is also the question whether it exists: one lookup instead of three.
    HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE)
        return std::make_unique<FileWriter>(path, path, entry, created, false);
    WIN32_FILE_ATTRIBUTE_DATA existing;
    bool exists = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &existing);
    if (exists) {
        if (existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Fail(Status::Write);
        int answer = overwriteAll_;
        if (!answer) {
            answer = OVD_OVERWRITE_YES;
            if (cb_.overwrite) {
                uint64_t size = uint64_t(existing.nFileSizeHigh) << 32 | existing.nFileSizeLow;
                answer = cb_.overwrite(
                    PlainPath(path).c_str(), size, existing.ftLastWriteTime.dwLowDateTime,
                    existing.ftLastWriteTime.dwHighDateTime, ListedName(entry.name).c_str(),
                    entry.size, uint32_t(entry.mtime), uint32_t(entry.mtime >> 32), index, 0);
            }
            if (answer == OVD_OVERWRITE_YES_ALL || answer == OVD_OVERWRITE_NO_ALL)
                overwriteAll_ = answer;
        }
        if (answer == OVD_OVERWRITE_NO || answer == OVD_OVERWRITE_NO_ALL)
            return nullptr;
        if (answer != OVD_OVERWRITE_YES && answer != OVD_OVERWRITE_YES_ALL)
            Fail(Status::Cancelled);
    }
    std::wstring temp = path + L".ovd~tmp";
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE)
        Fail(Status::Write);
    return std::make_unique<FileWriter>(path, std::move(temp), entry, created, exists);
}

void WinFolderSink::Directory(uint32_t, const Entry& entry)
{
    Announce(entry);
    std::wstring path;
    if (!Target(entry, path) || test_ || flat_)
        return;
    if (!EnsureFolder(path))
        Fail(Status::Write);
}

bool WinFolderSink::EnsureFolder(const std::wstring& path)
{
    if (folders_.count(path))
        return true;
    if (!CreateFolders(path))
        return false;
    folders_.insert(path);
    return true;
}

bool WinFolderSink::Continue(uint64_t done, uint64_t total)
{
    done_ = done;
    total_ = total;
    return !cb_.keepGoing || cb_.keepGoing(done, total) != 0;
}

} // namespace ovd::archive
