// Program images from outside (the setup program and ovd.lib carry their overlays behind
// the image): any bytes give a stub size or a reason, never a read past the headers, and a
// stub size is never negative or past what 32-bit section fields can name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto stub = ovd::PeStubSize(bytes, &error);
    if (stub ? !error.empty() : error.empty())
        std::abort();
    if (stub && *stub > 2 * 0xFFFFFFFFull)
        std::abort();
    return 0;
}
