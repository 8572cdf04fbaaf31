// Feeds arbitrary bytes to the 7z reader: open, list and extract everything into nowhere.
#include <cstddef>
#include <cstdint>

#include "core/sevenzip.h"

using namespace ovd::archive;

namespace {

class Discard final : public ExtractSink {
public:
    std::unique_ptr<EntryWriter> BeginFile(uint32_t, const Entry& e) override
    {
        std::vector<std::u16string> parts;
        SafeRelativePath(e.name, parts);
        return std::make_unique<DiscardWriter>();
    }
    void Directory(uint32_t, const Entry&) override {}
    bool Continue(uint64_t, uint64_t) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetMemoryLimit(64u << 20);
    SetMaxAesCycles(8);
    try {
        MemorySource source(data, size);
        SevenZipArchive archive(source, [] { return std::optional<std::u16string>(u"pw"); });
        Discard sink;
        ExtractEntries(archive, {}, sink);
    } catch (const ArchiveError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
