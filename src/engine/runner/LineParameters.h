// Where each line's parameters stand in the compiled script's parameter lists, worked out
// once per script, so that a handler reads parameter n of its line without searching the
// lists again (the runner reads several parameters of every line it executes). OS-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ovd {

struct TCompiledScript;
class THashedStringList;

class TLineParameters {
public:
    // Parameter n of `line`: n = 0 gives the line identifier as the lists hold it. The
    // entry at (position of the identifier) + n in the first list that holds it; empty when
    // no list holds it, or n lies beyond the line's record (a record ends where the next
    // line identifier begins, or with its list). The reference stays valid while the
    // script's lists do not change.
    const std::string& Get(const TCompiledScript& script, long line, long n);

private:
    struct Record {
        const THashedStringList* List = nullptr; // null: no list holds the identifier
        std::size_t Position = 0;
        long Count = 0; // parameters after the identifier
    };
    void Build(const TCompiledScript& script);

    std::uint64_t built_ = 0; // the script's generation

    std::vector<Record> records_;
};

} // namespace ovd
