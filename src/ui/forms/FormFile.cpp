#include "FormFile.h"

#include <fstream>
#include <iterator>

#include "FormBinaryReader.h"
#include "FormError.h"
#include "FormLimits.h"
#include "FormTextReader.h"

namespace ovd {

namespace {

[[noreturn]] void TooLarge(const std::string& file)
{
    throw EFormError(file, EFormError::TPlace::None, 0,
                     "larger than " + std::to_string(kMaxFormFileSize >> 20) +
                         " MiB; not a form file");
}

} // namespace

TFormComponent LoadForm(std::string_view bytes, const TFormReadOptions& options)
{
    if (bytes.size() > kMaxFormFileSize) {
        TooLarge(options.FileName);
    }
    if (IsBinaryForm(bytes) || HasResourceHeader(bytes)) {
        return ReadBinaryForm(bytes, options);
    }
    return ReadTextForm(bytes, options);
}

TFormComponent ReadFormFile(const std::string& path, const TAnsiCodePage* page)
{
    TFormReadOptions options;
    options.FileName = path;
    options.CodePage = page;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size < 0) {
        throw EFormError(path, EFormError::TPlace::None, 0, "cannot read the file");
    }
    if (static_cast<std::uint64_t>(size) > kMaxFormFileSize) {
        TooLarge(path);
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), size)) {
        throw EFormError(path, EFormError::TPlace::None, 0, "cannot read the file");
    }
    return LoadForm(bytes, options);
}

} // namespace ovd
