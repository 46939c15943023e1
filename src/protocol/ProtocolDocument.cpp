#include "protocol/ProtocolDocument.h"

#include <array>

namespace zdr::protocol {

namespace {

struct ColumnLayout {
    std::string_view caption;
    int widthTwips;
};

constexpr std::array<ColumnLayout, kColumnCount> kListViewColumns{{{"Eintrag", 7000},
                                                                   {"Verzeichnis Herkunft", 6000},
                                                                   {"Verzeichnis Ziel", 6000},
                                                                   {"Typ", 0},
                                                                   {"Sort", 0},
                                                                   {"Level", 0},
                                                                   {"SystemActionTypeIndex", 0}}};
constexpr std::array<ColumnLayout, kColumnCount> kInfoDirColumns{{{"Verzeichnis", 7000},
                                                                  {"Speicher", 3000},
                                                                  {"Hauptverzeichnis", 5000},
                                                                  {"Typ", 0},
                                                                  {"Sort", 0},
                                                                  {"Level", 0},
                                                                  {"SystemActionTypeIndex", 0}}};

const ColumnLayout& layoutOf(ColumnSet set, Column column)
{
    const auto& columns = set == ColumnSet::InfoDir ? kInfoDirColumns : kListViewColumns;
    return columns[static_cast<std::size_t>(column)];
}

// The engine's text protocol begins with a line break; only that is dropped,
// so a text that begins otherwise keeps its first characters.
std::string_view withoutLeadingBreak(std::string_view text)
{
    if (text.starts_with("\r\n"))
        return text.substr(2);
    if (text.starts_with("\n"))
        return text.substr(1);
    return text;
}

std::string_view lastComponent(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string_view columnCaption(ColumnSet set, Column column) { return layoutOf(set, column).caption; }

int columnWidthTwips(ColumnSet set, Column column) { return layoutOf(set, column).widthTwips; }

ProtocolDocument::ProtocolDocument() : actionInfo_("(Protokoll erstellen ...)") {}

bool ProtocolDocument::fc_Init(std::string_view mode, bool display)
{
    if (mode == kListView || mode == kListViewInfoDir) {
        if (columns_ == ColumnSet::None) {
            columns_ = mode == kListView ? ColumnSet::ListView : ColumnSet::InfoDir;
            display_ = display;
            errorSearchShown_ = true;
            reloadShown_ = false;
            listShown_ = true;
        }
        list_.clear();
        errorSearchPosition_ = 0;
        task_ = mode;
        layoutChanged();
        return true;
    }
    if (task_ == kListViewInfoDir)
        return true;
    if (mode == kNetwork) {
        setText({});
    } else {
        setText(std::string(withoutLeadingBreak(mode)));
        reloadShown_ = true;
    }
    listShown_ = false;
    task_ = kText;
    layoutChanged();
    return true;
}

bool ProtocolDocument::fc_ListItem_Add(const ProtocolEntry& entry)
{
    const auto key = task_ == kListViewInfoDir ? ProtocolList::FolderKey::ByText : ProtocolList::FolderKey::ByFolder;
    return list_.add(entry, key) != kNoRow;
}

void ProtocolDocument::fc_ListItem_Err(const ProtocolEntry& entry)
{
    if (task_.empty() || task_ == kText) {
        sb_Protocol_Add("Fehler beim Kopieren von: '" + entry.par_Name + "' - " + entry.par_Target);
        return;
    }
    const bool file = entryKindOf(entry) == EntryKind::File;
    RowId row = rowOf(entry);
    if (row == kNoRow) {
        // A failure without a row (a file that was never listed, a folder
        // the walk could not enter) gets its row, so it can be found; it is
        // no work for the copy that follows.
        fc_ListItem_Add(entry);
        row = rowOf(entry);
        if (row == kNoRow)
            return;
        list_.setTicked(row, false);
    }
    list_.setIcon(row, file ? RowIcon::FileErr : RowIcon::FolderErr);
    list_.setMessageTag(row, entry.par_Target);
    list_.setColour(row, RowColour::Red);
}

RowId ProtocolDocument::rowOf(const ProtocolEntry& entry) const
{
    if (entryKindOf(entry) == EntryKind::File)
        return list_.findFile(entry.par_Folder, entry.par_Name, entry.par_SystemActionTypeIndex);
    return list_.findFolder(task_ == kListViewInfoDir ? entry.par_Info : entry.par_Folder,
                            entry.par_SystemActionTypeIndex);
}

void ProtocolDocument::sb_EntryGetNext(WorkListStep& step)
{
    list_.flush();
    const auto count = static_cast<std::int64_t>(list_.size());
    const bool next = step.direction == "NEXT";
    const bool previous = step.direction == "PREVIOUS";
    step.uncheckedFiles = 0;
    step.uncheckedFolders = 0;
    std::int64_t index = step.index;
    const auto finish = [&] {
        step.index = -1;
        step.type.clear();
        step.sourcePath.clear();
        step.source.clear();
        step.targetPath.clear();
        setActionInfo("Aktion abgeschlossen.");
    };

    if (!((previous && (index > 0 || index == -1)) || (next && index < count))) {
        if (index >= 1 && ((next && index == count) || (previous && index == 1)))
            markDone(static_cast<std::size_t>(index));
        finish();
        return;
    }
    if (step.action == "COPY")
        setActionInfo("Daten kopieren ...");
    else if (step.action == "RENAME")
        setActionInfo("Daten umbenennen ...");
    if (index > 0)
        markDone(static_cast<std::size_t>(index));

    // NEXT from -1 ends at once: -1 is where a finished walk stands.
    for (;;) {
        index = next ? index + 1 : (index == -1 ? count : index - 1);
        if (index <= 0 || index > count) {
            finish();
            return;
        }
        const RowId row = list_.workRow(static_cast<std::size_t>(index - 1));
        if (list_.dimmed(row))
            continue;
        if (!list_.ticked(row)) {
            ++(list_.isFile(row) ? step.uncheckedFiles : step.uncheckedFolders);
            continue;
        }
        list_.setBold(row, true);
        step.index = static_cast<std::int32_t>(index);
        step.type = list_.type(row);
        step.sourcePath = list_.folder(row);
        step.targetPath = list_.target(row);
        step.source = list_.isFile(row) ? std::string(list_.name(row)) : std::string(lastComponent(list_.key(row)));
        step.level = list_.level(row);
        step.taskIndex = list_.taskIndex(row);
        return;
    }
}

// A handled row loses its bold mark and shows "done", unless it failed: the
// failure stays visible and findable.
void ProtocolDocument::markDone(std::size_t index)
{
    if (index < 1 || index > list_.size())
        return;
    const RowId row = list_.workRow(index - 1);
    list_.setBold(row, false);
    const RowIcon icon = list_.icon(row);
    if (icon != RowIcon::FileErr && icon != RowIcon::FolderErr)
        list_.setIcon(row, list_.isFile(row) ? RowIcon::FileDone : RowIcon::FolderDone);
}

void ProtocolDocument::sb_Protocol_Add(std::string_view line)
{
    text_.append("\r\n").append(line);
    if (observer_)
        observer_->textAppended(line);
}

void ProtocolDocument::sb_Protocol_Delete(std::string_view key) { list_.remove(key); }

void ProtocolDocument::setTask(std::string_view task)
{
    if (task.empty()) {
        setText({});
        list_.clear();
        errorSearchPosition_ = 0;
    }
    task_ = task;
}

void ProtocolDocument::sb_Protocol_ReLoaded(std::string_view text)
{
    if (!text.empty())
        setText(std::string(withoutLeadingBreak(text)));
}

void ProtocolDocument::sb_Protocol_Follow(std::string_view text)
{
    if (task_ != kText)
        return;
    const std::string_view now = withoutLeadingBreak(text);
    if (now.size() < text_.size() || now.compare(0, text_.size(), text_) != 0) {
        setText(std::string(now));
        return;
    }
    std::string_view added = now.substr(text_.size());
    if (added.empty())
        return;
    if (added.substr(0, 2) != "\r\n" || text_.empty()) {
        setText(std::string(now));
        return;
    }
    text_.append(added);
    if (observer_)
        observer_->textAppended(added.substr(2));
}

// Searches on from the row after the last hit and wraps around once, so every
// failed row is reached in turn, the last one included.
std::size_t ProtocolDocument::fc_NextError()
{
    list_.flush();
    const std::size_t count = list_.size();
    if (errorSearchPosition_ == 0 || errorSearchPosition_ > count)
        errorSearchPosition_ = 1;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t position = (errorSearchPosition_ - 1 + step) % count;
        const RowIcon icon = list_.icon(list_.viewRow(position));
        if (icon == RowIcon::FileErr || icon == RowIcon::FolderErr) {
            errorSearchPosition_ = position + 2;
            return position;
        }
    }
    return kNoPosition;
}

void ProtocolDocument::setText(std::string text)
{
    text_ = std::move(text);
    if (observer_)
        observer_->textReplaced();
}

void ProtocolDocument::setActionInfo(std::string_view text)
{
    if (actionInfo_ == text)
        return;
    actionInfo_ = text;
    if (observer_)
        observer_->actionInfoChanged();
}

void ProtocolDocument::layoutChanged()
{
    if (observer_)
        observer_->layoutChanged();
}

} // namespace zdr::protocol
