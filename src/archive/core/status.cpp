#include "status.h"

#include "ovdlib.h"

namespace ovd::archive {

namespace {

struct CodeInfo {
    Status status;
    int32_t code;
    const char* text;
};

constexpr CodeInfo kCodes[] = {
    {Status::Ok, OVD_OK, "No error"},
    {Status::NotFound, OVD_E_NOT_FOUND, "The archive file was not found"},
    {Status::IllegalPath, OVD_E_ILLEGAL_PATH, "Illegal path used in a wildcard expression"},
    {Status::NotArchive, OVD_E_CANNOT_OPEN,
     "The archive cannot be opened: unsupported archive or incorrect password"},
    {Status::WrongPassword, OVD_E_CANNOT_OPEN,
     "The archive cannot be opened: unsupported archive or incorrect password"},
    {Status::Corrupt, OVD_E_CORRUPT, "The archive is corrupt"},
    {Status::Crc, OVD_E_CRC, "CRC error in the archive"},
    {Status::Unsupported, OVD_E_UNSUPPORTED, "The archive uses an unsupported method"},
    {Status::Write, OVD_E_WRITE, "Cannot write the extracted file"},
    {Status::Cancelled, OVD_E_CANCELLED, "The operation was cancelled"},
    {Status::NoMemory, OVD_E_NO_MEMORY, "Not enough memory"},
    {Status::BadArgument, OVD_E_BAD_ARGUMENT, "Invalid argument"},
    {Status::Read, OVD_E_READ, "Cannot read the archive file"},
};

} // namespace

const char* ArchiveError::what() const noexcept
{
    return ErrorText(ErrorCode(status));
}

void Fail(Status s)
{
    throw ArchiveError(s);
}

int32_t ErrorCode(Status s)
{
    for (const auto& c : kCodes)
        if (c.status == s)
            return c.code;
    return OVD_E_CORRUPT;
}

const char* ErrorText(int32_t code)
{
    for (const auto& c : kCodes)
        if (c.code == code)
            return c.text;
    return "General failure opening archive";
}

} // namespace ovd::archive
