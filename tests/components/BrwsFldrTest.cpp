#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "components/BrwsFldr.h"
#include "platform/Prompts.h"
#include "support/QtApp.h"

namespace {

// A temporary tree: <root>/alpha/beta and <root>/gamma, plus a plain file.
class FolderChooser : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = QDir::cleanPath(m_dir.path());
        ASSERT_TRUE(QDir(root).mkpath("alpha/beta"));
        ASSERT_TRUE(QDir(root).mkpath("gamma"));
        QFile file(root + "/notes.txt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    bool selects(FolderDialog& dialog, const QString& path)
    {
        return waitUntil([&] { return dialog.selectedPath() == path; });
    }

    QTemporaryDir m_dir;
    QString root;
};

// Records the events in the order the component raises them.
class Recording final : public TBrowseForFolder {
public:
    QStringList calls;

protected:
    void SelChanged(const QString& path, bool& enableOk) override
    {
        calls << QStringLiteral("hook %1 %2").arg(path).arg(enableOk);
    }
    void SetPosition(int& left, int&, int, int) override { calls << QStringLiteral("place %1").arg(left); }
};

} // namespace

TEST_F(FolderChooser, PreselectsThePathWithOrWithoutTrailingSlash)
{
    for (const QString& given : {root + "/alpha/beta", root + "/alpha/beta/", root + "/gamma/../alpha/beta"}) {
        SCOPED_TRACE(given.toStdString());
        TBrowseForFolder chooser;
        chooser.Path = given;
        FolderDialog dialog(chooser);
        dialog.initialize();
        ASSERT_TRUE(selects(dialog, root + "/alpha/beta"));
        // Later loads of the folders above must not lose the selection.
        spinEvents(100);
        EXPECT_EQ(dialog.selectedPath(), root + "/alpha/beta");
        EXPECT_TRUE(dialog.okEnabled());
        EXPECT_TRUE(dialog.tree()->isExpanded(dialog.model()->index(root + "/alpha")));
    }
}

TEST_F(FolderChooser, PreselectedFolderIsInViewOnceOpenWhileRowsKeepLoading)
{
    // Rows ahead of it in the tree: a sorted load must not push it out of view.
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("alpha/a%1").arg(i, 2, 10, QLatin1Char('0'))));
    TBrowseForFolder chooser;
    chooser.Path = root + "/alpha/beta";
    FolderDialog dialog(chooser);
    dialog.initialize();
    dialog.show();
    ASSERT_TRUE(selects(dialog, root + "/alpha/beta"));
    spinEvents(300);
    const QTreeView* tree = dialog.tree();
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
}

TEST_F(FolderChooser, EmptyMissingOrFilePathSelectsNothing)
{
    for (const QString& given : {QString(), root + "/missing", root + "/notes.txt"}) {
        SCOPED_TRACE(given.toStdString());
        TBrowseForFolder chooser;
        chooser.Path = given;
        QStringList seen;
        chooser.OnSelChanged = [&](TBrowseForFolder*, const QString& path, bool& enableOk) {
            seen << QStringLiteral("%1 %2").arg(path).arg(enableOk);
        };
        FolderDialog dialog(chooser);
        dialog.initialize();
        spinEvents(100);
        EXPECT_EQ(dialog.selectedPath(), "");
        EXPECT_FALSE(dialog.okEnabled());
        EXPECT_EQ(seen, QStringList{" 0"}) << "the owner hears of the empty opening selection";
        EXPECT_TRUE(dialog.model()->index("/").isValid()) << "the tree starts at /";
    }
}

TEST_F(FolderChooser, OkFollowsTheSelectionAndTheOwnersVeto)
{
    Recording chooser;
    FolderDialog dialog(chooser);
    QWidget* handleDuring = nullptr;
    chooser.OnSelChanged = [&](TBrowseForFolder* sender, const QString& path, bool& enableOk) {
        EXPECT_EQ(sender, &chooser);
        handleDuring = sender->DialogHandle();
        chooser.calls << QStringLiteral("event %1 %2").arg(path).arg(enableOk);
        if (path.endsWith("/gamma"))
            enableOk = false;
    };
    dialog.initialize();
    chooser.calls.clear();

    dialog.tree()->setCurrentIndex(dialog.model()->index(root + "/alpha"));
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(handleDuring, &dialog);
    EXPECT_EQ(chooser.DialogHandle(), nullptr) << "valid only while the event runs";
    EXPECT_EQ(chooser.calls, (QStringList{"event " + root + "/alpha 1", "hook " + root + "/alpha 1"}));

    dialog.tree()->setCurrentIndex(dialog.model()->index(root + "/gamma"));
    EXPECT_FALSE(dialog.okEnabled()) << "vetoed";

    dialog.tree()->setCurrentIndex(dialog.model()->index("/"));
    EXPECT_EQ(dialog.selectedPath(), "/");
    EXPECT_TRUE(dialog.okEnabled());

    dialog.tree()->selectionModel()->clearSelection();
    EXPECT_FALSE(dialog.okEnabled());
}

