// 7z container reading. Layout (all numbers are 7z variable-length numbers unless noted):
//   signature header (32 bytes): '7z' BC AF 27 1C, version (2), CRC of the next 20 bytes (u32),
//     next-header offset (u64, from byte 32), size (u64), CRC (u32)
//   header: kHeader [kArchiveProperties] [kMainStreamsInfo] [kFilesInfo] kEnd
//       or  kEncodedHeader StreamsInfo (a folder whose output is the real header)
//   StreamsInfo: [kPackInfo] [kUnPackInfo] [kSubStreamsInfo] kEnd
//   FilesInfo: count, then properties (type, size, bytes) until kEnd
#include "sevenzip.h"

#include <algorithm>
#include <cstring>

#include "crc32.h"
#include "cursor.h"

namespace ovd::archive {

namespace {

enum : uint64_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnPackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnPackSize = 0x0C,
    kNumUnPackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kAnti = 0x10,
    kName = 0x11,
    kMTime = 0x14,
    kWinAttributes = 0x15,
    kEncodedHeader = 0x17,
};

constexpr uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr uint32_t kMaxCoders = 64;
constexpr uint32_t kMaxStreams = 64;
constexpr uint64_t kMaxFiles = 1u << 21;
constexpr size_t kChunk = 1 << 18;

std::vector<bool> ReadBits(ByteCursor& c, uint64_t n)
{
    std::vector<bool> v(static_cast<size_t>(n));
    const uint8_t* b = c.Take((n + 7) / 8);
    for (uint64_t i = 0; i < n; ++i)
        v[size_t(i)] = (b[i / 8] >> (7 - i % 8)) & 1;
    return v;
}

// A bit vector preceded by an "all defined" byte.
std::vector<bool> ReadOptionalBits(ByteCursor& c, uint64_t n)
{
    if (c.Byte() != 0)
        return std::vector<bool>(size_t(n), true);
    return ReadBits(c, n);
}

void ReadDigests(ByteCursor& c, uint64_t n, std::vector<bool>& defined, std::vector<uint32_t>& crcs)
{
    defined = ReadOptionalBits(c, n);
    crcs.assign(size_t(n), 0);
    for (uint64_t i = 0; i < n; ++i)
        if (defined[size_t(i)])
            crcs[size_t(i)] = c.UInt32();
}

void Expect(ByteCursor& c, uint64_t id)
{
    if (c.Number() != id)
        Fail(Status::Corrupt);
}

// Reads one packed stream of the archive file.
class PackStream final : public InStream {
public:
    PackStream(ByteSource& source, uint64_t pos, uint64_t size)
        : source_(source), pos_(pos), left_(size)
    {
    }
    size_t Read(uint8_t* buffer, size_t size) override
    {
        size_t n = size_t(std::min<uint64_t>(size, left_));
        if (n == 0)
            return 0;
        source_.ReadAt(pos_, buffer, n);
        pos_ += n;
        left_ -= n;
        return n;
    }

private:
    ByteSource& source_;
    uint64_t pos_, left_;
};

bool IsDots(const std::u16string& s)
{
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c == u'.' || c == u' '; });
}

bool IsDeviceName(const std::u16string& comp)
{
    std::u16string base = comp.substr(0, comp.find(u'.'));
    while (!base.empty() && base.back() == u' ')
        base.pop_back();
    std::string up;
    for (char16_t c : base) {
        if (c > 0x7F)
            return false;
        up += char(c >= u'a' && c <= u'z' ? c - 32 : c);
    }
    if (up == "CON" || up == "PRN" || up == "AUX" || up == "NUL" || up == "CONIN$" ||
        up == "CONOUT$")
        return true;
    return up.size() == 4 && (up.starts_with("COM") || up.starts_with("LPT")) && up[3] >= '1' &&
           up[3] <= '9';
}

} // namespace

bool Folder::Encrypted() const
{
    return std::any_of(coders.begin(), coders.end(),
                       [](const Coder& c) { return c.method == kMethodAes; });
}

