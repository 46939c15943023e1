#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zdr::protocol {

// The protocol's texts, kept once in large blocks; rows hold 32-bit ids.
// Folders repeat on every row of their files, so they are interned; row
// texts and file names are mostly unique and are only stored. Views stay
// valid until clear(): blocks never move.
class StringTable {
public:
    using Id = std::uint32_t;
    static constexpr Id kEmpty = 0;

    StringTable();
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    Id add(std::string_view text);
    // The same id for the same text.
    Id intern(std::string_view text);
    std::string_view get(Id id) const { return views_[id]; }
    std::size_t size() const { return views_.size(); }
    void clear();

private:
    const char* store(std::string_view text);

    static constexpr std::size_t kBlockSize = 1 << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* open_ = nullptr; // the block that takes short texts
    std::size_t blockUsed_ = kBlockSize;
    std::vector<std::string_view> views_;
    std::unordered_map<std::string_view, Id> interned_;
};

} // namespace zdr::protocol
