#pragma once

#include "protocol/ProtocolEntry.h"
#include "protocol/StringTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zdr::protocol {

// The state a row's icon shows.
enum class RowIcon : std::uint8_t { Folder, FolderDone, FolderErr, File, FileDone, FileErr };
// "FOLDER", "FOLDER_DONE", "FOLDER_ERR", "FILE", "FILE_DONE", "FILE_ERR".
std::string_view iconKey(RowIcon icon);

enum class RowColour : std::uint8_t { Normal, Grey, Red };

// The seven columns in their order; "Typ" to "SystemActionTypeIndex" are hidden.
enum class Column : int { Entry, Folder, Target, Type, Sort, Level, TaskIndex };
inline constexpr int kColumnCount = 7;

// Between the folder and the name in the sort key. The folder row's name part
// is the character 2, so it sorts before the folder's files, and those sort
// before its subfolders.
inline constexpr std::string_view kSortSeparator = "\\____________";
inline constexpr char kFolderSortMark = '\x02';

using RowId = std::uint32_t;
inline constexpr RowId kNoRow = 0xFFFFFFFFu;
inline constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

// Hears every change of the rows a view shows (positions in view order). A
// flush first appends the new rows at the end, then, when they belong
// elsewhere, reorders; so a Qt model can announce both in turn.
class ProtocolListObserver {
public:
    virtual ~ProtocolListObserver() = default;
    virtual void rowsAboutToBeAppended(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void rowsAppended() {}
    virtual void orderAboutToChange() {}
    virtual void orderChanged() {}
    virtual void rowAboutToBeRemoved(std::size_t /*position*/) {}
    virtual void rowRemoved() {}
    virtual void rowChanged(RowId /*row*/) {}
    virtual void aboutToClear() {}
    virtual void cleared() {}
};

// The rows of a protocol: compact records (numbers and string ids), a key
// index by hash, and two orders: the work order by sort key, which the action
// pass walks, and the view order the user chose by clicking a column (the
// same as the work order until then). New rows wait in a pending batch and
// enter both orders at the next flush.
class ProtocolList {
public:
    // Rows that are not files are keyed by their folder, or, in the folder
    // space survey, by their text.
    enum class FolderKey { ByFolder, ByText };

    ProtocolList();
    ProtocolList(const ProtocolList&) = delete;
    ProtocolList& operator=(const ProtocolList&) = delete;

    void setObserver(ProtocolListObserver* observer) { observer_ = observer; }

    // A new ticked row ("INFO" rows: dimmed, grey, unticked), or kNoRow when
    // a row of the same kind and task has that key already. Rows of two
    // tasks never stand for each other: an entry two tasks share is work
    // for each.
    RowId add(const ProtocolEntry& entry, FolderKey folderKey);
    // The row with that key of the task; kAnyTask: the newest of any task.
    static constexpr int kAnyTask = -1;
    RowId findFile(std::string_view folder, std::string_view name, int task = kAnyTask) const;
    RowId findFolder(std::string_view key, int task = kAnyTask) const;
    // Removes the newest row with that key: a folder's first, else a file's.
    bool remove(std::string_view key);
    void clear();

    std::size_t pendingCount() const { return pending_.size(); }
    void flush();

    // Work order (by sort key), positions from 0; flushed rows only.
    std::size_t size() const { return work_.size(); }
    RowId workRow(std::size_t position) const { return work_[position]; }
    // View order.
    RowId viewRow(std::size_t position) const { return view()[position]; }
    std::size_t viewPosition(RowId row) const;
    void sortView(Column column, bool ascending);
    Column viewColumn() const { return viewColumn_; }
    bool viewAscending() const { return viewAscending_; }

