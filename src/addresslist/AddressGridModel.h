#pragma once

#include "addresslist/AddressGrid.h"

#include <QAbstractTableModel>

// Shows an AddressGrid in a table view with the grid's own indices: model row r and column c
// are grid row r and column c. The header row (row 0) and the fixed column (column 0) also
// serve as header texts, so a view may hide them and show the headers instead.
class AddressGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit AddressGridModel(AddressGrid* grid, QObject* parent = nullptr);

    AddressGrid* grid() const { return m_grid; }
    int columnWidth(int column) const { return m_grid->columnWidth(column); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool inRange(const QModelIndex& index) const;
    void gridCellChanged(int column, int row);
    void gridRowChanged(int row);
    void gridReset();

    AddressGrid* m_grid;
};
