// Language files from outside: reading never runs past the input, and no message takes
// a line break from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "EngineMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ovd::ResetEngineMessages();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    int blocks = ovd::LoadEngineMessagesFromText(text, "German");
    if (blocks < 0) {
        std::abort();
    }
    for (int i = 1; i <= ovd::kEngineMessageCount; ++i) {
        if (ovd::EngineMessage(i).find_first_of("\r\n") != std::string_view::npos) {
            std::abort();
        }
    }
    return 0;
}
