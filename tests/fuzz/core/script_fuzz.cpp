// Compiled scripts from outside: loading never reads past the input, and whatever loads
// writes back to a text that loads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "CompiledScript.h"
#include "CompiledScriptWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ovd::TCompiledScript script;
    if (!ovd::LoadCompiledScript(bytes, script).ok) {
        return 0;
    }
    ovd::TCompiledScript again;
    if (!ovd::LoadCompiledScript(ovd::WriteCompiledScript(script), again).ok ||
        !again.SameContent(script)) {
        std::abort();
    }
    for (std::size_t i = 0; i < script.CommandIds.Count() && i < 64; ++i) {
        for (long n = 0; n < 4; ++n) {
            (void)ovd::GetScriptParameter(script.ParameterLists, script.CommandIds[i], n);
        }
        (void)ovd::GetCommandHeader(script, static_cast<long>(i), false);
    }
    for (std::size_t i = 0; i < script.CompilerVariables.Count() && i < 8; i += 2) {
        (void)ovd::GetCompilerVariable(script, "#" + script.CompilerVariables[i] + "#");
    }
    (void)ovd::GetWebMediaPassword(script, "offline");
    return 0;
}
