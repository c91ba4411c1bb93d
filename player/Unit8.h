#pragma once

#include <QImage>
#include <QMainWindow>
#include <QRect>
#include <array>
#include <vector>

#include "player/GraphicEditorLink.h"
#include "player/PlotGeometry.h"
#include "player/PlotRenderer.h"
#include "player/QtPlotCanvas.h"

class EditorGrid;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QSlider;
class QToolButton;
class SegmentGridModel;
class TRepeatButton;
struct PlayerModel;
struct StoredBounds;

/// One of the graphic editor's two images: shows the top-left part of a
/// backing image that the editor draws into. The backing image is made once,
/// at the screen's size less 80 pixels, and only grows, when the widget
/// becomes larger than it; painting never redraws the plot. GUI thread only.
class PlotImage final : public QWidget {
    Q_OBJECT
public:
    PlotImage(QSize backing, QWidget* parent);

    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QImage m_image;
};

/// Where FormResize puts the controls for a client size (each in its parent's
/// coordinates; sizes may come out negative for a client below the minimum).
struct GraphLayout {
    QRect Panel1, Image1, Image2, Shape1, PropScrollBar1, Panel2, StringGrid1, Panel3;
    int StaticTextLeft = 0; ///< both time texts, right-aligned in Panel3
};

/// The graphic editor: the open session as value curves over time, with a
/// value axis for the selected row, a time axis, segment marks, the bands of
/// the selected and current segments, zoom, horizontal scrolling, curve
/// buttons and view toggles, beside a second grid on the spreadsheet editor's
/// model. Its geometry and drawing are PlotGeometry's and PlotRenderer's; this
/// window lays out its controls by hand and applies their results.
///
/// It edits as the spreadsheet editor does (Value Up/Down, Ramp, the pop-up
/// slider, the same menus) and with the mouse on the plot: the selected row's
/// value on the current segment is dragged up and down for every selected
/// segment, the current segment's end sideways to the nearest duration, and
/// Shift+click selects a range. The two editors always show the same current
/// cell and range: each grid's moves are mirrored into the other under a
/// guard, and every change posts one SyncSelectionMsg, which brings the plot
/// and the playback control's start segment to the selection.
/// Installs itself as the spreadsheet editor's graphic editor for its
/// lifetime. GUI thread only.
class TForm8 final : public QMainWindow, public GraphicEditorLink {
    Q_OBJECT
public:
    /// `grid` is the spreadsheet editor's model; it outlives this window.
    TForm8(PlayerModel& model, SegmentGridModel& grid);
    ~TForm8() override;

    /// Start-up's create step, right after construction: place and size from
    /// the settings, layout, geometry and selection; its last step opens the
    /// session named on the command line, or a new one.
    void FormCreate();
    /// Each activation: the view toggles from the settings' fields, the
    /// maximized state, the grid put back on the plot's selection (not
    /// mirrored), a redraw.
    void FormActivate();
    /// Leaving the window: the slider hides, the maximized state is kept, and
    /// the edits reach playback unless a run is under way.
    void FormDeactivate();
    /// Lays out the controls for the client's size, then geometry and redraw.
    void FormResize();
    /// The grid's width at design; wider where the titles need more.
    static constexpr int kDesignGridWidth = 145;
    static GraphLayout layoutFor(QSize client, int gridWidth = kDesignGridWidth);

    // ---- Geometry and drawing ----------------------------------------------------------

    /// Recomputes the geometry for the plot's size; the scroll bar follows.
    void RecalcImage1Params() override;
    void SetImageRects();
    /// The whole plot and value axis drawn again.
    void DrawImage() override;
    /// Zoom fitting the selection; the scroll bar follows.
    void ZoomInProc();
    void ZoomOutProc();
    /// The scroll bar's maximum from the virtual width; the scroll position
    /// taken from the bar. No redraw.
    void ChangeVirtImageScrollBarRange();
    /// The user moved the scroll bar.
    void PropScrollbar1Change();
    /// The whole session in view again (virtual width := the plot's width)
    /// at scroll position 0; no redraw.
    void resetZoom() override;

    // ---- The spreadsheet editor's calls ---------------------------------------------------

    void setTimeTexts(const QString& start, const QString& total) override;
    /// The records are shown by the shared grid model already; this redraws
    /// with "Auto Refresh" when `segment` ends this grid's selection, and
    /// marks the session modified.
    void ChangeValue(int segment, int row) override;
    /// The posted notification: the plot takes the grid's selection, shows
    /// the row's curve and fits and scrolls to it (not during a drag), the
    /// playback control starts from the current segment, the Ramp buttons of
    /// both editors follow the row and segment, and the plot is redrawn.
    void SyncSelectionMsg() override;
    void moveGrid(int segment, int row) override;
    void copySelection(const GridRect& rect) override;
    /// The new last segment becomes current here, unmirrored.
    void AddNewSegUpd() override;
    void enablePaste() override;

    // ---- Editing ------------------------------------------------------------------------

    /// One step up or down on this grid's selection and current row, shown
    /// in both editors; on the Time row the time texts follow.
    void ValueUp();
    void ValueDown();
    /// The user moved the pop-up slider: its position into every selected
    /// segment of the current row.
    void TrackBar1Change();

