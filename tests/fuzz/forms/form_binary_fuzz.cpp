// Binary forms from outside, bare or behind the resource header: any bytes give a tree or
// one EFormError, never a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FormError.h"
#include "FormFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        CheckRoundTrips(
            ovd::ReadBinaryForm(std::string_view(reinterpret_cast<const char*>(data), size)));
    } catch (const ovd::EFormError&) {
    }
    return 0;
}
