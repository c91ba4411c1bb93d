#pragma once

#include <QIcon>

class QAbstractButton;
class QPushButton;
class QString;
class QWidget;

// The pictures of the glyph buttons of both programs, drawn in code so that
// the programs need no picture files. Each is 20 x 20 pixels. GUI thread only.

/// Gives a button its glyph (20 x 20) and no text; `action` says in words
/// what it does, as its tooltip and its accessible name. The button is in its
/// window already: that window shows its tooltips whether active or not.
void setGlyph(QAbstractButton* button, const QIcon& glyph, const QString& action);

/// A glyph button of a dialog, named `name`, 36 x 30, that is never the
/// default button, so Enter never clicks it on another control's behalf.
QPushButton* dialogGlyphButton(QWidget* parent, const char* name, const QIcon& glyph, const QString& action);

/// Two bars: pause and resume.
QIcon pauseGlyph();
/// A red dot: record to a wav file.
QIcon recordGlyph();
/// A triangle pointing right: play.
QIcon playGlyph();
/// A square: stop.
QIcon stopGlyph();
/// A bar and a triangle pointing left: go to the first segment.
QIcon firstGlyph();
/// Two triangles pointing left: go one segment back.
QIcon previousGlyph();
/// Two triangles pointing right: go one segment on.
QIcon nextGlyph();
/// A window with its title bar: the main window.
QIcon mainWindowGlyph();
/// A table of cells: the spreadsheet editor.
QIcon spreadsheetGlyph();
/// Axes and a stepped line: the graphic editor.
QIcon graphGlyph();
/// One period of a wave: the user wave editor.
QIcon waveGlyph();
/// A written page: the session's properties.
QIcon propertiesGlyph();