    // Row values.
    std::string_view text(RowId row) const;
    std::string_view name(RowId row) const { return strings_.get(rows_[row].name); }
    std::string_view folder(RowId row) const { return strings_.get(rows_[row].folder); }
    std::string_view target(RowId row) const { return strings_.get(rows_[row].target); }
    std::string_view type(RowId row) const { return strings_.get(rows_[row].type); }
    std::int16_t level(RowId row) const { return rows_[row].level; }
    std::int16_t taskIndex(RowId row) const { return rows_[row].taskIndex; }
    std::string key(RowId row) const;
    std::string sortKey(RowId row) const;
    std::string columnText(RowId row, Column column) const;
    bool isFile(RowId row) const { return has(row, kFile); }
    RowIcon icon(RowId row) const { return rows_[row].icon; }
    RowColour colour(RowId row) const { return rows_[row].colour; }
    bool ticked(RowId row) const { return has(row, kTicked); }
    bool dimmed(RowId row) const { return has(row, kDimmed); }
    bool bold(RowId row) const { return has(row, kBold); }
    std::string_view messageTag(RowId row) const;
    // A ticked folder row that holds an unticked entry (shown partly ticked).
    bool partly(RowId row) const { return has(row, kPartly); }

    // Changes; the observer hears each.
    void setTicked(RowId row, bool ticked) { setFlag(row, kTicked, ticked); }
    void setBold(RowId row, bool bold) { setFlag(row, kBold, bold); }
    void setIcon(RowId row, RowIcon icon);
    void setColour(RowId row, RowColour colour);
    void setMessageTag(RowId row, std::string_view message);

    // The review's choices (ReviewChoice.cpp). A user's tick: a folder row
    // takes its whole subtree along, a ticked row also ticks the folders on
    // its way; then every folder row's partly mark is set anew.
    void choose(RowId row, bool ticked);
    // Marks the ticked folder rows that hold an unticked entry.
    void refreshPartly();
    EntryChoice choice(EntryKind kind, std::string_view folder, std::string_view name, int task = kAnyTask) const;
    ChosenCounts chosenCounts() const;

    // Three-way comparison of two rows by a column's raw value (numbers as
    // numbers, texts byte by byte with ASCII case folded, the sort key folder
    // by folder), rows in arrival order on a tie.
    int compare(Column column, RowId a, RowId b) const;

private:
    enum Flag : std::uint16_t {
        kFile = 1,
        kFolderType = 2, // type is exactly "FOLDER"
        kSynch = 4,
        kKeyByText = 8,
        kTicked = 16,
        kDimmed = 32,
        kBold = 64,
        kRemoved = 128,
        kPartly = 256,
    };
    struct Row {
        StringTable::Id info;
        StringTable::Id name;
        StringTable::Id folder;
        StringTable::Id target;
        StringTable::Id type;
        std::int16_t level;
        std::int16_t taskIndex;
        RowIcon icon;
        RowColour colour;
        std::uint16_t flags;
    };

    bool has(RowId row, Flag flag) const { return (rows_[row].flags & flag) != 0; }
    void setFlag(RowId row, Flag flag, bool on);
    void changed(RowId row);
    const std::vector<RowId>& view() const { return customView_ ? view_ : work_; }

    // Key index: open addressing over row ids.
    std::uint64_t keyHash(RowId row) const;
    bool keyEquals(RowId row, bool file, std::string_view first, std::string_view second) const;
    RowId findKey(bool file, std::string_view first, std::string_view second, int task = kAnyTask) const;
    void indexInsert(RowId row);
    void indexErase(RowId row);
    void indexGrow();

    // Orders (RowOrder.cpp).
    std::string_view sortGroup(RowId row) const;
    std::string_view sortName(RowId row) const;
    void mergeTail(std::vector<RowId>& order, std::size_t sortedCount, Column column, bool ascending) const;
    void sortAll(std::vector<RowId>& order, Column column, bool ascending) const;
    std::size_t positionIn(const std::vector<RowId>& order, RowId row, Column column, bool ascending) const;

    StringTable strings_;
    std::vector<Row> rows_;
    std::vector<RowId> pending_;
    std::vector<RowId> work_;
    std::vector<RowId> view_;
    bool customView_ = false;
    Column viewColumn_ = Column::Sort;
    bool viewAscending_ = true;
    std::vector<RowId> slots_;
    std::size_t used_ = 0; // filled slots, removed ones included
    std::unordered_map<RowId, StringTable::Id> messages_;
    StringTable::Id folderType_;
    StringTable::Id fileType_;
    StringTable::Id infoType_;
    ProtocolListObserver* observer_ = nullptr;
};

} // namespace zdr::protocol
