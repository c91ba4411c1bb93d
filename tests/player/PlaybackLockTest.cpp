#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <memory>

#include "player/PlaybackLock.h"

TEST(PlaybackLock, LocksAndUnlocksEveryRegisteredControl)
{
    PlaybackLock::clear();
    auto button = std::make_unique<QPushButton>();
    QMenu menu;
    QAction* item = menu.addAction("&Open...");
    item->setShortcut(QKeySequence("Ctrl+O"));
    auto gone = std::make_unique<QPushButton>();
    bool ownLock = false;

    PlaybackLock::add(button.get());
    PlaybackLock::add(menu.menuAction());
    PlaybackLock::add(item);
    PlaybackLock::add(gone.get());
    PlaybackLock::add([&](bool locked) { ownLock = locked; });
    gone.reset(); // a window destroyed since it registered is skipped

    PlaybackLock::set(true);
    EXPECT_TRUE(PlaybackLock::locked());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    EXPECT_FALSE(item->isEnabled()) << "its shortcut goes with it";
    EXPECT_TRUE(ownLock);

    PlaybackLock::set(false);
    EXPECT_FALSE(PlaybackLock::locked());
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(ownLock);
    PlaybackLock::clear();
}
