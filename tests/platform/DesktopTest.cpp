#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <stdexcept>

#include "platform/Help.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"
#include "support/UrlCatcher.h"

namespace {

bool waiting()
{
    return QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

} // namespace

TEST(WaitCursor, RestoredOnEveryExit)
{
    ASSERT_FALSE(waiting());
    {
        WaitCursor outer;
        EXPECT_TRUE(waiting());
        {
            WaitCursor inner;
            EXPECT_TRUE(waiting());
        }
        EXPECT_TRUE(waiting()) << "the outer guard still holds";
    }
    EXPECT_FALSE(waiting());
    try {
        WaitCursor busy;
        throw std::runtime_error("read failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Help, OpensTheFileOrSaysItIsMissing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Lumisono.hlp");
    ScriptedPrompts script;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");

    EXPECT_TRUE(helpFile().endsWith("/Lumisono.hlp")) << "default: beside the program";
    setHelpFile(path);
    showHelp(31);
    EXPECT_TRUE(catcher.urls.isEmpty());
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0].kind, MsgKind::Information);
    EXPECT_TRUE(script.shown[0].text.contains(path));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    showHelp(31);
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
    EXPECT_EQ(script.shown.size(), 1u);

    QDesktopServices::unsetUrlHandler("file");
    setHelpFile({});
}

