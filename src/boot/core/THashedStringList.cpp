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

void THashedStringList::Add(std::string text)
{
    if (!stale_) {
        index_.try_emplace(text, static_cast<long>(items_.size()));
    }
    items_.push_back(std::move(text));
}

void THashedStringList::Set(std::size_t index, std::string text)
{
    items_.at(index) = std::move(text);
    stale_ = true;
}

void THashedStringList::Clear()
{
    items_.clear();
    index_.clear();
    stale_ = false;
}

const std::string& THashedStringList::At(std::size_t index) const
{
    return index < items_.size() ? items_[index] : kEmpty;
}

void THashedStringList::Rebuild() const
{
    index_.clear();
    index_.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        index_.try_emplace(items_[i], static_cast<long>(i));
    }
    stale_ = false;
}

long THashedStringList::IndexOf(std::string_view text) const
{
    if (stale_) {
        Rebuild();
    }
    auto it = index_.find(text);
    return it == index_.end() ? -1 : it->second;
}

} // namespace ovd
