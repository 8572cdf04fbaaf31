// Text forms from outside: any bytes give a tree or one EFormError, never a crash, a hang
// or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FormError.h"
#include "FormFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        CheckRoundTrips(
            ovd::ReadTextForm(std::string_view(reinterpret_cast<const char*>(data), size)));
    } catch (const ovd::EFormError&) {
    }
    return 0;
}
