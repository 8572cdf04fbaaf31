#include "FormFile.h"

#include <iterator>
#include <optional>

#include "FileBytes.h"
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
    bool tooLarge = false;
    const std::optional<std::string> bytes = ReadFileBytes(path, kMaxFormFileSize, &tooLarge);
    if (tooLarge) {
        TooLarge(path);
    }
    if (!bytes) {
        throw EFormError(path, EFormError::TPlace::None, 0, "cannot read the file");
    }
    return LoadForm(*bytes, options);
}

} // namespace ovd
