// The picture of an image as the form file stores it: the picture class name (a short
// string), then for a bitmap its size and the bitmap file. Read through the bounded cursor;
// anything malformed leaves the image empty.
#include "TPoolTemplate.h"

#include "ByteCursor.h"

#include <cstring>

namespace ovd {
namespace {

constexpr std::uint32_t kMaxSide = 16384;

HBITMAP BitmapFromFile(std::string_view file)
{
    ByteCursor cursor(file);
    if (cursor.UInt16() != 0x4D42) // "BM"
        return nullptr;
    cursor.UInt32(); // file size
    cursor.UInt32(); // reserved
    const std::uint32_t bitsOffset = cursor.UInt32();
    const std::size_t headerAt = cursor.Position();
    const std::uint32_t headerSize = cursor.UInt32();
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > file.size() - headerAt)
        return nullptr;
    BITMAPINFOHEADER header{};
    std::memcpy(&header, file.data() + headerAt, sizeof header);
    const std::uint32_t width = static_cast<std::uint32_t>(header.biWidth);
    const std::uint32_t height =
        static_cast<std::uint32_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    const std::uint32_t bits = header.biBitCount;
    if (header.biWidth <= 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS))
        return nullptr;
    std::uint64_t colours = header.biClrUsed ? header.biClrUsed : (bits <= 8 ? 1u << bits : 0);
    if (colours > 256)
        return nullptr;
    const std::uint64_t masks = header.biCompression == BI_BITFIELDS && headerSize == 40 ? 12 : 0;
    const std::uint64_t tableEnd = headerAt + headerSize + masks + colours * 4;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (tableEnd > bitsOffset || bitsOffset > file.size() ||
        stride * height > file.size() - bitsOffset)
        return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + headerAt);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap =
        CreateDIBitmap(screen, &header, CBM_INIT, file.data() + bitsOffset, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace

HBITMAP PictureBitmap(const std::string& pictureData)
{
    try {
        ByteCursor cursor(pictureData);
        const std::uint8_t nameLength = cursor.Byte();
        std::string name;
        for (std::uint8_t i = 0; i < nameLength; ++i)
            name += static_cast<char>(cursor.Byte());
        if (name != "TBitmap")
            return nullptr;
        const std::uint32_t size = cursor.UInt32();
        if (size > cursor.Remaining())
            return nullptr;
        return BitmapFromFile(std::string_view(pictureData).substr(cursor.Position(), size));
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace ovd
