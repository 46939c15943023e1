#include "protocol/ProtocolModel.h"

#include "base/Text.h"
#include "protocol/ProtocolIcons.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>

namespace zdr::protocol::ui {

namespace {

// One line per row: line breaks inside an entry show as a sign, control
// characters as escapes; invalid UTF-8 shows as replacement characters.
QString shownText(std::string_view text)
{
    // A line break of the row's own text (an error line) shows as one mark;
    // control characters of names as their escapes.
    if (!base::hasControls(text))
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::string rowText = base::replaceAll(text, "\r\n", "\xE2\x86\xB5");
    return QString::fromStdString(base::escapeControls(rowText));
}

} // namespace

ProtocolModel::ProtocolModel(ProtocolDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document), list_(document.list())
{
    document_.setListObserver(this);
}

ProtocolModel::~ProtocolModel() { document_.setListObserver(nullptr); }

int ProtocolModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int ProtocolModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QModelIndex ProtocolModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, static_cast<quintptr>(list_.viewRow(static_cast<std::size_t>(row))));
}

RowId ProtocolModel::rowId(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<RowId>(index.internalId()) : kNoRow;
}

QModelIndex ProtocolModel::indexOf(RowId row, int column) const
{
    const std::size_t position = list_.viewPosition(row);
    return position == kNoPosition ? QModelIndex()
                                   : createIndex(static_cast<int>(position), column, static_cast<quintptr>(row));
}

QVariant ProtocolModel::data(const QModelIndex& index, int role) const
{
    const RowId row = rowId(index);
    if (row == kNoRow)
        return {};
    const auto column = static_cast<Column>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return shownText(list_.columnText(row, column));
    case Qt::DecorationRole:
        return column == Column::Entry ? QVariant(rowIcon(list_.icon(row), list_.dimmed(row))) : QVariant();
    case Qt::CheckStateRole:
        if (column != Column::Entry)
            return {};
        if (!list_.ticked(row))
            return Qt::Unchecked;
        return list_.partly(row) ? Qt::PartiallyChecked : Qt::Checked;
    case Qt::ForegroundRole:
        switch (list_.colour(row)) {
        case RowColour::Grey: return QApplication::palette().color(QPalette::Dark);
        case RowColour::Red: return QColor(255, 0, 0);
        case RowColour::Normal: return {};
        }
        return {};
    case Qt::FontRole:
        if (list_.bold(row)) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default: return {};
    }
}

bool ProtocolModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const RowId row = rowId(index);
    if (row == kNoRow || role != Qt::CheckStateRole || index.column() != 0 || list_.dimmed(row))
        return false;
    // A folder takes its content along; a partly ticked one clicked becomes ticked whole.
    document_.list().choose(row, value.value<Qt::CheckState>() != Qt::Unchecked);
    return true;
}

Qt::ItemFlags ProtocolModel::flags(const QModelIndex& index) const
{
    const RowId row = rowId(index);
    if (row == kNoRow)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && !list_.dimmed(row))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ProtocolModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromUtf8(columnCaption(document_.columns(), static_cast<Column>(section)).data());
}

void ProtocolModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount)
        return;
    document_.list().sortView(static_cast<Column>(column), order == Qt::AscendingOrder);
}

void ProtocolModel::captionsChanged() { emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1); }

void ProtocolModel::rowsAboutToBeAppended(std::size_t first, std::size_t count)
{
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
}

void ProtocolModel::rowsAppended() { endInsertRows(); }

void ProtocolModel::orderAboutToChange() { emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); }

// Persistent indexes (selection, current row) follow their rows: each index
// carries its row id.
void ProtocolModel::orderChanged()
{
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(indexOf(rowId(old), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ProtocolModel::rowAboutToBeRemoved(std::size_t position)
{
    beginRemoveRows({}, static_cast<int>(position), static_cast<int>(position));
}

void ProtocolModel::rowRemoved() { endRemoveRows(); }

void ProtocolModel::rowChanged(RowId row)
{
    const QModelIndex first = indexOf(row, 0);
    if (first.isValid())
        emit dataChanged(first, first.siblingAtColumn(kColumnCount - 1));
}

void ProtocolModel::aboutToClear() { beginResetModel(); }

void ProtocolModel::cleared() { endResetModel(); }

} // namespace zdr::protocol::ui
