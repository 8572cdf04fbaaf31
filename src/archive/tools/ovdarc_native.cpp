// ovdarc: lists or extracts a 7z archive with the OS-free reader (the native twin of
// ovdarc.exe, which goes through ovd.lib).
//   ovdarc l ARCHIVE [PASSWORD]
//   ovdarc x ARCHIVE TARGETFOLDER [PASSWORD]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/utf.h"
#include "native_files.h"
#include "ovdlib.h"

using namespace ovd::archive;

namespace {

int Usage()
{
    std::fprintf(
        stderr,
        "usage: ovdarc l ARCHIVE [PASSWORD]\n       ovdarc x ARCHIVE TARGETFOLDER [PASSWORD]\n");
    return 2;
}

int Run(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    std::string cmd = argv[1];
    bool extract = cmd == "x";
    if (!extract && cmd != "l")
        return Usage();
    int pwIndex = extract ? 4 : 3;
    if (argc < pwIndex || argc > pwIndex + 1)
        return Usage();
    PasswordProvider passwords;
    if (argc > pwIndex) {
        std::u16string pw = Utf8ToUtf16(argv[pwIndex]);
        passwords = [pw]() { return std::optional<std::u16string>(pw); };
    }
    FileSource source(argv[2]);
    SevenZipArchive archive(source, passwords);
    if (!extract) {
        for (const Entry& e : archive.Entries()) {
            std::string name = Utf16ToUtf8(e.name);
            for (char& c : name)
                if (c == '\\')
                    c = '/';
            std::printf("%s\n", name.c_str());
        }
        return 0;
    }
    FolderSink sink(argv[3]);
    std::error_code ec;
    std::filesystem::create_directories(argv[3], ec);
    ExtractEntries(archive, {}, sink);
    if (sink.SkippedUnsafe())
        Fail(Status::IllegalPath);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const ArchiveError& e) {
        std::fprintf(stderr, "%s\n", ErrorText(ErrorCode(e.status)));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", ErrorText(OVD_E_NO_MEMORY));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
