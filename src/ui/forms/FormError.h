// The one error of the form-file reader and writer: which file, where in it (the byte
// offset of a binary form, the line of a text form) and what is wrong, as one line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ovd {

class EFormError : public std::runtime_error {
public:
    enum class TPlace { None, Offset, Line };

    // "FILE: byte 12: what", "FILE: line 3: what"; without a file name, without its part.
    EFormError(std::string file, TPlace place, std::uint64_t where, std::string reason);
    // A tree the writer cannot express; no file, no place.
    explicit EFormError(std::string reason);

    const std::string& File() const { return file_; }
    TPlace Place() const { return place_; }
    std::uint64_t Where() const { return where_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string file_;
    TPlace place_;
    std::uint64_t where_;
    std::string reason_;
};

} // namespace ovd
