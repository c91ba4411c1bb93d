#include "player/SegmentGridModel.h"

#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cassert>

#include "engine/CellText.h"
#include "engine/Session.h"
#include "player/GraphicEditorLink.h"
#include "player/PlayerModel.h"
#include "platform/Win1252Qt.h"

SegmentGridModel::SegmentGridModel(Session& session, const ValueTables& tables, QObject* parent)
    : QAbstractTableModel(parent), m_session(session), m_tables(tables), m_columns(sessionColumns())
{
}

SegmentGridModel::SegmentGridModel(PlayerModel& model, QObject* parent)
    : SegmentGridModel(*model.Ses, model.Tables, parent)
{
}

int SegmentGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFieldCount;
}

int SegmentGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant SegmentGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= m_columns)
        return {};
    return fromWin1252(CellText(m_tables, m_session.Segments[index.column() + 1], index.row() + 1));
}

QVariant SegmentGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_columns ? QVariant(QString::number(section + 1)) : QVariant();
    return section < kFieldCount ? QVariant(QString::fromLatin1(RowTitle(section + 1))) : QVariant();
}

Qt::ItemFlags SegmentGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void SegmentGridModel::ChangeValue(int segment, int row)
{
    m_session.SesModified = true;
    if (segment < 1 || segment > m_columns || row < 1 || row > kFieldCount)
        return;
    const QModelIndex cell = index(row - 1, segment - 1);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void SegmentGridModel::RefreshSegment(int segment)
{
    if (segment < 1 || segment > m_columns)
        return;
    emit dataChanged(index(0, segment - 1), index(kFieldCount - 1, segment - 1), {Qt::DisplayRole});
}

void SegmentGridModel::FillDefSeg(int segment)
{
    if (segment < 1 || segment > kMaxSegments)
        return;
    m_session.Segments[segment] = m_tables.DefaultSegment;
    RefreshSegment(segment);
}

void SegmentGridModel::resetSession(const std::function<void()>& replace)
{
    beginResetModel();
    if (replace)
        replace();
    m_columns = sessionColumns();
    endResetModel();
}

void SegmentGridModel::insertSegments(int first, int count, const std::function<void()>& change)
{
    const int after = m_columns + count;
    if (count < 1 || first < 1 || first > m_columns + 1 || after > kMaxSegments) [[unlikely]] {
        assert(false && "not an insertion");
        resetSession(change);
        return;
    }
    beginInsertColumns({}, first - 1, first + count - 2);
    change();
    m_columns = after;
    endInsertColumns();
    if (!inStep()) [[unlikely]] {
        assert(false && "SegCount did not grow by the columns inserted");
        resetSession();
    }
}

void SegmentGridModel::removeSegments(int first, int count, const std::function<void()>& change)
{
    const int after = m_columns - count;
    if (count < 1 || first < 1 || first + count - 1 > m_columns) [[unlikely]] {
        assert(false && "not a removal");
        resetSession(change);
        return;
    }
    beginRemoveColumns({}, first - 1, first + count - 2);
    change();
    m_columns = after;
    endRemoveColumns();
    if (!inStep()) [[unlikely]] {
        assert(false && "SegCount did not shrink by the columns removed");
        resetSession();
    }
}

VisitedSegments SegmentGridModel::stepValues(int left, int right, int row, bool up)
{
    const VisitedSegments visited = up ? valueUp(m_session, m_tables, left, right, row)
                                       : valueDown(m_session, m_tables, left, right, row);
    showVisited(*this, visited, row);
    return visited;
}

bool SegmentGridModel::inStep() const
{
    return m_columns == m_session.SegCount;
}

int SegmentGridModel::sessionColumns() const
{
    return std::clamp(m_session.SegCount, 0, kMaxSegments);
}

void showVisited(SegmentGridModel& grid, const VisitedSegments& visited, int row)
{
    for (int s = visited.first; s <= visited.last; ++s) {
        grid.ChangeValue(s, row);
        graphicEditor().ChangeValue(s, row);
    }
}

QSlider* valueSlider(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QStringLiteral("TrackBar1"));
    slider->setFixedSize(142, 33);
    slider->setMinimum(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    // It lies over cells and curves: they must not show through its groove.
    slider->setAutoFillBackground(true);
    slider->hide();
    return slider;
}

void showField(QSlider* slider, const ValueTables& tables, const TSegRec& rec, int row)
{
    const QSignalBlocker silent(slider);
    slider->setMaximum(sliderMaximum(tables, row));
    slider->setValue(sliderPosition(tables, rec, row));
}
