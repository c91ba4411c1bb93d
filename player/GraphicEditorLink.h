#pragma once

#include <QString>

#include "player/GridRect.h"

/// What the spreadsheet editor asks of the graphic editor. Every call does
/// nothing until the graphic editor installs itself with setGraphicEditor.
/// GUI thread only.
class GraphicEditorLink {
public:
    virtual ~GraphicEditorLink() = default;

    /// Field `row` of segment `segment` was written: redraw what shows it.
    virtual void ChangeValue(int segment, int row);
    /// The spreadsheet's selection changed: mirror it. Only delivered through
    /// postSyncSelection, after the event that caused it.
    virtual void SyncSelectionMsg();
    /// Make (segment, row) the current cell of its grid. It moves the grid
    /// under its own NoEcho guard, so the move is not mirrored back.
    virtual void moveGrid(int segment, int row);
    /// Give its grid this selection rectangle; moves no current cell.
    virtual void copySelection(const GridRect& rect);
    /// Show the two time texts under its grid.
    virtual void setTimeTexts(const QString& start, const QString& total);

    // ---- After the spreadsheet's segment operations. Its grid views the same
    // SegmentGridModel, so columns, headers and the current cell follow the
    // model's column signals by themselves (EditorGrid); these calls are for
    // what the graphic editor draws and enables beside its grid.

    /// Segments were inserted or deleted, or the session replaced: draw the
    /// plot again.
    virtual void DrawImage();
    /// Add New appended a segment (called only when it was not refused): show
    /// it and select it.
    virtual void AddNewSegUpd();
    /// New after the save question was answered Yes or No: the zoom goes back
    /// to the whole plot width, scrolled to the start, and the scroll range is
    /// computed again.
    virtual void resetZoom();
    /// The first successful Copy: enable its Paste item for the rest of the run.
    virtual void enablePaste();
    /// The plot's geometry again, from the session and the zoom (after a
    /// session was read in or imported, before DrawImage).
    virtual void RecalcImage1Params();
};

/// The installed graphic editor, or one that does nothing.
GraphicEditorLink& graphicEditor();

/// Installs `link` (nullptr: back to the one that does nothing); returns the
/// one installed before. `link` must stay alive while installed.
GraphicEditorLink* setGraphicEditor(GraphicEditorLink* link);

/// Queues one SyncSelectionMsg to whichever graphic editor is installed when
/// it is delivered. Each post is one call; posts are not merged.
void postSyncSelection();

/// A flag that is set while a scope runs: a window moves a grid from code
/// under it, and that grid's selection handler checks it to leave the move
/// unmirrored. Unlike a one-shot flag, nothing stays set when no selection
/// event arrives (a move onto the current cell sends none).
class SyncFlag {
public:
    SyncFlag() = default;
    SyncFlag(const SyncFlag&) = delete;
    SyncFlag& operator=(const SyncFlag&) = delete;

    bool isSet() const { return m_depth > 0; }
    explicit operator bool() const { return isSet(); }

private:
    friend class SyncGuard;
    int m_depth = 0;
};

/// Sets a SyncFlag for its lifetime; guards nest.
class SyncGuard {
public:
    explicit SyncGuard(SyncFlag& flag) : m_flag(flag) { ++m_flag.m_depth; }
    ~SyncGuard() { --m_flag.m_depth; }
    SyncGuard(const SyncGuard&) = delete;
    SyncGuard& operator=(const SyncGuard&) = delete;

private:
    SyncFlag& m_flag;
};
