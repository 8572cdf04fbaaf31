// Any command line: the reader never fails, and what it finds is consistent with the
// arguments the Windows rules give.
#include "CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view raw(reinterpret_cast<const char*>(data), size);
    ovd::ProcessFacts facts;
    ovd::ParseCommandLine(raw, facts);
    // Properties come in pairs, at most one pair per argument.
    if (facts.CommandLineProperties.size() % 2 != 0 ||
        facts.CommandLineProperties.size() / 2 > ovd::SplitArguments(raw).size())
        std::abort();
    // The tail is a suffix of the command line.
    if (facts.CommandLineTail.size() > raw.size() ||
        raw.substr(raw.size() - facts.CommandLineTail.size()) != facts.CommandLineTail)
        std::abort();
    return 0;
}
