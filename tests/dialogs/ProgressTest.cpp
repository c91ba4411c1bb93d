#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "dialogs/ProgressScope.h"
#include "dialogs/Unit5.h"
#include "support/QtApp.h"

namespace {

void pressEscape(QWidget* w)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

} // namespace

TEST(ProgressDialog, LayoutCallersRelyOn)
{
    TForm5 form;
    EXPECT_EQ(form.windowTitle(), "Writing to wav file...");
    EXPECT_EQ(form.parentWidget(), nullptr) << "disabling the caller's window must not reach Cancel";
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.size(), QSize(377, 103));
    EXPECT_EQ(form.ProgressBar1->minimum(), 0);
    EXPECT_EQ(form.ProgressBar1->maximum(), 100);
    EXPECT_EQ(form.Button1->text(), "Cancel");
    EXPECT_EQ(form.findChild<QPushButton*>("Button1"), form.Button1);
}

TEST(ProgressDialog, RefusesEveryCloseButCancelWhileCloseIsNotAllowed)
{
    TForm5 form;
    form.show();
    EXPECT_FALSE(form.close());
    QCloseEvent closeBox;
    QApplication::sendEvent(&form, &closeBox);
    EXPECT_FALSE(closeBox.isAccepted());
    pressEscape(&form);
    QApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Cancelled);
    EXPECT_FALSE(form.CloseAllowed);

    form.Button1->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Cancelled);
    EXPECT_TRUE(form.CloseAllowed);

    form.show();
    EXPECT_FALSE(form.Cancelled) << "a new show starts with both flags clear";
    EXPECT_FALSE(form.CloseAllowed);

    // The caller's own final close also counts as a close.
    form.CloseAllowed = true;
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(form.Cancelled);

    form.show();
    form.CloseAllowed = true;
    pressEscape(&form);
    EXPECT_FALSE(form.isVisible()) << "Escape asks the same question as the close box";
    EXPECT_TRUE(form.Cancelled);
}

TEST(ProgressScope, CancelStopsTheLoopWhileTheCallersWindowIsDisabled)
{
    TForm5 form;
    QWidget main;
    main.show();
    int blocks = 0;
    {
        ProgressScope progress(form, "Exporting LNF file...", {&main});
        EXPECT_EQ(form.windowTitle(), "Exporting LNF file...");
        EXPECT_FALSE(main.isEnabled());
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), &form) << "modal, yet the loop runs";
        EXPECT_TRUE(form.Button1->isEnabled());
        QTimer::singleShot(50, form.Button1, &QPushButton::click);
        while (!progress.cancelled() && blocks < 100000) {
            progress.setProgress(++blocks, 1000000);
            spinEvents(1);
        }
        EXPECT_TRUE(progress.cancelled());
    }
    EXPECT_LT(blocks, 100000);
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(form.isVisible());
}

TEST(ProgressScope, LoopThatThrowsLeavesWindowsEnabledAndDialogClosed)
{
    TForm5 form;
    QWidget main;
    QWidget editor;
    form.ProgressBar1->setValue(70);
    try {
        ProgressScope progress(form, "Writing to wav file...", {&main, &editor});
        EXPECT_EQ(form.ProgressBar1->value(), 0);
        EXPECT_FALSE(editor.isEnabled());
        for (int block = 0; block < 10; ++block) {
            progress.setProgress(block, 10);
            if (block == 5)
                throw std::runtime_error("Error writing to wav");
        }
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(editor.isEnabled());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.CloseAllowed);

    // The next operation starts cleanly.
    ProgressScope next(form, "Importing LNF file...", {&main});
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.CloseAllowed);
    EXPECT_FALSE(form.Cancelled);
}

TEST(ProgressScope, PercentageIsRoundedAndClamped)
{
    TForm5 form;
    ProgressScope progress(form, "Recording to wav file...", {});
    struct Case {
        std::int64_t done, total;
        int shown;
    };
    const Case cases[] = {
        {50, 200, 25}, {1, 8, 12}, {3, 8, 38}, // halves go to the even neighbour
        {0, 0, 100},   {5, 0, 100},            // no total: nothing left to do
        {3, 2, 100},   {-4, 10, 0},
        {INT64_MAX, 1, 100}, {8'000'000'000, 16'000'000'000, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.done << "/" << c.total);
        progress.setProgress(c.done, c.total);
        EXPECT_EQ(form.ProgressBar1->value(), c.shown);
    }
}
