// The Windows side of the reader: the archive file, code-page names and extraction into a
// folder with the caller's callbacks.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "core/sevenzip.h"
#include "ovdlib.h"

namespace ovd::archive {

std::wstring AnsiToWide(const char* s);
std::string WideToAnsi(const std::wstring& s);
// An entry's listed name: the archive's UTF-16 in the ANSI code page, '\' between folders.
std::string ListedName(const std::u16string& name);

class HandleSource final : public ByteSource {
public:
    explicit HandleSource(const std::wstring& path); // throws NotFound / Read
    ~HandleSource() override;
    HandleSource(const HandleSource&) = delete;
    HandleSource& operator=(const HandleSource&) = delete;
    uint64_t Size() const override { return size_; }
    void ReadAt(uint64_t pos, void* buffer, size_t size) override;

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
    uint64_t size_ = 0;
};

struct Callbacks {
    OVD_FILECALLBACK file = nullptr;
    OVD_CONTINUECALLBACK keepGoing = nullptr;
    OVD_OVERWRITECALLBACK overwrite = nullptr;
};

// Writes entries below a folder (a new file under its own name, removed unless complete; a
// replacement to a temporary name, renamed when complete).
// Entries with unsafe names are skipped and remembered; test mode writes nothing.
class WinFolderSink final : public ExtractSink {
public:
    WinFolderSink(const std::wstring& folder, bool withoutFolderNames, bool test,
                  Callbacks callbacks, uint32_t count);
    std::unique_ptr<EntryWriter> BeginFile(uint32_t index, const Entry& entry) override;
    void Directory(uint32_t index, const Entry& entry) override;
    bool Continue(uint64_t done, uint64_t total) override;
    bool SkippedUnsafe() const { return skippedUnsafe_; }

private:
    void Announce(const Entry& entry);
    bool Target(const Entry& entry, std::wstring& path);
    // Creates a folder once per call: later files in it skip the lookups.
    bool EnsureFolder(const std::wstring& path);
    std::wstring folder_; // long-path form, ends with '\'
    bool flat_, test_;
    Callbacks cb_;
    uint32_t count_, handled_ = 0;
    uint64_t done_ = 0, total_ = 0;
    int overwriteAll_ = 0; // OVD_OVERWRITE_YES_ALL / NO_ALL once answered
    bool skippedUnsafe_ = false;
    std::set<std::wstring> folders_; // made or found during this call
};

// Creates a folder and its missing parents.
bool CreateFolders(const std::wstring& path);
// \\?\ form of a full path, so that deep entries are not cut at MAX_PATH.
std::wstring LongPath(const std::wstring& path);

} // namespace ovd::archive
