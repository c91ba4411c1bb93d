#pragma once

#include <QIcon>

class QAbstractButton;
class QString;

// The pictures of the player's glyph buttons, drawn in code so that the
// program needs no picture files. Each is 20 x 20 pixels. GUI thread only.

/// Gives a button its glyph (20 x 20) and no text; `action` says in words
/// what it does, as its tooltip and its accessible name.
void setGlyph(QAbstractButton* button, const QIcon& glyph, const QString& action);

/// Two bars: pause and resume.
QIcon pauseGlyph();
/// A red dot: record the session to a wav file.
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