// The key cache: one password (asked for once), one derived key per property set.
class SevenZipArchive::Keys final : public KeySource {
public:
    explicit Keys(PasswordProvider provider) : provider_(std::move(provider)) {}
    std::array<uint8_t, 32> Key(const std::vector<uint8_t>& props) override
    {
        std::vector<uint8_t> id = AesKeyIdentity(props);
        auto it = cache_.find(id);
        if (it != cache_.end())
            return it->second;
        if (!password_) {
            auto pw = provider_ ? provider_() : std::nullopt;
            if (!pw)
                Fail(Status::WrongPassword);
            password_ = *pw;
        }
        auto key = Derive7zAesKey(props, *password_);
        cache_.emplace(id, key);
        return key;
    }

private:
    PasswordProvider provider_;
    std::optional<std::u16string> password_;
    std::map<std::vector<uint8_t>, std::array<uint8_t, 32>> cache_;
};

namespace {

struct Substreams {
    std::vector<uint64_t> sizes;
    std::vector<bool> crcDefined;
    std::vector<uint32_t> crcs;
};

class HeaderReader {
public:
    HeaderReader(ByteCursor& c, std::vector<uint64_t>& packSizes, std::vector<Folder>& folders,
                 uint64_t& packPos)
        : c_(c), packSizes_(packSizes), folders_(folders), packPos_(packPos)
    {
    }

    void StreamsInfo(Substreams& ss)
    {
        uint64_t type = c_.Number();
        if (type == kPackInfo) {
            PackInfo();
            type = c_.Number();
        }
        if (type == kUnPackInfo) {
            UnpackInfo();
            type = c_.Number();
        }
        bool haveSub = false;
        if (type == kSubStreamsInfo) {
            SubStreamsInfo(ss);
            haveSub = true;
            type = c_.Number();
        }
        if (type != kEnd)
            Fail(Status::Corrupt);
        if (!haveSub) {
            for (const Folder& f : folders_) {
                ss.sizes.push_back(f.UnpackSize());
                ss.crcDefined.push_back(f.hasCrc);
                ss.crcs.push_back(f.crc);
            }
        }
    }

private:
    void PackInfo()
    {
        packPos_ = c_.Number();
        uint32_t n = c_.Count(c_.Remaining());
        packSizes_.assign(n, 0);
        uint64_t type;
        while ((type = c_.Number()) != kEnd) {
            if (type == kSize) {
                for (auto& s : packSizes_)
                    s = c_.Number();
            } else if (type == kCrc) {
                std::vector<bool> d;
                std::vector<uint32_t> crcs;
                ReadDigests(c_, n, d, crcs);
            } else {
                c_.Skip(c_.Number());
            }
        }
    }

    void UnpackInfo()
    {
        Expect(c_, kFolder);
        uint32_t n = c_.Count(c_.Remaining());
        if (c_.Byte() != 0)
            Fail(Status::Unsupported); // folders stored in another stream
        folders_.assign(n, Folder{});
        uint32_t pack = 0;
        for (Folder& f : folders_) {
            ReadFolder(f);
            f.firstPackStream = pack;
            pack = uint32_t(CheckedAdd(pack, f.packedIn.size()));
            if (pack > packSizes_.size())
                Fail(Status::Corrupt);
        }
        Expect(c_, kCodersUnPackSize);
        for (Folder& f : folders_)
            for (auto& s : f.unpackSizes)
                s = c_.Number();
        uint64_t type;
        while ((type = c_.Number()) != kEnd) {
            if (type == kCrc) {
                std::vector<bool> d;
                std::vector<uint32_t> crcs;
                ReadDigests(c_, n, d, crcs);
                for (uint32_t i = 0; i < n; ++i) {
                    folders_[i].hasCrc = d[i];
                    folders_[i].crc = crcs[i];
                }
            } else {
                c_.Skip(c_.Number());
            }
        }
    }

