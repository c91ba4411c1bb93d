#include "player/EditorGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>

#include "engine/CellText.h"

EditorGrid::EditorGrid(int rowHeight, QWidget* parent)
    : QTableView(parent)
    , m_rowHeight(rowHeight)
{
    setSelectionBehavior(SelectItems);
    setSelectionMode(ContiguousSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setAutoScroll(false); // the drag scrolls by itself, one column at a time
    setCornerButtonEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(ScrollPerItem);
    setVerticalScrollMode(ScrollPerItem);
    horizontalScrollBar()->setTracking(true);

    // Fixed sizes: nothing is measured from contents, so a 2000-column grid
    // only computes the cells it paints.
    QHeaderView* top = horizontalHeader();
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setMinimumSectionSize(1);
    top->setDefaultSectionSize(kColumnWidth);
    top->setFixedHeight(rowHeight);
    top->setSectionsClickable(false);
    top->setHighlightSections(false);
    QHeaderView* side = verticalHeader();
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setMinimumSectionSize(1);
    side->setDefaultSectionSize(rowHeight);
    fitTitleColumn();
    side->setSectionsClickable(false);
    side->setHighlightSections(false);
    side->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_cornerWidget = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_cornerWidget)
        m_cornerWidget->installEventFilter(this);
    top->viewport()->installEventFilter(this);
    side->viewport()->installEventFilter(this);

    m_autoScroll.setInterval(50);
    connect(&m_autoScroll, &QTimer::timeout, this, &EditorGrid::autoScrollTick);
}

void EditorGrid::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* before = this->model())
        disconnect(before, nullptr, this, nullptr);
    // Before Qt's own connections: the cells are kept while Qt's selection
    // model still has them...
    if (model) {
        connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this, &EditorGrid::keepCells);
        connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this, &EditorGrid::keepCells);
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &EditorGrid::keepCells);
    }
    QTableView::setModel(model);
    // ...and put back after the headers have their new section counts.
    if (model) {
        connect(model, &QAbstractItemModel::columnsInserted, this, &EditorGrid::restoreCells);
        connect(model, &QAbstractItemModel::columnsRemoved, this, &EditorGrid::restoreCells);
        connect(model, &QAbstractItemModel::modelReset, this, &EditorGrid::restoreAfterReset);
    }
}

void EditorGrid::fitTitleColumn()
{
    QHeaderView* side = verticalHeader();
    QStyleOptionHeader option;
    option.initFrom(side);
    int width = kTitleWidth;
    for (int row = 0; row <= kFieldCount; ++row) {
        option.text = QString::fromLatin1(RowTitle(row));
        width = std::max(width, side->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, side).width());
    }
    side->setFixedWidth(width);
}

int EditorGrid::widthFor(int columns) const
{
    // The title column's fixed width, which holds before the first layout.
    return 2 * frameWidth() + verticalHeader()->minimumWidth() + columns * kColumnWidth;
}

void EditorGrid::changeEvent(QEvent* e)
{
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
        fitTitleColumn();
}

int EditorGrid::currentSegment() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : 1;
}

int EditorGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void EditorGrid::setCurrentCell(int segment, int row)
{
    if (!model())
        return;
    const QModelIndex cell = model()->index(row - 1, segment - 1);
    if (!cell.isValid())
        return;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    scrollTo(cell);
}

void EditorGrid::keepOrSelect(int segment, int row)
{
    const GridRect sel = selectionRect();
    if (currentRow() != row || segment < sel.left || segment > sel.right)
        setCurrentCell(segment, row);
}

GridRect EditorGrid::selectionRect() const
{
    GridRect r{currentSegment(), currentRow(), currentSegment(), currentRow()};
    const QItemSelection selection = selectionModel() ? selectionModel()->selection() : QItemSelection();
    bool first = true;
    for (const QItemSelectionRange& range : selection) {
        const GridRect part{range.left() + 1, range.top() + 1, range.right() + 1, range.bottom() + 1};
        if (first) {
            r = part;
            first = false;
            continue;
        }
        r = {std::min(r.left, part.left), std::min(r.top, part.top), std::max(r.right, part.right),
             std::max(r.bottom, part.bottom)};
    }
    return r;
}

