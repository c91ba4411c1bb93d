#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "engine/ValueEdit.h"

class QSlider;
class QWidget;
struct PlayerModel;
struct Session;
struct ValueTables;

/// The editors' grid over the open session: column c is segment c + 1, row r
/// is field r + 1. It owns no text: every cell is the field's cell text,
/// computed when a view asks for it. The horizontal header gives the segment
/// numbers, the vertical one the row titles ("Seg. No." belongs to the
/// view's corner). Both editors' grids are views on one instance.
///
/// The column count is what the views were last told; it follows `SegCount`
/// through the calls below only, so a session must change through them.
/// GUI thread only.
class SegmentGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    SegmentGridModel(Session& session, const ValueTables& tables, QObject* parent = nullptr);
    explicit SegmentGridModel(PlayerModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// Cell (segment, row) was written: shows it again and marks the session
    /// modified, also when row is outside 1..18 (then nothing is shown again).
    void ChangeValue(int segment, int row);
    /// Shows segment's whole column again; the modified mark is untouched.
    void RefreshSegment(int segment);
    /// Segments[segment] := the default segment, column shown again; the
    /// modified mark is untouched.
    void FillDefSeg(int segment);

    /// Replaces the whole session: `replace` changes records and `SegCount`
    /// freely; the views start over afterwards.
    void resetSession(const std::function<void()>& replace = {});
    /// `count` segments appear before segment `first` (first = SegCount + 1
    /// appends). `change` moves the records and raises `SegCount` by count.
    void insertSegments(int first, int count, const std::function<void()>& change);
    /// Segments first..first + count - 1 go. `change` moves the records and
    /// lowers `SegCount` by count.
    void removeSegments(int first, int count, const std::function<void()>& change);

    /// Value Up or Down on `row` of segments left..right, every visited
    /// segment shown again in both editors (showVisited).
    VisitedSegments stepValues(int left, int right, int row, bool up);

    /// Whether the column count matches `SegCount` (it always should between
    /// edits).
    bool inStep() const;

private:
    int sessionColumns() const;

    Session& m_session;
    const ValueTables& m_tables;
    int m_columns = 0;
};

/// Shows every segment a value operation visited again, in `grid` and in the
/// graphic editor, one call per segment each; this marks the session modified
/// also when no byte changed. Nothing visited, nothing marked.
void showVisited(SegmentGridModel& grid, const VisitedSegments& visited, int row);

/// An editor's pop-up value slider, named TrackBar1: hidden, 142 x 33, from
/// 1, a tick below every position, opaque over what it covers.
QSlider* valueSlider(QWidget* parent);

/// Puts an editor's pop-up slider on `row`'s range and on the value `rec`
/// holds there, without a change event: only the user's moves write.
void showField(QSlider* slider, const ValueTables& tables, const TSegRec& rec, int row);
