// Failure kinds of the 7z reader and the one place that turns them into the library's codes.
#pragma once

#include <cstdint>
#include <exception>

namespace ovd::archive {

enum class Status {
    Ok,
    NotFound,      // the archive file does not exist
    IllegalPath,   // an entry name that would leave the target folder
    NotArchive,    // not a 7z archive, or an encrypted header that would not decrypt
    WrongPassword, // encrypted data that did not decode with the password given
    Corrupt,       // a header or a stream that breaks the format, truncation included
    Crc,           // data that decoded but fails its checksum
    Unsupported,   // a method or feature this reader does not implement
    Write,         // the output could not be written
    Cancelled,     // the caller asked to stop
    NoMemory,      // an allocation failed or a size passed the reader's limits
    BadArgument,   // the caller passed something unusable
    Read,          // the archive file could not be read
};

// The reader signals failure by throwing this; the library boundary turns it into a code.
struct ArchiveError : std::exception {
    explicit ArchiveError(Status s) : status(s) {}
    const char* what() const noexcept override;
    Status status;
};

[[noreturn]] void Fail(Status s);

// Error code of the library interface (1001...), 0 for Ok.
int32_t ErrorCode(Status s);
// Text of a library error code; unknown codes give "General failure opening archive".
const char* ErrorText(int32_t code);

} // namespace ovd::archive
