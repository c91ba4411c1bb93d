#pragma once

#include <QProgressBar>
#include <cstdint>
#include <functional>

/// The converter's ProgressBar1: the play position in whole seconds, which
/// the user drags to seek. It keeps Min (0), Max and the position itself and
/// draws them with a range of at least one, so a source under one second
/// shows an empty bar instead of a busy one. Presses, moves and releases go
/// to the main window's handlers with the pointer's x. GUI thread only.
class SeekBar final : public QProgressBar {
    Q_OBJECT
public:
    explicit SeekBar(QWidget* parent = nullptr);

    std::int64_t Max() const { return m_max; }
    /// Negative counts as 0; the position is kept within the new range.
    void setMax(std::int64_t secs);
    std::int64_t Position() const { return m_position; }
    /// Kept within 0..Max.
    void setPosition(std::int64_t secs);
    /// The position under `x`: x / width × Max rounded, ties to even, kept
    /// within 0..Max.
    std::int64_t positionAt(int x) const;

    /// A press, with the buttons held and the modifier keys.
    std::function<void(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x)> OnMouseDown;
    /// A move while a button is held.
    std::function<void(int x)> OnMouseMove;
    std::function<void(int x)> OnMouseUp;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void redraw();

    std::int64_t m_max = 0;
    std::int64_t m_position = 0;
};