void EditorGrid::setSelectionRect(const GridRect& rect)
{
    if (!model() || model()->columnCount() == 0 || model()->rowCount() == 0)
        return;
    const int lastColumn = model()->columnCount() - 1;
    const int lastRow = model()->rowCount() - 1;
    const int left = std::clamp(std::min(rect.left, rect.right) - 1, 0, lastColumn);
    const int right = std::clamp(std::max(rect.left, rect.right) - 1, 0, lastColumn);
    const int top = std::clamp(std::min(rect.top, rect.bottom) - 1, 0, lastRow);
    const int bottom = std::clamp(std::max(rect.top, rect.bottom) - 1, 0, lastRow);
    selectionModel()->select(QItemSelection(model()->index(top, left), model()->index(bottom, right)),
                             QItemSelectionModel::ClearAndSelect);
    // The moving corner is the one away from the current cell.
    const QModelIndex current = currentIndex();
    const int column = current.isValid() && current.column() - left > right - current.column() ? left : right;
    const int row = current.isValid() && current.row() - top > bottom - current.row() ? top : bottom;
    m_corner = model()->index(row, column);
}

void EditorGrid::keepCells()
{
    m_restoring = true;
    m_keptCurrent = currentIndex().isValid();
    m_keptSegment = currentSegment();
    m_keptRow = currentRow();
    m_keptSelection = selectionRect();
}

void EditorGrid::restoreCells()
{
    const int columns = model()->columnCount();
    bool moved = false;
    if (m_keptCurrent && columns > 0) {
        const int segment = std::min(m_keptSegment, columns);
        moved = segment != m_keptSegment;
        selectionModel()->setCurrentIndex(model()->index(m_keptRow - 1, segment - 1), QItemSelectionModel::NoUpdate);
        setSelectionRect(m_keptSelection);
    }
    m_restoring = false;
    emit cellsRestored(moved);
}

void EditorGrid::restoreAfterReset()
{
    // Qt has forgotten the current cell with the old session. The new one
    // keeps it as far as it reaches, selected alone: a range of the old
    // session means nothing in the new.
    const int columns = model()->columnCount();
    if (columns > 0)
        setCurrentCell(std::min(m_keptSegment, columns), m_keptRow);
    m_restoring = false;
}

void EditorGrid::mousePressEvent(QMouseEvent* e)
{
    const QModelIndex pressedAt = indexAt(e->position().toPoint());
    emit pressed(e->button(), pressedAt.isValid() ? pressedAt.column() + 1 : -1,
                 pressedAt.isValid() ? pressedAt.row() + 1 : -1);
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QModelIndex cell = indexAt(e->position().toPoint());
    if (!cell.isValid())
        return;
    if ((e->modifiers() & Qt::ShiftModifier) && currentIndex().isValid())
        extendTo(cell);
    else
        setCurrentCell(cell.column() + 1, cell.row() + 1);
    m_dragging = true;
    m_dragPos = e->position().toPoint();
}

void EditorGrid::keyReleaseEvent(QKeyEvent* e)
{
    if (!e->isAutoRepeat())
        emit keyReleased();
    QTableView::keyReleaseEvent(e);
}

void EditorGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    // Nothing is edited: a second click is a press like the first.
    mousePressEvent(e);
}

void EditorGrid::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging || !(e->buttons() & Qt::LeftButton))
        return;
    m_dragPos = e->position().toPoint();
    dragTo(m_dragPos);
    const bool beside = m_dragPos.x() < 0 || m_dragPos.x() >= viewport()->width();
    if (!beside)
        m_autoScroll.stop();
    else if (!m_autoScroll.isActive())
        m_autoScroll.start();
}

void EditorGrid::mouseReleaseEvent(QMouseEvent* e)
{
    emit released();
    if (e->button() == Qt::LeftButton) {
        m_dragging = false;
        m_autoScroll.stop();
    }
}

