// ovdform: prints a form file's canonical text rendering, or writes a form as the binary
// stream (docs/form-files.md).
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "FormBinaryWriter.h"
#include "FormError.h"
#include "FormFile.h"
#include "FormTextWriter.h"

namespace {

constexpr const char* kUsage =
    R"(usage: ovdform dump FILE      print the form's canonical text rendering
       ovdform bin IN OUT     write the form IN as a binary stream to OUT

FILE and IN may be a text form, a binary form or a binary form behind a resource header.
Exit codes: 0 done, 1 malformed or unreadable form (one line on standard error), 2 usage.
)";

int Usage(const std::string& why)
{
    std::cerr << "ovdform: " << why << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc < 2) {
        return Usage("expected a command");
    }
    const std::string_view command = argv[1];
    try {
        if (command == "dump" && argc == 3) {
            std::cout << ovd::RenderForm(ovd::ReadFormFile(argv[2]));
            std::cout.flush();
            return std::cout ? 0 : 1;
        }
        if (command == "bin" && argc == 4) {
            const std::string bytes = ovd::WriteBinaryForm(ovd::ReadFormFile(argv[2]));
            std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.close();
            if (!out) {
                std::cerr << "ovdform: " << argv[3] << ": cannot write the file\n";
                return 1;
            }
            return 0;
        }
    } catch (const ovd::EFormError& e) {
        std::cerr << "ovdform: " << e.what() << "\n";
        return 1;
    }
    return Usage(command == "dump" || command == "bin"
                     ? "wrong number of arguments for " + std::string(command)
                     : "unknown command " + std::string(command));
}
