#include "native_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/utf.h"

namespace ovd::archive {

FileSource::FileSource(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        Fail(errno == ENOENT ? Status::NotFound : Status::Read);
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        Fail(Status::Read);
    }
    size_ = uint64_t(st.st_size);
}

FileSource::~FileSource()
{
    ::close(fd_);
}

void FileSource::ReadAt(uint64_t pos, void* buffer, size_t size)
{
    if (pos > size_ || size > size_ - pos)
        Fail(Status::Corrupt);
    auto p = static_cast<uint8_t*>(buffer);
    while (size) {
        ssize_t n = ::pread(fd_, p, size, off_t(pos));
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            Fail(Status::Read);
        }
        p += n;
        pos += uint64_t(n);
        size -= size_t(n);
    }
}

namespace {

class TempFileWriter final : public EntryWriter {
public:
    TempFileWriter(std::string path, uint64_t mtime)
        : path_(std::move(path)), temp_(path_ + ".ovdtmp"), mtime_(mtime)
    {
        f_ = std::fopen(temp_.c_str(), "wb");
        if (!f_)
            Fail(Status::Write);
    }
    ~TempFileWriter() override
    {
        if (f_) {
            std::fclose(f_);
            std::remove(temp_.c_str());
        }
    }
    void Write(const uint8_t* data, size_t size) override
    {
        if (std::fwrite(data, 1, size, f_) != size)
            Fail(Status::Write);
    }
    void Commit() override
    {
        int rc = std::fclose(f_);
        f_ = nullptr;
        if (rc != 0 || std::rename(temp_.c_str(), path_.c_str()) != 0) {
            std::remove(temp_.c_str());
            Fail(Status::Write);
        }
        if (mtime_) {
            // FILETIME (100 ns since 1601) to Unix time.
            int64_t t = int64_t(mtime_ / 10) - 11644473600LL * 1000000;
            struct timespec ts[2];
            ts[0].tv_sec = ts[1].tv_sec = time_t(t / 1000000);
            ts[0].tv_nsec = ts[1].tv_nsec = long(t % 1000000 * 1000);
            if (t >= 0)
                utimensat(AT_FDCWD, path_.c_str(), ts, 0);
        }
    }

private:
    std::string path_, temp_;
    uint64_t mtime_;
    FILE* f_ = nullptr;
};

class NullWriter final : public EntryWriter {
public:
    void Write(const uint8_t*, size_t) override {}
    void Commit() override {}
};

} // namespace

bool FolderSink::Target(const Entry& entry, std::string& path)
{
    std::vector<std::u16string> parts;
    if (!SafeRelativePath(entry.name, parts)) {
        skippedUnsafe_ = true;
        return false;
    }
    path = folder_;
    for (const auto& part : parts)
        path += "/" + Utf16ToUtf8(part);
    return true;
}

std::unique_ptr<EntryWriter> FolderSink::BeginFile(uint32_t, const Entry& entry)
{
    std::string path;
    if (!Target(entry, path))
        return nullptr;
    if (!write_)
        return std::make_unique<NullWriter>();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return std::make_unique<TempFileWriter>(path, entry.hasTime ? entry.mtime : 0);
}

void FolderSink::Directory(uint32_t, const Entry& entry)
{
    std::string path;
    if (!Target(entry, path) || !write_)
        return;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec)
        Fail(Status::Write);
}

} // namespace ovd::archive
