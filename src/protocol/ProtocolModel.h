#pragma once

#include "protocol/ProtocolDocument.h"

#include <QAbstractTableModel>

namespace zdr::protocol::ui {

// The protocol's rows for a view: text is made in data() from the compact
// rows, check boxes through the check state, icons, grey and red rows and the
// bold current row through their roles. New rows reach the views in batches
// (one insertion per flush, then one reorder); sorting by a column is the
// list's, by raw values.
class ProtocolModel : public QAbstractTableModel, private ProtocolListObserver {
    Q_OBJECT
public:
    explicit ProtocolModel(ProtocolDocument& document, QObject* parent = nullptr);
    ~ProtocolModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    RowId rowId(const QModelIndex& index) const;
    QModelIndex indexOf(RowId row, int column = 0) const;
    // The captions changed (another column set).
    void captionsChanged();

private:
    void rowsAboutToBeAppended(std::size_t first, std::size_t count) override;
    void rowsAppended() override;
    void orderAboutToChange() override;
    void orderChanged() override;
    void rowAboutToBeRemoved(std::size_t position) override;
    void rowRemoved() override;
    void rowChanged(RowId row) override;
    void aboutToClear() override;
    void cleared() override;

    ProtocolDocument& document_;
    const ProtocolList& list_;
};

} // namespace zdr::protocol::ui
