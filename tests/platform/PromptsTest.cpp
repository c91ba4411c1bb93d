#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

#include "platform/Prompts.h"

TEST(ScriptedPrompts, AnswersInOrderAndRecordsWhatWasShown)
{
    {
        ScriptedPrompts script;
        EXPECT_EQ(&prompts(), &script);
        script.answers = {mrNo, mrCancel};
        script.files = {QStringLiteral("/tmp/a.wav"), std::nullopt};

        EXPECT_EQ(prompts().message(MsgKind::Confirmation, {}, "Save it?", MsgButtons::YesNoCancel), mrNo);
        EXPECT_EQ(prompts().message(MsgKind::Confirmation, "Q", "Again?", MsgButtons::YesNoCancel), mrCancel);
        EXPECT_EQ(prompts().message(MsgKind::Confirmation, {}, "Unscripted", MsgButtons::YesNo), mrYes);
        prompts().error("Broken");

        FileDialogOptions o;
        o.title = "Pick";
        EXPECT_EQ(prompts().openFile(o), QStringLiteral("/tmp/a.wav"));
        EXPECT_EQ(prompts().saveFile(o), std::nullopt);
        EXPECT_EQ(prompts().openFile(o), std::nullopt) << "an unscripted dialog is cancelled";

        EXPECT_EQ(script.messages(), (QStringList{"Save it?", "Again?", "Unscripted", "Broken"}));
        ASSERT_EQ(script.shown.size(), 7u);
        EXPECT_EQ(script.shown[0].caption, "Confirm");
        EXPECT_EQ(script.shown[1].caption, "Q");
        EXPECT_EQ(script.shown[3].kind, MsgKind::Error);
        EXPECT_EQ(script.shown[3].caption, "Error");
        EXPECT_EQ(script.shown[5].what, ScriptedPrompts::Shown::What::Save);
    }
    EXPECT_EQ(dynamic_cast<ScriptedPrompts*>(&prompts()), nullptr) << "the script uninstalls itself";
}

TEST(ScriptedPrompts, FolderChooserAnswersFromItsOwnScript)
{
    ScriptedPrompts script;
    script.folders = {QStringLiteral("/srv/waves"), std::nullopt};
    script.files = {QStringLiteral("/tmp/not-a-folder.wav")};
    int dialogsRun = 0;
    const auto dialog = [&]() -> std::optional<QString> {
        ++dialogsRun;
        return QStringLiteral("/never");
    };
    FileDialogOptions o;
    o.title = "Choose";
    o.folder = "/srv/";
    EXPECT_EQ(prompts().chooseFolder(o, dialog), QStringLiteral("/srv/waves"));
    EXPECT_EQ(prompts().chooseFolder(o, dialog), std::nullopt);
    EXPECT_EQ(prompts().chooseFolder(o, dialog), std::nullopt) << "an unscripted chooser is cancelled";
    EXPECT_EQ(dialogsRun, 0) << "tests need no folder tree";
    EXPECT_EQ(script.files.size(), 1u);
    ASSERT_EQ(script.shown.size(), 3u);
    EXPECT_EQ(script.shown[0].what, ScriptedPrompts::Shown::What::Folder);
    EXPECT_EQ(script.shown[0].caption, "Choose");
    EXPECT_EQ(script.shown[0].options.folder, "/srv/");
}

TEST(QtPrompts, PatternsGivenApartFilterTheListWhileTheTextShowsAsGiven)
{
    FileDialogOptions o;
    o.folder = QDir::tempPath();
    o.filters = {"Sessions (*.lsf, *.lrf)"};
    o.filterPatterns = {"*.lsf *.lrf"};
    QString shown;
    QStringList patterns;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                if (auto* types = dialog->findChild<QComboBox*>("fileTypeCombo"))
                    shown = types->currentText();
                if (auto* files = dialog->findChild<QFileSystemModel*>())
                    patterns = files->nameFilters();
                dialog->reject();
            }
        }
    });
    EXPECT_EQ(prompts().openFile(o), std::nullopt);
    EXPECT_EQ(shown, "Sessions (*.lsf, *.lrf)");
    EXPECT_EQ(patterns, (QStringList{"*.lsf", "*.lrf"})) << "not \"*.lsf,\"";
}