    void ReadFolder(Folder& f)
    {
        uint32_t numCoders = c_.Count(kMaxCoders);
        if (numCoders == 0)
            Fail(Status::Corrupt);
        uint32_t totalIn = 0, totalOut = 0;
        for (uint32_t i = 0; i < numCoders; ++i) {
            Coder coder;
            uint8_t b = c_.Byte();
            unsigned idSize = b & 0x0F;
            if (idSize > 8 || (b & 0x80))
                Fail(Status::Unsupported);
            const uint8_t* id = c_.Take(idSize);
            for (unsigned k = 0; k < idSize; ++k)
                coder.method = coder.method << 8 | id[k];
            if (b & 0x10) {
                coder.numIn = c_.Count(kMaxStreams);
                coder.numOut = c_.Count(kMaxStreams);
            }
            if (b & 0x20) {
                uint64_t n = c_.Number();
                const uint8_t* p = c_.Take(n);
                coder.props.assign(p, p + n);
            }
            totalIn += coder.numIn;
            totalOut += coder.numOut;
            if (totalIn > kMaxStreams || totalOut > kMaxStreams)
                Fail(Status::Unsupported);
            f.coders.push_back(std::move(coder));
        }
        if (totalOut == 0)
            Fail(Status::Corrupt);
        std::vector<bool> inBound(totalIn), outBound(totalOut);
        for (uint32_t i = 0; i + 1 < totalOut; ++i) {
            BindPair bp;
            bp.in = c_.Count(kMaxStreams);
            bp.out = c_.Count(kMaxStreams);
            if (bp.in >= totalIn || bp.out >= totalOut || inBound[bp.in] || outBound[bp.out])
                Fail(Status::Corrupt);
            inBound[bp.in] = outBound[bp.out] = true;
            f.binds.push_back(bp);
        }
        if (totalIn < f.binds.size())
            Fail(Status::Corrupt);
        uint32_t numPacked = totalIn - uint32_t(f.binds.size());
        if (numPacked == 1) {
            for (uint32_t i = 0; i < totalIn; ++i)
                if (!inBound[i])
                    f.packedIn.push_back(i);
        } else {
            for (uint32_t i = 0; i < numPacked; ++i) {
                uint32_t in = c_.Count(kMaxStreams);
                if (in >= totalIn || inBound[in])
                    Fail(Status::Corrupt);
                inBound[in] = true;
                f.packedIn.push_back(in);
            }
        }
        if (f.packedIn.size() != numPacked)
            Fail(Status::Corrupt);
        for (uint32_t i = 0; i < totalOut; ++i)
            if (!outBound[i])
                f.mainOut = i;
        f.unpackSizes.assign(totalOut, 0);
    }

    void SubStreamsInfo(Substreams& ss)
    {
        uint64_t type = c_.Number();
        if (type == kNumUnPackStream) {
            uint64_t extra = 0;
            for (Folder& f : folders_) {
                f.numSubstreams = c_.Count(c_.Remaining() + 1);
                if (f.numSubstreams > 1)
                    extra = CheckedAdd(extra, f.numSubstreams - 1);
            }
            // Every substream but a folder's last needs at least one size byte.
            if (extra > c_.Remaining())
                Fail(Status::Corrupt);
            type = c_.Number();
        }
        bool haveSizes = type == kSize;
        for (const Folder& f : folders_) {
            if (f.numSubstreams == 0)
                continue;
            uint64_t sum = 0;
            if (haveSizes) {
                for (uint32_t k = 1; k < f.numSubstreams; ++k) {
                    uint64_t s = c_.Number();
                    sum = CheckedAdd(sum, s);
                    ss.sizes.push_back(s);
                }
            } else if (f.numSubstreams != 1) {
                Fail(Status::Corrupt);
            }
            if (sum > f.UnpackSize())
                Fail(Status::Corrupt);
            ss.sizes.push_back(f.UnpackSize() - sum);
        }
        if (haveSizes)
            type = c_.Number();
        uint64_t unknown = 0;
        for (const Folder& f : folders_)
            if (!(f.numSubstreams == 1 && f.hasCrc))
                unknown += f.numSubstreams;
        std::vector<bool> defined;
        std::vector<uint32_t> crcs;
        while (type != kEnd) {
            if (type == kCrc) {
                ReadDigests(c_, unknown, defined, crcs);
            } else {
                c_.Skip(c_.Number());
            }
            type = c_.Number();
        }
        size_t u = 0;
        for (const Folder& f : folders_) {
            if (f.numSubstreams == 1 && f.hasCrc) {
                ss.crcDefined.push_back(true);
                ss.crcs.push_back(f.crc);
                continue;
            }
            for (uint32_t k = 0; k < f.numSubstreams; ++k, ++u) {
                bool d = u < defined.size() && defined[u];
                ss.crcDefined.push_back(d);
                ss.crcs.push_back(d ? crcs[u] : 0);
            }
        }
    }

