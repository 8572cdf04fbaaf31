// Builds a setup package from a package source folder (docs/package-layout.md).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace ovd::pack {

class EPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TPackOptions {
    std::filesystem::path engine;    // ordovan.exe
    std::filesystem::path lib;       // ovd.lib; empty: none is written
    std::filesystem::path sourceDir; // package source folder
    std::filesystem::path outDir;
    std::filesystem::path script;     // script source; default sourceDir/setup.ovds
    std::string name;                 // setup name; default from the source, else "setup"
    std::filesystem::path dumpScript; // also write the compiled script here
    // Broken packages for failure tests.
    bool noScript = false;                       // the engine without a compiled script behind it
    bool noRes = false;                          // no setup archive
    bool badRes = false;                         // a setup archive that is not an archive
    bool noMsi = false;                          // no installer database
    bool noLang = false;                         // ovd.lib without a language file behind it
    std::optional<std::uint64_t> truncateScript; // keep only this many bytes of the script
    bool binaryForms = false; // carry every support/*.dfm as a binary form stream
    bool verbose = false;
};

// What was written, for the report.
struct TPackResult {
    std::filesystem::path exe;
    std::uint64_t scriptBytes = 0;
    std::size_t scriptLines = 0;
};

TPackResult BuildPackage(const TPackOptions& options);

} // namespace ovd::pack
