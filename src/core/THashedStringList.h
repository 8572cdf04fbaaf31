// An ordered list of texts whose position lookup compares without regard to case
// (AnsiSameText) through a hash index, so that the runner's per-line lookups stay cheap
// however long the script is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "AnsiText.h"

namespace ovd {

class THashedStringList {
public:
    THashedStringList() = default;
    THashedStringList(std::initializer_list<std::string> items);

    void Add(std::string text);
    // Replaces one entry; the index is rebuilt on the next lookup.
    void Set(std::size_t index, std::string text);
    void Clear();

    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const std::string& operator[](std::size_t index) const { return items_[index]; }
    // Entry at index, or empty text outside the list.
    const std::string& At(std::size_t index) const;
    const std::vector<std::string>& Items() const { return items_; }

    // Position of the first entry equal to text without regard to case; -1 when none.
    // Lookups only read the list once it is indexed (see Reindex).
    long IndexOf(std::string_view text) const;
    // Brings the index up to date after Set, so that later lookups never write (lists
    // handed to other threads are indexed first).
    void Reindex() const
    {
        if (stale_) {
            Rebuild();
        }
    }

    bool operator==(const THashedStringList& other) const { return items_ == other.items_; }

private:
    static std::uint32_t HashOf(std::string_view text);
    void Insert(std::size_t index) const;
    void Rebuild() const;

    std::vector<std::string> items_;
    std::vector<std::uint32_t> hashes_; // per entry
    // Open addressing over the first entry of every distinct text (case folded): entry
    // index + 1, 0 for a free slot; a power of two, at most half full.
    mutable std::vector<std::uint32_t> slots_;
    mutable std::size_t distinct_ = 0;
    mutable bool stale_ = false;
};

} // namespace ovd