    ByteCursor& c_;
    std::vector<uint64_t>& packSizes_;
    std::vector<Folder>& folders_;
    uint64_t& packPos_;
};

} // namespace

SevenZipArchive::SevenZipArchive(ByteSource& source, PasswordProvider passwords)
    : source_(source), keys_(std::make_unique<Keys>(std::move(passwords)))
{
    uint8_t sh[32];
    if (source.Size() < 32)
        Fail(Status::NotArchive);
    source.ReadAt(0, sh, 32);
    if (std::memcmp(sh, kSignature, 6) != 0)
        Fail(Status::NotArchive);
    if (sh[6] != 0)
        Fail(Status::Unsupported);
    ByteCursor c(sh + 8, 24);
    uint32_t startCrc = c.UInt32();
    if (Crc32(sh + 12, 20) != startCrc)
        Fail(Status::Corrupt);
    uint64_t offset = c.UInt64(), size = c.UInt64();
    uint32_t crc = c.UInt32();
    if (size == 0)
        return; // an empty archive
    uint64_t end = CheckedAdd(CheckedAdd(32, offset), size);
    if (end > source.Size())
        Fail(Status::Corrupt);
    if (size > MemoryLimit() || size > SIZE_MAX)
        Fail(Status::NoMemory);
    std::vector<uint8_t> header(static_cast<size_t>(size));
    source.ReadAt(32 + offset, header.data(), header.size());
    if (Crc32(header.data(), header.size()) != crc)
        Fail(Status::Corrupt);
    ReadDatabase(header, false);
}

SevenZipArchive::~SevenZipArchive() = default;

void SevenZipArchive::PlacePackStreams(uint64_t packPos)
{
    dataOffset_ = CheckedAdd(32, packPos);
    packOffsets_.clear();
    uint64_t pos = dataOffset_;
    for (uint64_t size : packSizes_) {
        packOffsets_.push_back(pos);
        pos = CheckedAdd(pos, size);
    }
    if (pos > source_.Size())
        Fail(Status::Corrupt);
}

