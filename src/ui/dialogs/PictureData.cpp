// The picture of an image as the form file stores it: the picture class name (a short
// string), then the picture's file, with its size in front for bitmaps and JPEG pictures
// and without for icons and PNG pictures. Bitmaps are read here; icons, PNG, JPEG and GIF
// pictures through the system's imaging component, drawn over the control's colour where
// they are transparent. Read through the bounded cursor; anything malformed or undecodable
// leaves the image empty.
#include "ControlWindows.h"

#include <wincodec.h>

#include "ByteCursor.h"
#include "ComApartment.h"
#include "WinHandles.h"

#include <cstring>
#include <vector>

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

enum class TPictureFormat { None, Bitmap, Coded };

TPictureFormat FormatOf(std::string_view file)
{
    const auto starts = [&](std::string_view magic) {
        return file.size() >= magic.size() && file.substr(0, magic.size()) == magic;
    };
    if (starts("BM"))
        return TPictureFormat::Bitmap;
    if (starts("\x89PNG\r\n\x1a\n") || starts("\xFF\xD8\xFF") ||
        starts(std::string_view("\0\0\1\0", 4)) || starts("GIF8"))
        return TPictureFormat::Coded;
    return TPictureFormat::None;
}

// An icon, PNG, JPEG or GIF file decoded (the largest frame of an icon), its transparent
// parts drawn over `background`.
HBITMAP DecodedBitmap(std::string_view file, COLORREF background)
{
    TComApartment com;
    UniqueComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.put())))
        return nullptr;
    UniqueComPtr<IWICStream> stream;
    UniqueComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateStream(reinterpret_cast<IWICStream**>(stream.put()))) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(file.data())),
                                            static_cast<DWORD>(file.size()))) ||
        FAILED(
            factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                             reinterpret_cast<IWICBitmapDecoder**>(decoder.put()))))
        return nullptr;
    UINT frames = 0;
    if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0)
        return nullptr;
    UINT best = 0, width = 0, height = 0;
    for (UINT i = 0; i < frames && i < 64; ++i) {
        UniqueComPtr<IWICBitmapFrameDecode> candidate;
        UINT w = 0, h = 0;
        if (SUCCEEDED(
                decoder->GetFrame(i, reinterpret_cast<IWICBitmapFrameDecode**>(candidate.put()))) &&
            SUCCEEDED(candidate->GetSize(&w, &h)) && w > width) {
            best = i;
            width = w;
            height = h;
        }
    }
    UniqueComPtr<IWICBitmapFrameDecode> frame;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        FAILED(decoder->GetFrame(best, reinterpret_cast<IWICBitmapFrameDecode**>(frame.put()))))
        return nullptr;
    UniqueComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(
            reinterpret_cast<IWICFormatConverter**>(converter.put()))) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    const UINT stride = width * 4;
    std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * height);
    if (FAILED(converter->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()),
                                     pixels.data())))
        return nullptr;
    const unsigned back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        for (int c = 0; c < 3; ++c)
            pixels[i + c] =
                static_cast<BYTE>((pixels[i + c] * alpha + back[c] * (255 - alpha) + 127) / 255);
        pixels[i + 3] = 255;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
        std::memcpy(bits, pixels.data(), pixels.size());
    return bitmap;
}

// The picture's file: after the class name either a 32-bit size and the file, or the file
// itself.
std::string_view PictureFile(std::string_view rest)
{
    if (rest.size() > 4) {
        std::uint32_t size = 0;
        std::memcpy(&size, rest.data(), 4);
        const std::string_view sized = rest.substr(4);
        if (size > 0 && size <= sized.size() &&
            FormatOf(sized.substr(0, size)) != TPictureFormat::None)
            return sized.substr(0, size);
    }
    return FormatOf(rest) != TPictureFormat::None ? rest : std::string_view();
}

} // namespace

HBITMAP PictureBitmap(const std::string& pictureData, COLORREF background)
{
    try {
        ByteCursor cursor(pictureData);
        const std::uint8_t nameLength = cursor.Byte();
        for (std::uint8_t i = 0; i < nameLength; ++i)
            cursor.Byte(); // the class name: the bytes tell the format
        const std::string_view file =
            PictureFile(std::string_view(pictureData).substr(cursor.Position()));
        switch (FormatOf(file)) {
        case TPictureFormat::Bitmap:
            return BitmapFromFile(file);
        case TPictureFormat::Coded:
            return DecodedBitmap(file, background);
        default:
            return nullptr;
        }
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace ovd
