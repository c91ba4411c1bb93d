#include "player/GraphicEditorLink.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

GraphicEditorLink g_none;
GraphicEditorLink* g_installed = nullptr;

} // namespace

void GraphicEditorLink::ChangeValue(int, int) {}
void GraphicEditorLink::SyncSelectionMsg() {}
void GraphicEditorLink::moveGrid(int, int) {}
void GraphicEditorLink::copySelection(const GridRect&) {}
void GraphicEditorLink::setTimeTexts(const QString&, const QString&) {}
void GraphicEditorLink::DrawImage() {}
void GraphicEditorLink::AddNewSegUpd() {}
void GraphicEditorLink::resetZoom() {}
void GraphicEditorLink::enablePaste() {}
void GraphicEditorLink::RecalcImage1Params() {}

GraphicEditorLink& graphicEditor()
{
    return g_installed ? *g_installed : g_none;
}

GraphicEditorLink* setGraphicEditor(GraphicEditorLink* link)
{
    GraphicEditorLink* before = g_installed;
    g_installed = link;
    return before;
}

void postSyncSelection()
{
    // Resolved at delivery: an editor removed in between is not called.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { graphicEditor().SyncSelectionMsg(); }, Qt::QueuedConnection);
}
