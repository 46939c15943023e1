// The orders of the protocol's rows: the comparisons by column, the merge of
// a flushed batch, and the full sort when the user clicks a column.
#include "protocol/ProtocolList.h"

#include <algorithm>

namespace zdr::protocol {

namespace {

int threeWay(long long a, long long b) { return a < b ? -1 : (a > b ? 1 : 0); }

unsigned char folded(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b;
}

// Texts as a user reads them: ASCII case folded, then the bytes decide.
int compareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    const auto differ = std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin());
    for (auto i = static_cast<std::size_t>(differ.first - a.begin()); i < n; ++i) {
        if (folded(a[i]) != folded(b[i]))
            return folded(a[i]) < folded(b[i]) ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

// Paths folder by folder: the separator sorts before every other character,
// so a folder's subfolders follow it and all that lies beside it.
int comparePath(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue;
        if (a[i] == '/')
            return -1;
        if (b[i] == '/')
            return 1;
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    return threeWay(static_cast<long long>(a.size()), static_cast<long long>(b.size()));
}

int compareBytes(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Ranks of the distinct strings of one column, so a full sort compares numbers.
template <typename IdOf, typename Compare>
std::vector<std::uint32_t> ranks(const std::vector<RowId>& order, std::size_t stringCount, IdOf idOf, Compare cmp)
{
    std::vector<std::uint32_t> rank(stringCount, 0);
    std::vector<std::uint32_t> ids;
    for (const RowId row : order) {
        const auto id = idOf(row);
        if (rank[id] == 0) {
            rank[id] = 1;
            ids.push_back(id);
        }
    }
    std::sort(ids.begin(), ids.end(), [&](std::uint32_t a, std::uint32_t b) { return cmp(a, b) < 0; });
    for (std::size_t i = 0; i < ids.size(); ++i)
        rank[ids[i]] = static_cast<std::uint32_t>(i);
    return rank;
}

} // namespace

std::string_view ProtocolList::sortGroup(RowId row) const
{
    const Row& r = rows_[row];
    return strings_.get((r.flags & kSynch) ? r.target : r.folder);
}

std::string_view ProtocolList::sortName(RowId row) const
{
    if (rows_[row].flags & kFolderType)
        return {&kFolderSortMark, 1};
    const std::string_view name = strings_.get(rows_[row].name);
    return name.substr(std::min(name.find_first_not_of(' '), name.size()));
}

int ProtocolList::compare(Column column, RowId a, RowId b) const
{
    const Row& ra = rows_[a];
    const Row& rb = rows_[b];
    int c = 0;
    switch (column) {
    case Column::Entry: c = compareText(text(a), text(b)); break;
    case Column::Folder: c = ra.folder == rb.folder ? 0 : compareText(folder(a), folder(b)); break;
    case Column::Target: c = ra.target == rb.target ? 0 : compareText(target(a), target(b)); break;
    case Column::Type: c = ra.type == rb.type ? 0 : compareText(type(a), type(b)); break;
    case Column::Sort:
        c = comparePath(sortGroup(a), sortGroup(b));
        if (c == 0)
            c = compareBytes(sortName(a), sortName(b));
        break;
    case Column::Level: c = threeWay(ra.level, rb.level); break;
    case Column::TaskIndex: c = threeWay(ra.taskIndex, rb.taskIndex); break;
    }
    return c != 0 ? c : threeWay(a, b);
}

std::size_t ProtocolList::positionIn(const std::vector<RowId>& order, RowId row, Column column, bool ascending) const
{
    const auto at = std::lower_bound(order.begin(), order.end(), row, [&](RowId a, RowId b) {
        const int c = compare(column, a, b);
        return ascending ? c < 0 : c > 0;
    });
    if (at == order.end() || *at != row)
        return kNoPosition;
    return static_cast<std::size_t>(at - order.begin());
}

// The rows from sortedCount on are sorted among themselves; each finds its
// place by binary search and the rows before it move once, so a batch costs
// a few comparisons per new row and one pass of moves.
void ProtocolList::mergeTail(std::vector<RowId>& order, std::size_t sortedCount, Column column, bool ascending) const
{
    const auto less = [&](RowId a, RowId b) {
        const int c = compare(column, a, b);
        return ascending ? c < 0 : c > 0;
    };
    const std::vector<RowId> tail(order.begin() + static_cast<std::ptrdiff_t>(sortedCount), order.end());
    auto oldEnd = order.begin() + static_cast<std::ptrdiff_t>(sortedCount);
    auto write = order.end();
    for (auto next = tail.rbegin(); next != tail.rend(); ++next) {
        const auto place = std::upper_bound(order.begin(), oldEnd, *next, less);
        write = std::move_backward(place, oldEnd, write);
        oldEnd = place;
        *--write = *next;
    }
}

void ProtocolList::sortAll(std::vector<RowId>& order, Column column, bool ascending) const
{
    if (column == Column::Entry) {
        // Row texts are mostly unique: sort their views side by side with
        // the rows, sparing two lookups per comparison.
        std::vector<std::pair<std::string_view, RowId>> texts;
        texts.reserve(order.size());
        for (const RowId row : order)
            texts.emplace_back(text(row), row);
        std::sort(texts.begin(), texts.end(), [ascending](const auto& a, const auto& b) {
            int c = compareText(a.first, b.first);
            if (c == 0)
                c = threeWay(a.second, b.second);
            return ascending ? c < 0 : c > 0;
        });
        for (std::size_t i = 0; i < texts.size(); ++i)
            order[i] = texts[i].second;
        return;
    }
    std::vector<std::uint32_t> rank;
    const auto byText = [this](std::uint32_t a, std::uint32_t b) {
        return compareText(strings_.get(a), strings_.get(b));
    };
    switch (column) {
    case Column::Folder:
        rank = ranks(
            order, strings_.size(), [this](RowId r) { return rows_[r].folder; }, byText);
        break;
    case Column::Target:
        rank = ranks(
            order, strings_.size(), [this](RowId r) { return rows_[r].target; }, byText);
        break;
    case Column::Type:
        rank = ranks(
            order, strings_.size(), [this](RowId r) { return rows_[r].type; }, byText);
        break;
    case Column::Sort:
        rank = ranks(
            order, strings_.size(),
            [this](RowId r) { return (rows_[r].flags & kSynch) ? rows_[r].target : rows_[r].folder; },
            [this](std::uint32_t a, std::uint32_t b) { return comparePath(strings_.get(a), strings_.get(b)); });
        break;
    default: break;
    }
    const auto rankOf = [&](RowId r) -> long long {
        const Row& row = rows_[r];
        switch (column) {
        case Column::Folder: return rank[row.folder];
        case Column::Target: return rank[row.target];
        case Column::Type: return rank[row.type];
        case Column::Sort: return rank[(row.flags & kSynch) ? row.target : row.folder];
        default: return 0;
        }
    };
    std::sort(order.begin(), order.end(), [&](RowId a, RowId b) {
        int c = threeWay(rankOf(a), rankOf(b));
        if (c == 0)
            c = compare(column, a, b);
        return ascending ? c < 0 : c > 0;
    });
}

} // namespace zdr::protocol