void SevenZipArchive::ReadDatabase(const std::vector<uint8_t>& header, bool fromEncrypted)
{
    std::vector<uint8_t> current = header;
    for (int depth = 0;; ++depth) {
        ByteCursor c(current.data(), current.size());
        uint64_t id = c.Number();
        packSizes_.clear();
        folders_.clear();
        uint64_t packPos = 0;
        HeaderReader reader(c, packSizes_, folders_, packPos);
        Substreams ss;
        if (id == kEncodedHeader) {
            if (depth >= 4)
                Fail(Status::Corrupt);
            reader.StreamsInfo(ss);
            PlacePackStreams(packPos);
            if (folders_.empty())
                Fail(Status::Corrupt);
            bool encrypted = folders_[0].Encrypted();
            try {
                current = DecodeHeaderFolder(0);
            } catch (const ArchiveError& e) {
                if (encrypted && (e.status == Status::Corrupt || e.status == Status::Crc))
                    Fail(Status::WrongPassword);
                throw;
            }
            fromEncrypted = fromEncrypted || encrypted;
            continue;
        }
        if (id != kHeader)
            Fail(Status::Corrupt);
        uint64_t type = c.Number();
        if (type == kArchiveProperties) {
            while (c.Number() != kEnd)
                c.Skip(c.Number());
            type = c.Number();
        }
        if (type == kAdditionalStreamsInfo)
            Fail(Status::Unsupported);
        if (type == kMainStreamsInfo) {
            reader.StreamsInfo(ss);
            type = c.Number();
        }
        PlacePackStreams(packPos);
        entries_.clear();
        if (type == kFilesInfo) {
            uint64_t numFiles = c.Number();
            if (numFiles > kMaxFiles || numFiles > uint64_t(c.Remaining()) * 8)
                Fail(Status::Corrupt);
            entries_.resize(size_t(numFiles));
            std::vector<bool> emptyStream(static_cast<size_t>(numFiles)), emptyFile, anti;
            uint64_t numEmpty = 0;
            for (;;) {
                uint64_t prop = c.Number();
                if (prop == kEnd)
                    break;
                uint64_t size = c.Number();
                ByteCursor p(c.Take(size), size_t(size));
                switch (prop) {
                case kEmptyStream:
                    emptyStream = ReadBits(p, numFiles);
                    numEmpty = uint64_t(std::count(emptyStream.begin(), emptyStream.end(), true));
                    emptyFile.assign(size_t(numEmpty), false);
                    anti.assign(size_t(numEmpty), false);
                    break;
                case kEmptyFile:
                    emptyFile = ReadBits(p, numEmpty);
                    break;
                case kAnti:
                    anti = ReadBits(p, numEmpty);
                    break;
                case kName:
                    if (p.Byte() != 0)
                        Fail(Status::Unsupported);
                    for (Entry& e : entries_) {
                        std::u16string name;
                        for (;;) {
                            const uint8_t* ch = p.Take(2);
                            char16_t v = char16_t(ch[0] | ch[1] << 8);
                            if (v == 0)
                                break;
                            name.push_back(v);
                        }
                        e.name = std::move(name);
                    }
                    break;
                case kMTime:
                case kWinAttributes: {
                    std::vector<bool> defined = ReadOptionalBits(p, numFiles);
                    if (p.Byte() != 0)
                        Fail(Status::Unsupported);
                    for (size_t i = 0; i < entries_.size(); ++i) {
                        if (!defined[i])
                            continue;
                        if (prop == kMTime) {
                            entries_[i].mtime = p.UInt64();
                            entries_[i].hasTime = true;
                        } else {
                            entries_[i].attributes = p.UInt32();
                            entries_[i].hasAttributes = true;
                        }
                    }
                    break;
                }
                default:
                    break; // times we do not keep, padding, unknown properties
                }
            }
            size_t emptyIndex = 0, streamIndex = 0;
            uint32_t folder = 0, inFolder = 0;
            for (Entry& e : entries_) {
                size_t i = size_t(&e - entries_.data());
                e.hasStream = !emptyStream[i];
                if (!e.hasStream) {
                    e.isDir = !emptyFile[emptyIndex];
                    e.isAnti = anti[emptyIndex];
                    ++emptyIndex;
                    continue;
                }
                while (folder < folders_.size() && folders_[folder].numSubstreams == 0)
                    ++folder;
                if (folder >= folders_.size() || streamIndex >= ss.sizes.size())
                    Fail(Status::Corrupt);
                e.folder = folder;
                e.indexInFolder = inFolder;
                e.size = ss.sizes[streamIndex];
                e.hasCrc = ss.crcDefined[streamIndex];
                e.crc = ss.crcs[streamIndex];
                ++streamIndex;
                if (++inFolder == folders_[folder].numSubstreams) {
                    ++folder;
                    inFolder = 0;
                }
            }
            if (streamIndex != ss.sizes.size())
                Fail(Status::Corrupt);
            type = c.Number();
        }
        if (type != kEnd)
            Fail(Status::Corrupt);
        return;
    }
}

