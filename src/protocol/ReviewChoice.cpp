// The review before an action: what the user ticked. A folder goes as a
// whole only when nothing below it is unticked; the action asks here for
// every entry it meets.
#include "protocol/ProtocolList.h"

#include <vector>

namespace zdr::protocol {

namespace {

// path is folder itself or lies below it.
bool within(std::string_view path, std::string_view folder)
{
    if (!path.starts_with(folder))
        return false;
    return path.size() == folder.size() || (!folder.empty() && folder.back() == '/') || path[folder.size()] == '/';
}

// The folder that holds path; empty above the root.
std::string_view parentOf(std::string_view path)
{
    if (path == "/")
        return {};
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

} // namespace

void ProtocolList::choose(RowId row, bool ticked)
{
    flush();
    if (row >= rows_.size() || has(row, kRemoved) || dimmed(row))
        return;
    setTicked(row, ticked);
    if (!isFile(row)) {
        const std::string_view own = folder(row);
        const std::size_t position = positionIn(work_, row, Column::Sort, true);
        for (std::size_t p = position == kNoPosition ? work_.size() : position + 1;
             p < work_.size() && within(folder(work_[p]), own); ++p) {
            if (!dimmed(work_[p]))
                setTicked(work_[p], ticked);
        }
    }
    if (ticked) {
        // What a ticked entry needs: the folders on its way.
        for (std::string_view way = isFile(row) ? folder(row) : parentOf(folder(row)); !way.empty();
             way = parentOf(way)) {
            const RowId above = findFolder(way, taskIndex(row));
            if (above != kNoRow && !dimmed(above))
                setTicked(above, true);
        }
    }
    refreshPartly();
}

void ProtocolList::refreshPartly()
{
    flush();
    struct Open {
        RowId row;
        std::string_view folder;
        bool partly;
    };
    std::vector<Open> open;
    const auto close = [&] {
        const Open done = open.back();
        open.pop_back();
        setFlag(done.row, kPartly, done.partly);
        if (done.partly && !open.empty())
            open.back().partly = true;
    };
    for (const RowId row : work_) {
        const std::string_view own = folder(row);
        while (!open.empty() && !within(own, open.back().folder))
            close();
        if (dimmed(row))
            continue;
        if (!ticked(row) && !open.empty())
            open.back().partly = true;
        if (!isFile(row) && !has(row, kKeyByText))
            open.push_back({row, own, false});
    }
    while (!open.empty())
        close();
}

EntryChoice ProtocolList::choice(EntryKind kind, std::string_view folder, std::string_view name, int task) const
{
    const RowId row = kind == EntryKind::File ? findFile(folder, name, task) : findFolder(folder, task);
    if (row == kNoRow || dimmed(row))
        return EntryChoice::NotListed;
    return ticked(row) ? EntryChoice::Chosen : EntryChoice::Unticked;
}

ChosenCounts ProtocolList::chosenCounts() const
{
    ChosenCounts counts;
    for (RowId row = 0; row < rows_.size(); ++row) {
        if (has(row, kRemoved) || dimmed(row) || !ticked(row))
            continue;
        if (isFile(row))
            ++counts.files;
        else if (!partly(row))
            ++counts.folders;
    }
    return counts;
}

} // namespace zdr::protocol
