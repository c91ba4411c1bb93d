#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "components/RepeatBtn.h"
#include "support/QtApp.h"

// Real-time tests: every bound has a wide margin, since a loaded machine
// delivers timer ticks late (never early).
namespace {

class RepeatButton : public testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        button = new TRepeatButton("Up (Q)", &window);
        grid = new QLineEdit(&window);
        layout->addWidget(button);
        layout->addWidget(grid);
        button->InitRepeatPause = 250;
        button->RepeatPause = 50;
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    }

    void mouse(QEvent::Type type, Qt::MouseButton which)
    {
        const QPointF at = button->rect().center();
        QMouseEvent e(type, at, button->mapToGlobal(at), which,
                      type == QEvent::MouseButtonPress ? which : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &e);
    }

    // Holds the button for `ms`; returns the clicks that the hold produced
    // and the time it really took.
    int hold(int ms, Qt::MouseButton which, qint64* took)
    {
        QElapsedTimer clock;
        clock.start();
        mouse(QEvent::MouseButtonPress, which);
        spinEvents(ms);
        *took = clock.elapsed();
        return clicks;
    }

    // At most one tick per pause after the first, and never before it; one
    // more for timer granularity.
    static int mostTicks(qint64 ms) { return ms < 250 ? 0 : 2 + static_cast<int>((ms - 250) / 50); }

    QWidget window;
    TRepeatButton* button = nullptr;
    QLineEdit* grid = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(RepeatButton, ShortPressClicksOnceOnRelease)
{
    qint64 took = 0;
    const int during = hold(40, Qt::LeftButton, &took);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    if (took >= 250)
        GTEST_SKIP() << "the machine was too slow to time a short press";
    EXPECT_EQ(during, 0);
    EXPECT_EQ(clicks, 1);
    spinEvents(400);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->repeating());
}

TEST_F(RepeatButton, HoldRepeatsThenReleaseClicksOnce)
{
    for (int ms : {380, 1000}) {
        SCOPED_TRACE(ms);
        clicks = 0;
        qint64 took = 0;
        const int ticks = hold(ms, Qt::LeftButton, &took);
        mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        EXPECT_GE(ticks, ms == 380 ? 1 : 5);
        EXPECT_LE(ticks, mostTicks(took));
        EXPECT_EQ(clicks, ticks + 1) << "the release click stays";
        spinEvents(200);
        EXPECT_EQ(clicks, ticks + 1) << "nothing after the release";
    }
}

TEST_F(RepeatButton, HandlerThatMovesFocusKeepsRepeatingAndTheReleaseClick)
{
    button->setFocus();
    QObject::connect(button, &QPushButton::clicked, [this] { grid->setFocus(); });
    qint64 took = 0;
    const int ticks = hold(700, Qt::LeftButton, &took);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_GE(ticks, 3);
    EXPECT_TRUE(button->isDown()) << "still pressed while held";
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(clicks, ticks + 1);
}

TEST_F(RepeatButton, RightButtonHoldRepeatsWithoutReleaseClick)
{
    qint64 took = 0;
    const int ticks = hold(600, Qt::RightButton, &took);
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, mostTicks(took));
    mouse(QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(clicks, ticks);
    EXPECT_FALSE(button->repeating());
}

TEST_F(RepeatButton, StopsWhenDisabledHiddenOrBlockedWhileHeld)
{
    enum class Loss { DisableButton, DisableWindow, Hide, ModalWindow };
    for (Loss loss : {Loss::DisableButton, Loss::DisableWindow, Loss::Hide, Loss::ModalWindow}) {
        SCOPED_TRACE(static_cast<int>(loss));
        clicks = 0;
        qint64 took = 0;
        EXPECT_GE(hold(400, Qt::LeftButton, &took), 1);
        QDialog modal(&window);
        switch (loss) {
        case Loss::DisableButton: button->setEnabled(false); break;
        case Loss::DisableWindow: window.setEnabled(false); break;
        case Loss::Hide: button->hide(); break;
        case Loss::ModalWindow:
            modal.setModal(true);
            modal.show();
            break;
        }
        const int before = clicks;
        spinEvents(300);
        EXPECT_EQ(clicks, before) << "the release never comes: no more clicks";
        EXPECT_FALSE(button->repeating());
        EXPECT_FALSE(button->isDown()) << "the late release must not click";
        modal.hide();
        button->setEnabled(true);
        window.setEnabled(true);
        button->show();
        mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        EXPECT_EQ(clicks, before);
    }
}