std::vector<uint8_t> SevenZipArchive::DecodeHeaderFolder(uint32_t folder)
{
    const Folder& f = folders_[folder];
    uint64_t size = f.UnpackSize();
    if (size > MemoryLimit() || size > SIZE_MAX)
        Fail(Status::NoMemory);
    auto stream = OpenFolder(folder);
    std::vector<uint8_t> out;
    // Grown as data arrives, so a size field alone allocates nothing.
    out.reserve(size_t(std::min<uint64_t>(size, 1 << 20)));
    std::vector<uint8_t> buf(kChunk);
    while (out.size() < size) {
        size_t n =
            stream->Read(buf.data(), size_t(std::min<uint64_t>(buf.size(), size - out.size())));
        if (n == 0)
            Fail(Status::Corrupt);
        out.insert(out.end(), buf.begin(), buf.begin() + long(n));
    }
    if (f.hasCrc && Crc32(out.data(), out.size()) != f.crc)
        Fail(Status::Crc);
    return out;
}

uint64_t SevenZipArchive::PackSizeOfFolder(uint32_t folder) const
{
    const Folder& f = folders_[folder];
    uint64_t sum = 0;
    for (size_t i = 0; i < f.packedIn.size(); ++i)
        sum += packSizes_[f.firstPackStream + i];
    return sum;
}

std::unique_ptr<InStream> SevenZipArchive::OpenFolder(uint32_t folderIndex)
{
    const Folder& f = folders_[folderIndex];
    std::vector<uint32_t> firstIn, firstOut;
    uint32_t in = 0, out = 0;
    for (const Coder& c : f.coders) {
        firstIn.push_back(in);
        firstOut.push_back(out);
        in += c.numIn;
        out += c.numOut;
    }
    std::function<std::unique_ptr<InStream>(uint32_t, uint32_t)> build;
    build = [&](uint32_t outIndex, uint32_t depth) -> std::unique_ptr<InStream> {
        if (depth > f.coders.size())
            Fail(Status::Corrupt);
        size_t ci = 0;
        while (ci < f.coders.size() &&
               !(outIndex >= firstOut[ci] && outIndex < firstOut[ci] + f.coders[ci].numOut))
            ++ci;
        if (ci == f.coders.size())
            Fail(Status::Corrupt);
        const Coder& coder = f.coders[ci];
        if (coder.numOut != 1)
            Fail(Status::Unsupported);
        std::vector<std::unique_ptr<InStream>> inputs;
        for (uint32_t k = 0; k < coder.numIn; ++k) {
            uint32_t inIndex = firstIn[ci] + k;
            auto bp = std::find_if(f.binds.begin(), f.binds.end(),
                                   [&](const BindPair& b) { return b.in == inIndex; });
            if (bp != f.binds.end()) {
                inputs.push_back(build(bp->out, depth + 1));
                continue;
            }
            auto pk = std::find(f.packedIn.begin(), f.packedIn.end(), inIndex);
            if (pk == f.packedIn.end())
                Fail(Status::Corrupt);
            size_t ps = f.firstPackStream + size_t(pk - f.packedIn.begin());
            inputs.push_back(
                std::make_unique<PackStream>(source_, packOffsets_[ps], packSizes_[ps]));
        }
        uint64_t size = f.unpackSizes[outIndex];
        auto single = [&]() {
            if (inputs.size() != 1)
                Fail(Status::Unsupported);
            return std::move(inputs[0]);
        };
        switch (coder.method) {
        case kMethodCopy:
            return MakeCopyDecoder(single(), size);
        case kMethodLzma:
            return MakeLzmaDecoder(single(), coder.props, size);
        case kMethodLzma2:
            return MakeLzma2Decoder(single(), coder.props, size);
        case kMethodBcj:
            return MakeCopyDecoder(MakeBcjDecoder(single()), size);
        case kMethodBcj2:
            return MakeBcj2Decoder(std::move(inputs), size);
        case kMethodAes:
            return MakeCopyDecoder(MakeAesDecoder(single(), coder.props, *keys_), size);
        default:
            Fail(Status::Unsupported);
        }
    };
    return build(f.mainOut, 0);
}

