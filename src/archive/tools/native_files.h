// The native side of the reader: the archive file and an extraction into a folder (Linux).
#pragma once

#include <cstdio>
#include <string>

#include "core/sevenzip.h"

namespace ovd::archive {

class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path); // throws NotFound / Read
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    uint64_t Size() const override { return size_; }
    void ReadAt(uint64_t pos, void* buffer, size_t size) override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// Writes entries below a folder: each file to a temporary name first, renamed when complete.
// Entries whose names are unsafe are skipped and remembered (IllegalPath once done).
class FolderSink final : public ExtractSink {
public:
    explicit FolderSink(std::string folder, bool write = true)
        : folder_(std::move(folder)), write_(write)
    {
    }
    std::unique_ptr<EntryWriter> BeginFile(uint32_t index, const Entry& entry) override;
    void Directory(uint32_t index, const Entry& entry) override;
    bool Continue(uint64_t, uint64_t) override { return true; }
    bool SkippedUnsafe() const { return skippedUnsafe_; }

private:
    bool Target(const Entry& entry, std::string& path);
    std::string folder_;
    bool write_;
    bool skippedUnsafe_ = false;
};

} // namespace ovd::archive
