// Times the native 7z reader: decodes every entry of an archive (CRCs checked, nothing
// written), best of N runs.
//   archive_bench ARCHIVE [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tools/native_files.h"

using namespace ovd::archive;

namespace {

class Discard final : public ExtractSink {
public:
    std::unique_ptr<EntryWriter> BeginFile(uint32_t, const Entry&) override
    {
        return std::make_unique<DiscardWriter>();
    }
    void Directory(uint32_t, const Entry&) override {}
    bool Continue(uint64_t done, uint64_t) override
    {
        bytes = done;
        return true;
    }
    uint64_t bytes = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: archive_bench ARCHIVE [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    double best = 1e30;
    uint64_t bytes = 0;
    try {
        for (int i = 0; i < runs; ++i) {
            auto start = std::chrono::steady_clock::now();
            FileSource source(argv[1]);
            SevenZipArchive archive(source, nullptr);
            Discard sink;
            ExtractEntries(archive, {}, sink);
            double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            best = std::min(best, s);
            bytes = sink.bytes;
        }
    } catch (const ArchiveError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%.3f s  %.1f MB/s  (%llu bytes, best of %d)\n", best, double(bytes) / best / 1e6,
                static_cast<unsigned long long>(bytes), runs);
    return 0;
}