    /// The plot's mouse, in Image1's coordinates. A press selects the segment
    /// under x (a range with Shift and the left button alone) and starts a
    /// drag on the handle the last move found; a move shows the handle under
    /// the mouse or drags; the release writes the last value or duration.
    /// Nothing is dragged while a session plays.
    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x);
    void Image1MouseMove(int x, int y);
    void Image1MouseUp(int x, int y);

    /// After every playback lock and unlock: enables the Session and Segment
    /// items unless locked; Paste only once something was copied, the imports
    /// only where built.
    void lockCommands(bool locked);

    /// Set while this window moves its own grid from code: that move is not
    /// mirrored into the spreadsheet editor's grid.
    SyncFlag NoEcho;
    /// The selected row's curve button was pressed only because the row was
    /// selected; it is released when the selection leaves the row.
    bool TempCurve = false;
    /// A value drag or a segment-end drag is running.
    bool DragValue = false;
    bool DragTime = false;
    /// The handle under the mouse, with the Freq row it selects.
    PlotHandle Hover;

    // ---- Buttons -----------------------------------------------------------------------------

    /// Curve button 1..8 toggled by the user: the selected row's stays down.
    void SpeedButton1to8Click(int button);
    void SpeedButton9Click();  // "Show All"
    void SpeedButton10Click(); // "Show Grid"
    void SpeedButton11Click(); // "Show Segs"
    void SpeedButton12Click(); // "Auto Refresh"
    /// "Refresh", "Zoom In", "Zoom Out"; then the grid takes the keyboard.
    void Button4Click();
    void Button5Click();
    void Button6Click();

    // ---- Read access -----------------------------------------------------------------------

    /// The geometry fields (AxisY, YScale, VirtualWidth, ScrollX, SelRect, ...),
    /// with the scroll bar's maximum and page in units of ScrollDiv.
    const PlotGeometry& geometry() const { return m_geo; }

    // ---- Controls, named as the design names them ------------------------------------------

    QFrame* Panel1 = nullptr;
    PlotImage* Image2 = nullptr; // the value axis
    QFrame* Shape1 = nullptr;
    PlotImage* Image1 = nullptr; // the plot
    QScrollBar* PropScrollBar1 = nullptr;
    QFrame* Panel2 = nullptr;
    /// SpeedButton1..8, the curve buttons (entry 0 unused).
    std::array<QToolButton*, 9> CurveButtons{};
    EditorGrid* StringGrid1 = nullptr;
    QFrame* Panel3 = nullptr;
    QPushButton* Button5 = nullptr;      // "Zoom In"
    QPushButton* Button6 = nullptr;      // "Zoom Out"
    QToolButton* SpeedButton11 = nullptr; // "Show Segs"
    QToolButton* SpeedButton12 = nullptr; // "Auto Refresh"
    QToolButton* SpeedButton10 = nullptr; // "Show Grid"
    QToolButton* SpeedButton9 = nullptr;  // "Show All"
    TRepeatButton* RepeatButton1 = nullptr; // "Val. Up"
    TRepeatButton* RepeatButton2 = nullptr; // "Val. Down"
    QPushButton* Button3 = nullptr;      // "Ramp"
    QPushButton* Button4 = nullptr;      // "Refresh"
    QLabel* StaticText1 = nullptr;       // segment start time
    QLabel* StaticText2 = nullptr;       // session total time
    QSlider* TrackBar1 = nullptr;        // the pop-up value slider

    QMenu* Session1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QMenu* Import1 = nullptr;
    QAction* ImportPsx1 = nullptr;
    QAction* ImportMlp1 = nullptr;
    QAction* CloseEditor1 = nullptr;
    QMenu* Segment1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* AddNew1 = nullptr;
    QAction* Insert1 = nullptr;
    QAction* ValueUp1 = nullptr;
    QAction* ValueDown1 = nullptr;
    QAction* Ramp1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QMenu* Show1 = nullptr;
    QAction* MainWindow1 = nullptr;
    QAction* Properties1 = nullptr;
    QAction* SpreadsheetEditor1 = nullptr;
    QAction* PlaybackControl1 = nullptr;
    QAction* UserWaveEditor1 = nullptr;
    QAction* ShowWindow1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;

protected:
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    /// The stored window size when one is stored, then the stored place, or
    /// centred on the screen.
    void placeFromSettings(const StoredBounds& stored);
    void buildMenus();
    /// FormResize's placement of the controls, for the client's present size.
    void layOut();
    /// The grid's width: the titles and one whole segment column, at least
    /// the design's.
    int gridWidth() const;
    PlotSession plotSession() const;
    PlotView plotView() const;
    /// Puts the scroll bar on the geometry's range (its last page ending at
    /// the maximum) and `position`, without a change event; ScrollX follows
    /// the position the bar takes.
    void setScrollBar(int position);
    void zoomed(std::optional<std::int32_t> position);
    void setToggle(QToolButton* button, bool down);
    void valueStep(bool up);
    bool playing() const;
    // This grid's events, as the spreadsheet editor handles its own.
    void StringGrid1MouseDown(Qt::MouseButton button, int column, int row);
    void StringGrid1SelectCell(int column, int row, int previousRow);
    void StringGrid1MouseUp();
    void StringGrid1KeyUp();
    /// The plot's selection (SelRect, CurSeg) := this grid's, on its current row.
    void takeGridSelection();
    /// The notification without its fit and redraw: the plot's selection, the
    /// row's curve button, the playback start segment and the Ramp buttons.
    void followGridSelection();
    /// Both grids' current cell to (column, row), unmirrored.
    void moveBothGrids(int column, int row);
    /// A press on a Freq start or end handle selects that row in both grids.
    void selectHoverRow();

    PlayerModel& m_model;
    SegmentGridModel& m_grid;
    GraphicEditorLink* m_linkBefore = nullptr;
    QWidget* m_client = nullptr;
    PlotGeometry m_geo;
    PlotRenderer m_renderer;
    QtPlotCanvas m_plotCanvas;
    QtPlotCanvas m_axisCanvas;
    bool m_pasteUsable = false; // something was copied
};

/// Created once at start-up.
extern TForm8* Form8;
