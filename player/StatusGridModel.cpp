#include "player/StatusGridModel.h"

namespace {

bool inside(int col, int row)
{
    return col >= 0 && col < StatusGridModel::kCols && row >= 0 && row < StatusGridModel::kRows;
}

} // namespace

QString StatusGridModel::cell(int col, int row) const
{
    return inside(col, row) ? m_cells[col][row] : QString();
}

void StatusGridModel::setCell(int col, int row, const QString& text)
{
    if (!inside(col, row) || m_cells[col][row] == text)
        return;
    m_cells[col][row] = text;
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QVariant StatusGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.column(), index.row());
}