void EditorGrid::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int columns = model() ? model()->columnCount() : 0;
    const int rows = model() ? model()->rowCount() : 0;
    const QModelIndex current = currentIndex();
    if ((mods & ~(Qt::ShiftModifier | Qt::ControlModifier)) || columns == 0 || rows == 0 || !current.isValid()) {
        e->ignore();
        return;
    }
    const bool extend = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const QModelIndex from = extend && m_corner.isValid() ? QModelIndex(m_corner) : current;
    const int page = std::max(1, viewport()->width() / kColumnWidth);
    int column = from.column();
    int row = from.row();
    switch (e->key()) {
    case Qt::Key_Left:
        column -= ctrl ? page : 1;
        break;
    case Qt::Key_Right:
        column += ctrl ? page : 1;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row = 0;
        break;
    case Qt::Key_PageDown:
        row = rows - 1;
        break;
    case Qt::Key_Home:
        column = 0;
        if (ctrl)
            row = 0;
        break;
    case Qt::Key_End:
        column = columns - 1;
        if (ctrl)
            row = rows - 1;
        break;
    default:
        // Left to the window: its shortcuts, and nothing of the view's own
        // (select all, copy, keyboard search).
        e->ignore();
        return;
    }
    const QModelIndex to = model()->index(std::clamp(row, 0, rows - 1), std::clamp(column, 0, columns - 1));
    if (extend) {
        extendTo(to);
        scrollTo(to);
    } else {
        setCurrentCell(to.column() + 1, to.row() + 1);
    }
    e->accept();
}

void EditorGrid::keyboardSearch(const QString&) {}

void EditorGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    m_corner = current;
}

bool EditorGrid::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_cornerWidget && e->type() == QEvent::Paint) {
        paintCorner(m_cornerWidget);
        return true;
    }
    // The titles select nothing themselves: their presses are the window's.
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        const auto* me = static_cast<QMouseEvent*>(e);
        const QPoint at = me->position().toPoint();
        if (watched == horizontalHeader()->viewport()) {
            emit pressed(me->button(), horizontalHeader()->logicalIndexAt(at) + 1, 0);
            return true;
        }
        if (watched == verticalHeader()->viewport()) {
            emit pressed(me->button(), 0, verticalHeader()->logicalIndexAt(at) + 1);
            return true;
        }
        if (watched == m_cornerWidget) {
            emit pressed(me->button(), 0, 0);
            return true;
        }
    }
    return QTableView::eventFilter(watched, e);
}

void EditorGrid::extendTo(const QModelIndex& corner)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !corner.isValid())
        return;
    m_corner = corner;
    const QModelIndex topLeft = model()->index(std::min(current.row(), corner.row()),
                                               std::min(current.column(), corner.column()));
    const QModelIndex bottomRight = model()->index(std::max(current.row(), corner.row()),
                                                   std::max(current.column(), corner.column()));
    selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
}

void EditorGrid::dragTo(QPoint pos)
{
    const int columns = model() ? model()->columnCount() : 0;
    const int rows = model() ? model()->rowCount() : 0;
    if (columns == 0 || rows == 0)
        return;
    // Past the last column or row (a viewport larger than the grid) the
    // corner stays on the last one.
    int column = columnAt(std::clamp(pos.x(), 0, viewport()->width() - 1));
    int row = rowAt(std::clamp(pos.y(), 0, viewport()->height() - 1));
    if (column < 0)
        column = columns - 1;
    if (row < 0)
        row = rows - 1;
    extendTo(model()->index(row, column));
}

void EditorGrid::autoScrollTick()
{
    QScrollBar* bar = horizontalScrollBar();
    if (!m_dragging || (m_dragPos.x() >= 0 && m_dragPos.x() < viewport()->width())) {
        m_autoScroll.stop();
        return;
    }
    bar->setValue(bar->value() + (m_dragPos.x() < 0 ? -1 : 1));
    dragTo(m_dragPos);
}

void EditorGrid::paintCorner(QWidget* corner)
{
    QStyleOptionHeader option;
    option.initFrom(corner);
    // Shown as a title, though it takes no clicks.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = QString::fromLatin1(RowTitle(0));
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QPainter painter(corner);
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
}
