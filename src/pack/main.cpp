// ovdpack: builds a setup package (setup program with its compiled script, setup archive,
// installer database, ovd.lib with the engine language file) from a package source folder.
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "PackageBuilder.h"
#include "ScriptSource.h"

namespace {

constexpr const char* kUsage =
    R"(usage: ovdpack --engine ORDOVAN.EXE [--lib OVD.LIB] [options] SOURCEDIR OUTDIR

Builds OUTDIR/<name>.exe (the engine with the compiled script behind it), <name>.res
(7z archive of SOURCEDIR/support), <name>.msi (copied, or made from a .wxs with wixl),
ovd.lib (with SOURCEDIR/lang.loc or the English defaults behind it), setup.bmp, data/.

options:
  --engine FILE        the engine program (required)
  --lib FILE           the archive library; without it no ovd.lib is written
  --script FILE        script source (default SOURCEDIR/setup.ovds)
  --name NAME          setup name (default: the source's "name", else "setup")
  --dump-script FILE   also write the compiled script to FILE
  --binary-forms       carry every support/*.dfm as a binary form (text forms converted)
  --verbose            show the output of 7zz and wixl
broken packages, for failure tests:
  --no-script          no compiled script behind the engine        (exit 13)
  --no-res             no setup archive                            (exit 14)
  --bad-res            a setup archive that is not an archive      (exit 15)
  --no-msi             no installer database                       (exit 16)
  --truncate-script N  keep only the first N bytes of the script   (exit 11)
  --no-lang            ovd.lib without a language file behind it
)";

int Usage(const std::string& why)
{
    std::cerr << "ovdpack: " << why << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    ovd::pack::TPackOptions o;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](std::filesystem::path& into) {
            if (i + 1 >= argc) {
                return false;
            }
            into = argv[++i];
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--engine") {
            ok = value(o.engine);
        } else if (arg == "--lib") {
            ok = value(o.lib);
        } else if (arg == "--script") {
            ok = value(o.script);
        } else if (arg == "--dump-script") {
            ok = value(o.dumpScript);
        } else if (arg == "--name") {
            std::filesystem::path name;
            ok = value(name);
            o.name = name.string();
        } else if (arg == "--truncate-script") {
            std::filesystem::path n;
            ok = value(n);
            char* end = nullptr;
            const std::string text = n.string();
            unsigned long long bytes = std::strtoull(text.c_str(), &end, 10);
            if (!ok || text.empty() || *end != '\0') {
                return Usage("--truncate-script needs a number of bytes");
            }
            o.truncateScript = bytes;
        } else if (arg == "--no-script") {
            o.noScript = true;
        } else if (arg == "--no-res") {
            o.noRes = true;
        } else if (arg == "--bad-res") {
            o.badRes = true;
        } else if (arg == "--no-msi") {
            o.noMsi = true;
        } else if (arg == "--no-lang") {
            o.noLang = true;
        } else if (arg == "--binary-forms") {
            o.binaryForms = true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + std::string(arg));
        } else {
            positional.emplace_back(arg);
        }
        if (!ok) {
            return Usage(std::string(arg) + " needs a value");
        }
    }
    if (positional.size() != 2) {
        return Usage("expected SOURCEDIR and OUTDIR");
    }
    if (o.engine.empty()) {
        return Usage("--engine is required");
    }
    o.sourceDir = positional[0];
    o.outDir = positional[1];
    try {
        auto result = ovd::pack::BuildPackage(o);
        std::cout << "ovdpack: " << result.exe.string() << " (" << result.scriptLines
                  << " script lines, " << result.scriptBytes << " bytes of compiled script)\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "ovdpack: " << e.what() << "\n";
        return 1;
    }
}
