#pragma once

#include <QStringList>

#include "player/GraphicEditorLink.h"

/// The graphic editor as the spreadsheet editor sees it: installs itself for
/// its lifetime and logs every call, as "ChangeValue 2 12", "SyncSelectionMsg",
/// "moveGrid 3 4", "copySelection 1 2 3 4" (left top right bottom) and
/// "setTimeTexts <start>|<total>", and the bare names of the calls without
/// arguments ("DrawImage", "AddNewSegUpd", "resetZoom", "enablePaste",
/// "RecalcImage1Params").
struct RecordingEditor final : GraphicEditorLink {
    QStringList log;

    RecordingEditor() { m_before = setGraphicEditor(this); }
    ~RecordingEditor() override { setGraphicEditor(m_before); }

    void ChangeValue(int segment, int row) override { log << QString("ChangeValue %1 %2").arg(segment).arg(row); }
    void SyncSelectionMsg() override { log << "SyncSelectionMsg"; }
    void moveGrid(int segment, int row) override { log << QString("moveGrid %1 %2").arg(segment).arg(row); }
    void copySelection(const GridRect& r) override
    {
        log << QString("copySelection %1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
    }
    void setTimeTexts(const QString& start, const QString& total) override
    {
        log << "setTimeTexts " + start + "|" + total;
    }
    void DrawImage() override { log << "DrawImage"; }
    void AddNewSegUpd() override { log << "AddNewSegUpd"; }
    void resetZoom() override { log << "resetZoom"; }
    void enablePaste() override { log << "enablePaste"; }
    void RecalcImage1Params() override { log << "RecalcImage1Params"; }

private:
    GraphicEditorLink* m_before = nullptr;
};
