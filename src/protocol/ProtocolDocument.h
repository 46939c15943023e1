#pragma once

#include "protocol/ProtocolEntry.h"
#include "protocol/ProtocolList.h"

#include <string>
#include <string_view>

namespace zdr::protocol {

// Which column captions the list has (none until the first list mode).
enum class ColumnSet { None, ListView, InfoDir };

std::string_view columnCaption(ColumnSet set, Column column);
// Widths in twips; 0 hides the column.
int columnWidthTwips(ColumnSet set, Column column);

// Hears what a window shows besides the rows.
class ProtocolDocumentObserver {
public:
    virtual ~ProtocolDocumentObserver() = default;
    // Columns, shown parts or the display flag changed.
    virtual void layoutChanged() {}
    virtual void textReplaced() {}
    virtual void textAppended(std::string_view /*line*/) {}
    virtual void actionInfoChanged() {}
};

// Everything of a protocol window except the window: the mode (`Task`), the
// text protocol, the rows and the work list over them. A window shows it; the
// engine's tests use it headless.
class ProtocolDocument {
public:
    static constexpr std::string_view kListView = "LISTVIEW";
    static constexpr std::string_view kListViewInfoDir = "LISTVIEW,INFODIR";
    static constexpr std::string_view kText = "TEXT";
    static constexpr std::string_view kNetwork = "NETWORK";

    ProtocolDocument();

    void setObserver(ProtocolDocumentObserver* observer) { observer_ = observer; }
    void setListObserver(ProtocolListObserver* observer) { list_.setObserver(observer); }

    // Prepares a mode: "LISTVIEW", "LISTVIEW,INFODIR", "NETWORK" (an empty
    // text view for listings), or any other text, which becomes the text
    // protocol (its leading line break dropped).
    bool fc_Init(std::string_view mode, bool display);
    // Adds one row; false when its key was there already (nothing changes).
    bool fc_ListItem_Add(const ProtocolEntry& entry);
    // Marks the entry's row as failed, adding it first where needed; in text
    // mode writes the error line instead.
    void fc_ListItem_Err(const ProtocolEntry& entry);
    // One step through the ticked rows in sort-key order.
    void sb_EntryGetNext(WorkListStep& step);
    void sb_Protocol_Add(std::string_view line);
    void sb_Protocol_Delete(std::string_view key);

    const std::string& Task() const { return task_; }
    // An empty mode clears the text and all rows.
    void setTask(std::string_view task);

    // Closing the window empties the text view.
    void clearText() { setText({}); }
    // The text that "Protokoll neu laden" fetched.
    void sb_Protocol_ReLoaded(std::string_view text);
    // The run's text protocol as it is now, for a text view kept current:
    // what was added since is appended, a text changed otherwise replaces
    // the view. Nothing in the list modes.
    void sb_Protocol_Follow(std::string_view text);

    // The next failed row in view order, from where the last search stopped;
    // kNoPosition when there is none.
    std::size_t fc_NextError();

    const std::string& text() const { return text_; }
    const std::string& actionInfo() const { return actionInfo_; }
    ColumnSet columns() const { return columns_; }
    bool display() const { return display_; }
    bool listShown() const { return listShown_; }
    bool reloadShown() const { return reloadShown_; }
    bool errorSearchShown() const { return errorSearchShown_; }

    ProtocolList& list() { return list_; }
    const ProtocolList& list() const { return list_; }

private:
    bool listMode() const { return task_ == kListView || task_ == kListViewInfoDir; }
    void setText(std::string text);
    void setActionInfo(std::string_view text);
    RowId rowOf(const ProtocolEntry& entry) const;
    void markDone(std::size_t index);
    void layoutChanged();

    ProtocolList list_;
    std::string task_;
    std::string text_;
    std::string actionInfo_;
    ColumnSet columns_ = ColumnSet::None;
    bool display_ = false;
    bool listShown_ = true;
    bool reloadShown_ = false;
    bool errorSearchShown_ = true;
    std::size_t errorSearchPosition_ = 0;
    ProtocolDocumentObserver* observer_ = nullptr;
};

} // namespace zdr::protocol
