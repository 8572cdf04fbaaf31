// Archives made with 7zz at test time, and a sink that records what the reader hands out.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/sevenzip.h"
#include "core/utf.h"

namespace archivetest {

namespace fs = std::filesystem;
using namespace ovd::archive;

inline fs::path WorkDir()
{
    const char* out = std::getenv("OVD_TEST_OUT");
    fs::path p = fs::path(out ? out : "/tmp") / "archive_unit";
    fs::create_directories(p);
    return p;
}

inline std::string ReadAll(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteAll(const fs::path& p, const std::string& s)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << s;
}

// Runs 7zz to pack the files of `folder` (relative names) into a new archive and returns its bytes.
inline std::string Make7z(const std::string& name, const fs::path& folder,
                          const std::string& switches)
{
    fs::path archive = WorkDir() / (name + ".7z");
    fs::remove(archive);
    std::string cmd = "cd '" + folder.string() + "' && 7zz a -bd -bso0 -bsp0 '" + archive.string() +
                      "' " + switches + " -- * >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        ADD_FAILURE() << "7zz failed: " << cmd;
    return ReadAll(archive);
}

struct Recorded {
    std::map<std::string, std::string> files; // committed files by name
    std::vector<std::string> dirs;
    int begun = 0;
};

class RecordingSink : public ExtractSink {
public:
    explicit RecordingSink(Recorded& r, int cancelAfter = -1) : r_(r), cancelAfter_(cancelAfter) {}
    class Writer : public EntryWriter {
    public:
        Writer(Recorded& r, std::string name) : r_(r), name_(std::move(name)) {}
        void Write(const uint8_t* d, size_t n) override
        {
            data_.append(reinterpret_cast<const char*>(d), n);
        }
        void Commit() override { r_.files[name_] = data_; }

    private:
        Recorded& r_;
        std::string name_, data_;
    };
    std::unique_ptr<EntryWriter> BeginFile(uint32_t, const Entry& e) override
    {
        ++r_.begun;
        return std::make_unique<Writer>(r_, Utf16ToUtf8(e.name));
    }
    void Directory(uint32_t, const Entry& e) override { r_.dirs.push_back(Utf16ToUtf8(e.name)); }
    bool Continue(uint64_t, uint64_t) override
    {
        return cancelAfter_ < 0 || calls_++ < cancelAfter_;
    }

private:
    Recorded& r_;
    int cancelAfter_;
    int calls_ = 0;
};

inline PasswordProvider Password(const std::string& pw)
{
    return [pw]() { return std::optional<std::u16string>(Utf8ToUtf16(pw)); };
}

// Opens and extracts an in-memory archive; returns the failure or Ok.
inline Status ExtractBytes(const std::string& bytes, Recorded& out, PasswordProvider pw = nullptr,
                           int cancelAfter = -1)
{
    try {
        MemorySource src(bytes.data(), bytes.size());
        SevenZipArchive a(src, pw);
        RecordingSink sink(out, cancelAfter);
        ExtractEntries(a, {}, sink);
        return Status::Ok;
    } catch (const ArchiveError& e) {
        return e.status;
    }
}

} // namespace archivetest
