#include "FormError.h"

namespace ovd {

namespace {

std::string Message(const std::string& file, EFormError::TPlace place, std::uint64_t where,
                    const std::string& reason)
{
    std::string text = file.empty() ? "" : file + ": ";
    if (place == EFormError::TPlace::Offset) {
        text += "byte " + std::to_string(where) + ": ";
    } else if (place == EFormError::TPlace::Line) {
        text += "line " + std::to_string(where) + ": ";
    }
    return text + reason;
}

} // namespace

EFormError::EFormError(std::string file, TPlace place, std::uint64_t where, std::string reason)
    : std::runtime_error(Message(file, place, where, reason)), file_(std::move(file)),
      place_(place), where_(where), reason_(std::move(reason))
{
}

EFormError::EFormError(std::string reason) : EFormError({}, TPlace::None, 0, std::move(reason)) {}

} // namespace ovd
