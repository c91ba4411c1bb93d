#pragma once

#include <QPersistentModelIndex>
#include <QTableView>
#include <QTimer>

#include "player/GraphicEditorLink.h"

/// The editors' segment grid: a view on SegmentGridModel with the layout of a
/// fixed string grid (row titles 80 px, or as wide as the font makes the
/// longest title, columns 60 px, rows and header of the height each editor
/// gives, "Seg. No." in the corner, no vertical scroll bar, horizontal
/// scrolling per column) and its selection: one rectangle whose fixed corner
/// is the current cell. A press, click or plain arrow key moves the current
/// cell and selects it alone; a drag, Shift+click or Shift+arrow moves only
/// the other corner.
///
/// Only left presses on cells reach the selection; the owning window hears of
/// every press (headers included), release and key release through signals. Keys that are not navigation
/// are left to the window, so its menu shortcuts (plain Q, A, R, Del among
/// them) are never taken by the view, also while they are disabled.
///
/// Segments inserted or removed move Qt's current index and selection with
/// the columns; the grid puts both back on their old column numbers, clamped
/// to the new last segment, as a string grid that only changes its column
/// count would. It does so for every view of the model, so each editor's grid
/// keeps its own cells. A reset of the model (a new or read session) forgets
/// both: the grid puts its current cell back the same way, selected alone
/// (segment 1, row 1 when it had none).
///
/// Cells are 1-based here: segment = column + 1, row = field. GUI thread only.
class EditorGrid final : public QTableView {
    Q_OBJECT

public:
    static constexpr int kTitleWidth = 80;
    static constexpr int kColumnWidth = 60;

    /// `rowHeight` in pixels, for the header and every row.
    explicit EditorGrid(int rowHeight, QWidget* parent = nullptr);

    int rowHeight() const { return m_rowHeight; }
    /// The grid's width that shows the whole titles and `columns` whole
    /// segment columns beside them.
    int widthFor(int columns) const;

    void setModel(QAbstractItemModel* model) override;

    /// The current cell; segment 1 and row 1 while there is none.
    int currentSegment() const;
    int currentRow() const;
    /// Makes (segment, row) current, selected alone and scrolled into view;
    /// a cell outside the grid changes nothing.
    void setCurrentCell(int segment, int row);

    /// The selected rectangle; the current cell alone when nothing is selected.
    GridRect selectionRect() const;
    /// Selects `rect` (clipped to the grid) without moving the current cell.
    void setSelectionRect(const GridRect& rect);

    /// The pop-up slider's choice of cells: a cell on the current row inside
    /// the selected range keeps the range; any other becomes current alone.
    void keepOrSelect(int segment, int row);

    /// True from the moment the model's columns start to change, or the model
    /// starts a reset, until the current cell and the selection are back. The
    /// current-cell changes Qt and the restore make meanwhile are no user's
    /// moves: the owner's handlers ignore them entirely (no notification, no
    /// mirroring, no time text).
    bool restoring() const { return m_restoring; }

signals:
    /// Any mouse press on the grid, before it acts on it: on the cells at
    /// (segment, row), -1 beside them; on a title 0 stands for the titles'
    /// column or row (the corner is both). Only a left press on the cells
    /// selects; the titles and the corner take nothing else.
    void pressed(Qt::MouseButton button, int segment, int row);
    /// A mouse button was released over the cells.
    void released();
    /// A key was released (auto-repeats left out).
    void keyReleased();
    /// Columns were inserted or removed and the cells are back; `currentMoved`
    /// when the clamp to the last segment moved the current column. Not sent
    /// after a reset.
    void cellsRestored(bool currentMoved);

protected:
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void keyboardSearch(const QString& search) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void keepCells();
    void restoreCells();
    void restoreAfterReset();
    /// The title column as wide as the widest row title (the corner's
    /// included) needs with the current font; at least kTitleWidth.
    void fitTitleColumn();
    void extendTo(const QModelIndex& corner);
    void dragTo(QPoint pos);
    void autoScrollTick();
    void paintCorner(QWidget* corner);

    int m_rowHeight;
    QPersistentModelIndex m_corner; // the selection's moving corner
    bool m_dragging = false;
    QPoint m_dragPos;               // last drag position, viewport coordinates
    QTimer m_autoScroll{this};      // drag held beside the viewport
    QWidget* m_cornerWidget = nullptr;
    bool m_restoring = false;
    bool m_keptCurrent = false; // there was a current cell to put back
    int m_keptSegment = 1;
    int m_keptRow = 1;
    GridRect m_keptSelection;
};
