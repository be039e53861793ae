#include "addresslist/AddressGridModel.h"

#include <QSize>

AddressGridModel::AddressGridModel(AddressGrid* grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid)
{
    connect(m_grid, &AddressGrid::cellChanged, this, &AddressGridModel::gridCellChanged);
    connect(m_grid, &AddressGrid::rowChanged, this, &AddressGridModel::gridRowChanged);
    connect(m_grid, &AddressGrid::reset, this, &AddressGridModel::gridReset);
}

int AddressGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid->rowCount();
}

int AddressGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid->columnCount();
}

bool AddressGridModel::inRange(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < m_grid->rowCount() &&
           index.column() < m_grid->columnCount();
}

QVariant AddressGridModel::data(const QModelIndex& index, int role) const
{
    if (!inRange(index))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->cell(index.column(), index.row());
    default:
        return QVariant();
    }
}

QVariant AddressGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool horizontal = orientation == Qt::Horizontal;
    if (section < 0 || section >= (horizontal ? m_grid->columnCount() : m_grid->rowCount()))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        // The header row names the columns; the fixed column numbers the rows.
        return horizontal ? m_grid->cell(section, 0) : m_grid->cell(0, section);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::SizeHintRole:
        if (horizontal)
            return QSize(m_grid->columnWidth(section), AddressGrid::DefaultRowHeight);
        return QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags AddressGridModel::flags(const QModelIndex& index) const
{
    if (!inRange(index))
        return Qt::NoItemFlags;
    // The header row and the fixed column cannot be selected, as in the grid they stand for.
    if (index.row() == 0 || index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void AddressGridModel::gridCellChanged(int column, int row)
{
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    if (column == 0)
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

void AddressGridModel::gridRowChanged(int row)
{
    const int last = m_grid->columnCount() - 1;
    Q_EMIT dataChanged(index(row, 0), index(row, last), {Qt::DisplayRole, Qt::EditRole});
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, last);
    Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

void AddressGridModel::gridReset()
{
    // The grid has already changed shape; no view reads in between, so a reset is enough.
    beginResetModel();
    endResetModel();
}
