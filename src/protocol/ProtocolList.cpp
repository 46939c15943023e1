#include "protocol/ProtocolList.h"

#include <algorithm>

namespace zdr::protocol {

namespace {

constexpr RowId kRemovedSlot = kNoRow - 1;
constexpr std::size_t kFirstIndexSize = 1024;

// Compares the texts a + b and first + second as if each were one string.
bool concatEquals(std::string_view a, std::string_view b, std::string_view first, std::string_view second)
{
    if (a.size() + b.size() != first.size() + second.size())
        return false;
    const auto at = [](std::string_view x, std::string_view y, std::size_t i) {
        return i < x.size() ? x[i] : y[i - x.size()];
    };
    for (std::size_t i = 0; i < a.size() + b.size(); ++i) {
        if (at(a, b, i) != at(first, second, i))
            return false;
    }
    return true;
}

std::uint64_t hashBytes(std::uint64_t hash, std::string_view text)
{
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::uint64_t keyHashOf(std::string_view first, std::string_view second)
{
    std::uint64_t hash = hashBytes(hashBytes(0xcbf29ce484222325ull, first), second);
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    return hash ^ (hash >> 33);
}

} // namespace

std::string_view iconKey(RowIcon icon)
{
    switch (icon) {
    case RowIcon::Folder: return "FOLDER";
    case RowIcon::FolderDone: return "FOLDER_DONE";
    case RowIcon::FolderErr: return "FOLDER_ERR";
    case RowIcon::File: return "FILE";
    case RowIcon::FileDone: return "FILE_DONE";
    case RowIcon::FileErr: return "FILE_ERR";
    }
    return {};
}

ProtocolList::ProtocolList() { clear(); }

void ProtocolList::clear()
{
    if (observer_)
        observer_->aboutToClear();
    strings_.clear();
    rows_ = {};
    pending_ = {};
    work_ = {};
    view_ = {};
    customView_ = false;
    viewColumn_ = Column::Sort;
    viewAscending_ = true;
    slots_.assign(kFirstIndexSize, kNoRow);
    used_ = 0;
    messages_.clear();
    folderType_ = strings_.intern("FOLDER");
    fileType_ = strings_.intern("FILE");
    infoType_ = strings_.intern("INFO");
    if (observer_)
        observer_->cleared();
}

RowId ProtocolList::add(const ProtocolEntry& entry, FolderKey folderKey)
{
    const bool file = entryKindOf(entry) == EntryKind::File;
    const bool byText = !file && folderKey == FolderKey::ByText;
    const std::string_view first = file || !byText ? std::string_view(entry.par_Folder) : entry.par_Info;
    if (findKey(file, first, file ? std::string_view(entry.par_Name) : std::string_view(),
                entry.par_SystemActionTypeIndex)
        != kNoRow)
        return kNoRow;

    Row row{};
    row.info = strings_.add(entry.par_Info);
    row.name = strings_.add(entry.par_Name);
    row.folder = strings_.intern(entry.par_Folder);
    row.target = strings_.intern(entry.par_Target);
    row.type = strings_.intern(entry.par_Type);
    row.level = entry.par_Level;
    row.taskIndex = entry.par_SystemActionTypeIndex;
    row.icon = file ? RowIcon::File : RowIcon::Folder;
    row.colour = RowColour::Normal;
    row.flags = (file ? kFile : 0) | (row.type == folderType_ ? kFolderType : 0)
        | (entry.par_SynchActionInTarget ? kSynch : 0) | (byText ? kKeyByText : 0);
    if (row.type == infoType_) {
        row.flags |= kDimmed;
        row.colour = RowColour::Grey;
    } else {
        row.flags |= kTicked;
    }
    const auto id = static_cast<RowId>(rows_.size());
    rows_.push_back(row);
    indexInsert(id);
    pending_.push_back(id);
    return id;
}

std::string_view ProtocolList::text(RowId row) const
{
    const Row& r = rows_[row];
    return (r.flags & kFolderType) && (r.flags & kSynch) ? strings_.get(r.target) : strings_.get(r.info);
}

std::string ProtocolList::key(RowId row) const
{
    const Row& r = rows_[row];
    if (r.flags & kFile)
        return std::string(strings_.get(r.folder)).append(strings_.get(r.name));
    return std::string(strings_.get((r.flags & kKeyByText) ? r.info : r.folder));
}

std::string ProtocolList::sortKey(RowId row) const
{
    return std::string(sortGroup(row)).append(kSortSeparator).append(sortName(row));
}

std::string ProtocolList::columnText(RowId row, Column column) const
{
    switch (column) {
    case Column::Entry: return std::string(text(row));
    case Column::Folder: return std::string(folder(row));
    case Column::Target: return std::string(target(row));
    case Column::Type: return std::string(type(row));
    case Column::Sort: return sortKey(row);
    case Column::Level: return std::to_string(level(row));
    case Column::TaskIndex: return std::to_string(taskIndex(row));
    }
    return {};
}

std::string_view ProtocolList::messageTag(RowId row) const
{
    const auto found = messages_.find(row);
    return found == messages_.end() ? std::string_view() : strings_.get(found->second);
}

void ProtocolList::setFlag(RowId row, Flag flag, bool on)
{
    const std::uint16_t flags = on ? (rows_[row].flags | flag) : (rows_[row].flags & ~flag);
    if (flags == rows_[row].flags)
        return;
    rows_[row].flags = flags;
    changed(row);
}

void ProtocolList::setIcon(RowId row, RowIcon icon)
{
    if (rows_[row].icon == icon)
        return;
    rows_[row].icon = icon;
    changed(row);
}

void ProtocolList::setColour(RowId row, RowColour colour)
{
    if (rows_[row].colour == colour)
        return;
    rows_[row].colour = colour;
    changed(row);
}

void ProtocolList::setMessageTag(RowId row, std::string_view message)
{
    messages_[row] = strings_.add(message);
    changed(row);
}

void ProtocolList::changed(RowId row)
{
    if (observer_ && !has(row, kRemoved))
        observer_->rowChanged(row);
}

void ProtocolList::flush()
{
    if (pending_.empty())
        return;
    std::vector<RowId> batch;
    batch.swap(pending_);
    const std::size_t first = work_.size();
    std::sort(batch.begin(), batch.end(), [this](RowId a, RowId b) { return compare(Column::Sort, a, b) < 0; });
    if (observer_)
        observer_->rowsAboutToBeAppended(first, batch.size());
    work_.insert(work_.end(), batch.begin(), batch.end());
    if (customView_) {
        std::sort(batch.begin(), batch.end(), [this](RowId a, RowId b) {
            const int c = compare(viewColumn_, a, b);
            return viewAscending_ ? c < 0 : c > 0;
        });
        view_.insert(view_.end(), batch.begin(), batch.end());
    }
    if (observer_)
        observer_->rowsAppended();

    const auto outOfOrder = [&](const std::vector<RowId>& order, Column column, bool ascending) {
        if (first == 0)
            return false;
        const int c = compare(column, order[first], order[first - 1]);
        return ascending ? c < 0 : c > 0;
    };
    const bool work = outOfOrder(work_, Column::Sort, true);
    const bool view = customView_ && outOfOrder(view_, viewColumn_, viewAscending_);
    if (!work && !view)
        return;
    if (observer_)
        observer_->orderAboutToChange();
    if (work)
        mergeTail(work_, first, Column::Sort, true);
    if (view)
        mergeTail(view_, first, viewColumn_, viewAscending_);
    if (observer_)
        observer_->orderChanged();
}

std::size_t ProtocolList::viewPosition(RowId row) const
{
    if (row >= rows_.size() || has(row, kRemoved))
        return kNoPosition;
    if (customView_)
        return positionIn(view_, row, viewColumn_, viewAscending_);
    return positionIn(work_, row, Column::Sort, true);
}

void ProtocolList::sortView(Column column, bool ascending)
{
    flush();
    if (observer_)
        observer_->orderAboutToChange();
    viewColumn_ = column;
    viewAscending_ = ascending;
    customView_ = !(column == Column::Sort && ascending);
    if (customView_) {
        view_ = work_;
        sortAll(view_, column, ascending);
    } else {
        view_ = {};
    }
    if (observer_)
        observer_->orderChanged();
}

bool ProtocolList::remove(std::string_view key)
{
    RowId row = findKey(false, key, {});
    if (row == kNoRow)
        row = findKey(true, key, {});
    if (row == kNoRow)
        return false;
    const auto waiting = std::find(pending_.begin(), pending_.end(), row);
    const bool shown = waiting == pending_.end();
    if (shown) {
        const std::size_t position = viewPosition(row);
        if (observer_)
            observer_->rowAboutToBeRemoved(position);
        work_.erase(work_.begin() + static_cast<std::ptrdiff_t>(positionIn(work_, row, Column::Sort, true)));
        if (customView_)
            view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(position));
    } else {
        pending_.erase(waiting);
    }
    indexErase(row);
    rows_[row].flags |= kRemoved;
    messages_.erase(row);
    if (shown && observer_)
        observer_->rowRemoved();
    return true;
}

// Key index ----------------------------------------------------------------

std::uint64_t ProtocolList::keyHash(RowId row) const
{
    const Row& r = rows_[row];
    if (r.flags & kFile)
        return keyHashOf(strings_.get(r.folder), strings_.get(r.name));
    return keyHashOf(strings_.get((r.flags & kKeyByText) ? r.info : r.folder), {});
}

bool ProtocolList::keyEquals(RowId row, bool file, std::string_view first, std::string_view second) const
{
    const Row& r = rows_[row];
    if (((r.flags & kFile) != 0) != file)
        return false;
    if (file)
        return concatEquals(strings_.get(r.folder), strings_.get(r.name), first, second);
    return concatEquals(strings_.get((r.flags & kKeyByText) ? r.info : r.folder), {}, first, second);
}

// Rows of the same key (one per task) share a probe chain.
RowId ProtocolList::findKey(bool file, std::string_view first, std::string_view second, int task) const
{
    const std::size_t mask = slots_.size() - 1;
    RowId found = kNoRow;
    for (std::size_t slot = keyHashOf(first, second) & mask;; slot = (slot + 1) & mask) {
        const RowId row = slots_[slot];
        if (row == kNoRow)
            return found;
        if (row == kRemovedSlot || !keyEquals(row, file, first, second))
            continue;
        if (task != kAnyTask && rows_[row].taskIndex == task)
            return row;
        if (task == kAnyTask && (found == kNoRow || row > found))
            found = row;
    }
}

RowId ProtocolList::findFile(std::string_view folder, std::string_view name, int task) const
{
    return findKey(true, folder, name, task);
}

RowId ProtocolList::findFolder(std::string_view key, int task) const { return findKey(false, key, {}, task); }

void ProtocolList::indexInsert(RowId row)
{
    if ((used_ + 1) * 2 > slots_.size())
        indexGrow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = keyHash(row) & mask;
    while (slots_[slot] != kNoRow)
        slot = (slot + 1) & mask;
    slots_[slot] = row;
    ++used_;
}

void ProtocolList::indexErase(RowId row)
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = keyHash(row) & mask; slots_[slot] != kNoRow; slot = (slot + 1) & mask) {
        if (slots_[slot] == row) {
            slots_[slot] = kRemovedSlot;
            return;
        }
    }
}

void ProtocolList::indexGrow()
{
    std::vector<RowId> old;
    old.swap(slots_);
    std::size_t live = 0;
    for (const RowId row : old)
        live += row != kNoRow && row != kRemovedSlot;
    std::size_t size = kFirstIndexSize;
    while ((live + 1) * 2 > size / 2)
        size *= 2;
    slots_.assign(size, kNoRow);
    used_ = 0;
    const std::size_t mask = size - 1;
    for (const RowId row : old) {
        if (row == kNoRow || row == kRemovedSlot)
            continue;
        std::size_t slot = keyHash(row) & mask;
        while (slots_[slot] != kNoRow)
            slot = (slot + 1) & mask;
        slots_[slot] = row;
        ++used_;
    }
}

} // namespace zdr::protocol