TEST_F(FolderChooser, UsersChoiceWinsOverAPreselectionStillLoading)
{
    TBrowseForFolder chooser;
    chooser.Path = root + "/alpha/beta";
    FolderDialog dialog(chooser);
    dialog.initialize();
    dialog.tree()->setCurrentIndex(dialog.model()->index(root + "/gamma"));
    spinEvents(300);
    EXPECT_EQ(dialog.selectedPath(), root + "/gamma");
}

TEST_F(FolderChooser, ExecuteReturnsTheFolderOrKeepsPathOnCancel)
{
    TBrowseForFolder chooser;
    chooser.Title = "Choose the wav folder";
    chooser.Path = root + "/alpha/";
    bool ok = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FolderDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ok = selects(*dialog, root + "/alpha");
        dialog->tree()->setCurrentIndex(dialog->model()->index(root + "/alpha/beta"));
        dialog->findChild<QPushButton*>("OkButton")->click();
    });
    EXPECT_TRUE(chooser.Execute());
    EXPECT_TRUE(ok);
    EXPECT_EQ(chooser.Path, root + "/alpha/beta");

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FolderDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->tree()->setCurrentIndex(dialog->model()->index(root + "/gamma"));
        dialog->findChild<QPushButton*>("CancelButton")->click();
    });
    EXPECT_FALSE(chooser.Execute());
    EXPECT_EQ(chooser.Path, root + "/alpha/beta");

    ScriptedPrompts script;
    script.folders = {root + "/gamma", std::nullopt};
    EXPECT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.Path, root + "/gamma");
    EXPECT_FALSE(chooser.Execute());
    EXPECT_EQ(chooser.Path, root + "/gamma");
    ASSERT_EQ(script.shown.size(), 2u);
    EXPECT_EQ(script.shown[0].caption, "Choose the wav folder");
}

TEST_F(FolderChooser, OwnerPlacesTheDialogBeforeItShows)
{
    Recording chooser;
    QRect offered;
    chooser.OnSetPosition = [&](TBrowseForFolder*, int& left, int& top, int width, int height) {
        offered = QRect(left, top, width, height);
        left += 40;
        top = 7;
    };
    FolderDialog dialog(chooser);
    dialog.initialize();
    EXPECT_EQ(offered.size(), dialog.frameGeometry().size());
    EXPECT_EQ(dialog.frameGeometry().topLeft(), QPoint(offered.x() + 40, 7));
    EXPECT_EQ(dialog.frameGeometry().size(), offered.size()) << "moved, not resized";
    EXPECT_EQ(chooser.calls.last(), QStringLiteral("place %1").arg(offered.x() + 40))
        << "the hook sees the event's result";

}

TEST_F(FolderChooser, TitleStatusAndStyle)
{
    const auto shown = [](FolderDialog& d, const char* name) { return d.findChild<QWidget*>(name)->isVisibleTo(&d); };
    TBrowseForFolder chooser;
    FolderDialog bare(chooser);
    EXPECT_FALSE(shown(bare, "TitleLabel"));
    EXPECT_FALSE(shown(bare, "StatusLabel"));
    EXPECT_EQ(bare.minimumSize(), bare.maximumSize()) << "old style: fixed size";
    EXPECT_EQ(bare.findChild<QWidget*>("PathEdit"), nullptr);

    chooser.Title = "Pick";
    chooser.StatusText = "Status";
    FolderDialog old(chooser);
    EXPECT_TRUE(shown(old, "TitleLabel"));
    EXPECT_TRUE(shown(old, "StatusLabel"));

    chooser.NewDialogStyle = true;
    chooser.EditBox = true;
    FolderDialog modern(chooser);
    EXPECT_FALSE(shown(modern, "StatusLabel"));
    EXPECT_NE(modern.minimumSize(), modern.maximumSize()) << "new style: resizable";
    EXPECT_TRUE(shown(modern, "PathEdit"));
}