void ExtractEntries(SevenZipArchive& archive, const std::vector<bool>& wanted, ExtractSink& sink)
{
    const auto& entries = archive.Entries();
    const auto& folders = archive.Folders();
    auto want = [&](size_t i) { return wanted.empty() || (i < wanted.size() && wanted[i]); };
    // The last substream of each folder that is wanted: decoding stops there.
    std::vector<int64_t> lastWanted(folders.size(), -1);
    uint64_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!want(i))
            continue;
        total += entries[i].size;
        if (entries[i].hasStream)
            lastWanted[entries[i].folder] =
                std::max<int64_t>(lastWanted[entries[i].folder], entries[i].indexInFolder);
    }
    uint64_t done = 0;
    uint32_t openFolder = kNoFolder;
    std::unique_ptr<InStream> stream;
    std::vector<uint8_t> buf(kChunk);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        bool wantThis = want(i) && !e.isAnti;
        if (!e.hasStream) {
            if (!wantThis)
                continue;
            if (!sink.Continue(done, total))
                Fail(Status::Cancelled);
            if (e.isDir) {
                sink.Directory(uint32_t(i), e);
            } else if (auto w = sink.BeginFile(uint32_t(i), e)) {
                w->Commit();
            }
            continue;
        }
        if (lastWanted[e.folder] < int64_t(e.indexInFolder))
            continue; // nothing further is needed from this folder
        if (!sink.Continue(done, total))
            Fail(Status::Cancelled);
        bool encrypted = folders[e.folder].Encrypted();
        try {
            if (openFolder != e.folder) {
                stream.reset();
                stream = archive.OpenFolder(e.folder);
                openFolder = e.folder;
            }
            std::unique_ptr<EntryWriter> writer =
                wantThis ? sink.BeginFile(uint32_t(i), e) : nullptr;
            uint64_t left = e.size;
            uint32_t crc = 0;
            while (left > 0) {
                size_t n = stream->Read(buf.data(), size_t(std::min<uint64_t>(buf.size(), left)));
                if (n == 0)
                    Fail(Status::Corrupt);
                crc = Crc32Update(crc, buf.data(), n);
                if (writer)
                    writer->Write(buf.data(), n);
                left -= n;
                if (wantThis) {
                    done += n;
                    if (!sink.Continue(done, total))
                        Fail(Status::Cancelled);
                }
            }
            if (e.hasCrc && crc != e.crc)
                Fail(Status::Crc);
            if (writer)
                writer->Commit();
        } catch (const ArchiveError& err) {
            if (encrypted && (err.status == Status::Corrupt || err.status == Status::Crc))
                Fail(Status::WrongPassword);
            throw;
        }
    }
    if (!sink.Continue(done, total))
        Fail(Status::Cancelled);
}

bool SafeRelativePath(const std::u16string& name, std::vector<std::u16string>& parts)
{
    parts.clear();
    if (name.empty() || name[0] == u'/' || name[0] == u'\\')
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(u"/\\", start);
        if (end == std::u16string::npos)
            end = name.size();
        std::u16string comp = name.substr(start, end - start);
        start = end + 1;
        if (comp.empty() || comp == u".")
            continue;
        if (comp.find(u':') != std::u16string::npos || IsDots(comp) || IsDeviceName(comp))
            return false;
        if (std::any_of(comp.begin(), comp.end(), [](char16_t c) { return c < 0x20; }))
            return false;
        parts.push_back(std::move(comp));
    }
    return !parts.empty();
}

} // namespace ovd::archive
