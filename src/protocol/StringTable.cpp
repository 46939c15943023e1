#include "protocol/StringTable.h"

#include <cstring>

namespace zdr::protocol {

StringTable::StringTable() { clear(); }

void StringTable::clear()
{
    blocks_.clear();
    open_ = nullptr;
    blockUsed_ = kBlockSize;
    views_.assign(1, std::string_view());
    views_.shrink_to_fit();
    interned_.clear();
    interned_.emplace(std::string_view(), kEmpty);
}

const char* StringTable::store(std::string_view text)
{
    if (text.empty())
        return "";
    char* at = nullptr;
    if (text.size() > kBlockSize / 4) {
        // A long text gets a block of its own; the open block stays open.
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
        at = blocks_.back().get();
    } else {
        if (blockUsed_ + text.size() > kBlockSize) {
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
            open_ = blocks_.back().get();
            blockUsed_ = 0;
        }
        at = open_ + blockUsed_;
        blockUsed_ += text.size();
    }
    std::memcpy(at, text.data(), text.size());
    return at;
}

StringTable::Id StringTable::add(std::string_view text)
{
    if (text.empty())
        return kEmpty;
    views_.emplace_back(store(text), text.size());
    return static_cast<Id>(views_.size() - 1);
}

StringTable::Id StringTable::intern(std::string_view text)
{
    if (const auto found = interned_.find(text); found != interned_.end())
        return found->second;
    const Id id = add(text);
    interned_.emplace(views_[id], id);
    return id;
}

} // namespace zdr::protocol
