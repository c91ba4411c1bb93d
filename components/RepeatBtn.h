#pragma once

#include <QPushButton>
#include <QTimer>
#include <cstdint>

/// A push button that keeps clicking while a mouse button holds it down: the
/// first repeat after InitRepeatPause, then one every RepeatPause
/// (milliseconds). A left-button press still ends with the ordinary release
/// click. Handlers may move the focus away meanwhile. GUI thread only.
class TRepeatButton : public QPushButton {
    Q_OBJECT
public:
    explicit TRepeatButton(QWidget* parent = nullptr);
    explicit TRepeatButton(const QString& text, QWidget* parent = nullptr);

    std::uint32_t InitRepeatPause = 250;
    std::uint32_t RepeatPause = 75;

    /// Whether the repeat timer is running (a press is being held).
    bool repeating() const { return m_timer.isActive(); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool event(QEvent* e) override;

private:
    void TimerTick();
    void stopRepeating();

    QTimer m_timer{this};
    bool m_leftHeld = false; // the left button went down on us and is not up yet
};
