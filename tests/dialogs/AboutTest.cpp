#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPixmap>

#include "dialogs/DialogKit.h"
#include "dialogs/Unit13.h"
#include "dialogs/Version.h"

TEST(AboutBox, ShowsPictureNameAndVersion)
{
    TForm13 form;
    EXPECT_EQ(form.windowTitle(), "About Lumisonorium SW");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed border";

    const QPixmap picture = form.Image1->pixmap();
    ASSERT_FALSE(picture.isNull()) << "the picture is built into the program";
    EXPECT_EQ(picture.size(), QSize(32, 32));

    EXPECT_EQ(form.Label1->text(), "Lumisonorium SW");
    EXPECT_EQ(form.Label1->font().pixelSize(), 24);
    EXPECT_TRUE(form.Label1->font().bold());
    EXPECT_EQ(form.Label2->text(), "Version 3.8");
    EXPECT_EQ(form.Label2->font().pixelSize(), 16);
    EXPECT_EQ(form.Bevel1->frameShape(), QFrame::HLine);
    EXPECT_EQ(form.Bevel1->frameShadow(), QFrame::Raised);
    EXPECT_STREQ(kVersionedTitle, "Lumisonorium SW 3.8");
}

TEST(DialogKit, ShrinkToFitMakesTheTextFitOrStopsAtTheSmallest)
{
    // Text, then the pixel size it ends at (0: smaller than 24 and fitting).
    for (const auto& [text, size] : {std::pair{"Lumisonorium", 24}, {"Lumisonorium SW Lumisonorium", 0},
                                    {"Lumisonorium SW Lumisonorium SW Lumisonorium SW", 10}}) {
        QLabel label(QString::fromLatin1(text));
        setPixelFont(&label, 24, true);
        label.setGeometry(0, 0, 236, 30);
        shrinkToFit(&label, 10);
        const int width = label.fontMetrics().horizontalAdvance(label.text());
        EXPECT_TRUE(size ? label.font().pixelSize() == size : label.font().pixelSize() < 24 && width <= 236) << text;
    }
}
