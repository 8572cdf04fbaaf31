// The 7z container: signature header, (encoded) header, folders and entries, and the
// decoding of a folder into one stream.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coders.h"
#include "streams.h"

namespace ovd::archive {

struct Coder {
    uint64_t method = 0;
    uint32_t numIn = 1;  // packed side
    uint32_t numOut = 1; // unpacked side
    std::vector<uint8_t> props;
};

struct BindPair {
    uint32_t in = 0;  // input stream (across all coders)
    uint32_t out = 0; // output stream that feeds it
};

struct Folder {
    std::vector<Coder> coders;
    std::vector<BindPair> binds;
    std::vector<uint32_t> packedIn;    // input streams fed by pack streams, in pack order
    std::vector<uint64_t> unpackSizes; // one per output stream
    uint32_t firstPackStream = 0;
    uint32_t mainOut = 0;
    bool hasCrc = false;
    uint32_t crc = 0;
    uint32_t numSubstreams = 1;
    uint64_t UnpackSize() const { return unpackSizes[mainOut]; }
    bool Encrypted() const;
};

constexpr uint32_t kNoFolder = 0xFFFFFFFFu;

struct Entry {
    std::u16string name;
    bool isDir = false;
    bool hasStream = false;
    bool isAnti = false;
    bool hasCrc = false;
    bool hasTime = false;
    bool hasAttributes = false;
    uint32_t crc = 0;
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t mtime = 0; // FILETIME, UTC
    uint32_t folder = kNoFolder;
    uint32_t indexInFolder = 0;
};

// Asks for the password when the archive turns out to be encrypted; nullopt when there is none.
using PasswordProvider = std::function<std::optional<std::u16string>()>;

class SevenZipArchive {
public:
    // Reads the headers. Throws ArchiveError: NotArchive for other files, WrongPassword for an
    // encrypted header that does not decrypt, Corrupt, Unsupported, NoMemory.
    SevenZipArchive(ByteSource& source, PasswordProvider passwords);
    ~SevenZipArchive();

    const std::vector<Entry>& Entries() const { return entries_; }
    const std::vector<Folder>& Folders() const { return folders_; }
    uint64_t PackSizeOfFolder(uint32_t folder) const;

    // The decoded stream of a folder (its main output).
    std::unique_ptr<InStream> OpenFolder(uint32_t folder);

private:
    class Keys;
    void ReadDatabase(const std::vector<uint8_t>& header, bool fromEncrypted);
    std::vector<uint8_t> DecodeHeaderFolder(uint32_t folder);
    // Where each pack stream of the header just read starts (after the 32-byte signature
    // header and `packPos`); Corrupt when the streams run past the end of the source.
    void PlacePackStreams(uint64_t packPos);

    ByteSource& source_;
    std::unique_ptr<Keys> keys_;
    uint64_t dataOffset_ = 32;
    std::vector<uint64_t> packSizes_;
    std::vector<uint64_t> packOffsets_;
    std::vector<Folder> folders_;
    std::vector<Entry> entries_;
};

// Where the decoded bytes of the extraction go. The driver calls BeginFile before an entry's
// data; a null writer skips the entry (its data are still decoded when later entries of the
// same folder need it). Destroying a writer that was not committed discards its file.
class EntryWriter {
public:
    virtual ~EntryWriter() = default;
    virtual void Write(const uint8_t* data, size_t size) = 0;
    virtual void Commit() = 0;
};

// Decodes and checks an entry without writing it anywhere (test mode, benchmarks).
class DiscardWriter final : public EntryWriter {
public:
    void Write(const uint8_t*, size_t) override {}
    void Commit() override {}
};

class ExtractSink {
public:
    virtual ~ExtractSink() = default;
    virtual std::unique_ptr<EntryWriter> BeginFile(uint32_t index, const Entry& entry) = 0;
    virtual void Directory(uint32_t index, const Entry& entry) = 0;
    // Called between entries and every few hundred KiB; false stops with Cancelled.
    virtual bool Continue(uint64_t done, uint64_t total) = 0;
};

// Extracts the entries marked in wanted (all when wanted is empty), in archive order. A CRC
// mismatch throws Crc (WrongPassword for encrypted data); nothing of the failing entry is
// committed.
void ExtractEntries(SevenZipArchive& archive, const std::vector<bool>& wanted, ExtractSink& sink);

// Splits an entry name into the components of a relative path ('/' and '\' separate). Returns
// false for names that are absolute, carry a drive or stream (':'), step up (".."), consist of
// dots and blanks only, or name a device (CON, NUL, COM1, ...): such entries must not be written.
bool SafeRelativePath(const std::u16string& name, std::vector<std::u16string>& parts);

} // namespace ovd::archive
