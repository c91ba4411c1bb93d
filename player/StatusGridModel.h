#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

/// The cells of the main window's status grid: 3 columns by 17 rows of text,
/// like a string grid's Cells[col][row]. Column 0 holds the row titles, column
/// 1 the values of the segment being played; column 2 lies outside the view
/// and stays empty. GUI thread only.
class StatusGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCols = 3;
    static constexpr int kRows = 17;

    using QAbstractTableModel::QAbstractTableModel;

    /// "" outside the grid.
    QString cell(int col, int row) const;
    /// Ignored outside the grid; a cell set to its own text is not redrawn.
    void setCell(int col, int row, const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kRows; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kCols; }
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::array<std::array<QString, kRows>, kCols> m_cells;
};
