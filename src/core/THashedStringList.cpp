#include "THashedStringList.h"

namespace ovd {

namespace {
const std::string kEmpty;
}

THashedStringList::THashedStringList(std::initializer_list<std::string> items)
{
    for (const auto& item : items) {
        Add(item);
    }
}

std::uint32_t THashedStringList::HashOf(std::string_view text)
{
    const std::uint64_t h = AnsiTextHash(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void THashedStringList::Add(std::string text)
{
    hashes_.push_back(HashOf(text));
    items_.push_back(std::move(text));
    if (!stale_) {
        Insert(items_.size() - 1);
    }
}

void THashedStringList::Set(std::size_t index, std::string text)
{
    hashes_.at(index) = HashOf(text);
    items_[index] = std::move(text);
    stale_ = true;
}

void THashedStringList::Clear()
{
    items_.clear();
    hashes_.clear();
    slots_.clear();
    distinct_ = 0;
    stale_ = false;
}

const std::string& THashedStringList::At(std::size_t index) const
{
    return index < items_.size() ? items_[index] : kEmpty;
}

void THashedStringList::Insert(std::size_t index) const
{
    if ((distinct_ + 1) * 2 > slots_.size()) {
        Rebuild(); // indexes the new entry with the others
        return;
    }
    const std::uint32_t h = hashes_[index];
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) {
            slots_[i] = static_cast<std::uint32_t>(index + 1);
            ++distinct_;
            return;
        }
        if (hashes_[slot - 1] == h && AnsiSameText(items_[slot - 1], items_[index])) {
            return; // the first entry of this text stays the one found
        }
    }
}

void THashedStringList::Rebuild() const
{
    std::size_t size = 16;
    while (size < items_.size() * 2 + 2) {
        size *= 2;
    }
    slots_.assign(size, 0);
    distinct_ = 0;
    stale_ = false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Insert(i);
    }
}

long THashedStringList::IndexOf(std::string_view text) const
{
    if (stale_) {
        Rebuild();
    }
    if (slots_.empty()) {
        return -1;
    }
    const std::uint32_t h = HashOf(text);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) {
            return -1;
        }
        if (hashes_[slot - 1] == h && AnsiSameText(items_[slot - 1], text)) {
            return static_cast<long>(slot - 1);
        }
    }
}

} // namespace ovd
