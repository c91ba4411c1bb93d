#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/Prompts.h"
#include "player/Unit14.h"
#include "player/Unit2.h"

namespace {

// Runs the dialog modally and lets `act` play the user once it is up.
int runModal(QDialog& dialog, const std::function<void(QDialog&)>& act)
{
    bool reached = false;
    QTimer::singleShot(0, [&] {
        reached = QApplication::activeModalWidget() == &dialog;
        act(dialog);
    });
    QTimer guard; // never hang the suite
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&] { dialog.done(-1); });
    guard.start(5000);
    const int result = dialog.exec();
    EXPECT_TRUE(reached);
    return result;
}

void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(w, &press);
}

void type(QWidget* w, const QString& text)
{
    for (QChar c : text)
        key(w, Qt::Key_unknown, QString(c));
}

// The widgets that Tab visits, in order, starting at `first`.
QList<QWidget*> tabOrder(QWidget* first)
{
    QList<QWidget*> order;
    QWidget* w = first;
    do {
        if (w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            order << w;
        w = w->nextInFocusChain();
    } while (w != first);
    return order;
}

const std::function<void(QDialog&)> closeBox = [](QDialog& d) { d.close(); };
const std::function<void(QDialog&)> escape = [](QDialog& d) { key(&d, Qt::Key_Escape); };

} // namespace

TEST(OverwriteDialog, ModalResultsOfEveryWayOut)
{
    TForm14 form;
    const auto click = [](QPushButton* b) { return [b](QDialog&) { b->click(); }; };
    EXPECT_EQ(runModal(form, click(form.Button1)), mrNo);
    EXPECT_EQ(runModal(form, click(form.Button2)), mrYes);
    EXPECT_EQ(runModal(form, click(form.Button4)), mrSkip);
    EXPECT_EQ(runModal(form, click(form.Button3)), mrCancel);
    EXPECT_EQ(runModal(form, closeBox), mrCancel);
    EXPECT_EQ(runModal(form, escape), mrCancel);

    form.Button4->setEnabled(false); // the session entry cannot be skipped
    EXPECT_EQ(runModal(form,
                       [&](QDialog&) {
                           form.Button4->click();
                           form.Button3->click();
                       }),
              mrCancel);
    EXPECT_EQ(tabOrder(form.Button1), (QList<QWidget*>{form.Button1, form.Button2, form.Button3}));
}

TEST(OverwriteDialog, Layout)
{
    TForm14 form;
    EXPECT_EQ(form.windowTitle(), "Lumisonorium SW");
    EXPECT_EQ(form.Label1->text(), "Overwrite:");
    EXPECT_EQ(form.Label2->text(), "With File:");
    EXPECT_EQ(form.font().pixelSize(), 11);
    QStringList captions;
    for (QWidget* w : tabOrder(form.Button1))
        captions << static_cast<QPushButton*>(w)->text();
    EXPECT_EQ(captions, (QStringList{"Rename", "Overwrite", "Skip", "Cancel"})) << "tab order";
    EXPECT_TRUE(form.Button1->x() < form.Button2->x() && form.Button2->x() < form.Button4->x()
                && form.Button4->x() < form.Button3->x())
        << "left to right in the same order";
}

TEST(SessionProperties, ModalResultsAndLayout)
{
    TForm2 form;
    EXPECT_EQ(runModal(form, [&](QDialog&) { form.Button1->click(); }), mrOk);
    EXPECT_EQ(runModal(form, [&](QDialog&) { form.Button2->click(); }), mrCancel);
    EXPECT_EQ(runModal(form, closeBox), mrCancel);
    EXPECT_EQ(runModal(form, escape), mrCancel);

    EXPECT_EQ(form.windowTitle(), "Session Properties");
    EXPECT_EQ(form.StaticText1->text(), "Session Name");
    EXPECT_EQ(form.StaticText2->text(), "Session Description");
    EXPECT_TRUE(form.StaticText1->font().bold());
    EXPECT_EQ(form.Edit1->font().pixelSize(), 13);
    EXPECT_EQ(form.Button1->text(), "OK");
    EXPECT_EQ(form.Button2->text(), "Cancel");
    EXPECT_EQ(tabOrder(form.Edit1),
              (QList<QWidget*>{form.Edit1, form.Memo1, form.Button1, form.Button2}));
    key(form.Memo1, Qt::Key_Tab, "\t");
    EXPECT_EQ(form.Memo1->toPlainText(), "") << "Tab leaves the memo instead of typing";
}

TEST(SessionProperties, NameLimitBindsTypingAndPastingOnly)
{
    TForm2 form;
    type(form.Edit1, QString(28, 'n'));
    type(form.Edit1, "xyz");
    EXPECT_EQ(form.sessionName(), std::string(28, 'n') + "xy");

    form.Edit1->clear();
    QGuiApplication::clipboard()->setText(QString(25, 'p') + "0123456789\r\nsecond line");
    form.Edit1->paste();
    EXPECT_EQ(form.sessionName(), std::string(25, 'p') + "01234") << "a paste is cut to fit";

    form.Edit1->setText("abc");
    form.Edit1->setCursorPosition(1);
    QGuiApplication::clipboard()->setText("one\ntwo");
    form.Edit1->paste();
    EXPECT_EQ(form.sessionName(), "aonebc") << "one line only";

    const std::string fromFile(40, 'f');
    form.setSessionName(fromFile);
    EXPECT_EQ(form.sessionName(), fromFile) << "text from code is kept whole";
    form.Edit1->setCursorPosition(40);
    type(form.Edit1, "x");
    EXPECT_EQ(form.sessionName(), fromFile) << "nothing more fits";
    key(form.Edit1, Qt::Key_Backspace);
    EXPECT_EQ(form.sessionName(), std::string(39, 'f')) << "deleting is always allowed";
    form.Edit1->setSelection(0, 3);
    type(form.Edit1, "Q");
    EXPECT_EQ(form.sessionName(), "Q" + std::string(36, 'f')) << "typing over a selection";
    form.Edit1->setSelection(1, 2);
    QGuiApplication::clipboard()->setText("0123456789");
    form.Edit1->paste();
    EXPECT_EQ(form.sessionName(), "Q01" + std::string(34, 'f')) << "an over-long name never grows";
}

TEST(SessionProperties, DescriptionLimitCountsLineBreaksAsCrLf)
{
    TForm2 form;
    form.setSessionDescription(std::string(253, 'd'));
    form.Memo1->moveCursor(QTextCursor::End);
    key(form.Memo1, Qt::Key_Return, "\r");
    EXPECT_EQ(form.sessionDescription(), std::string(253, 'd') + "\r\n") << "255 in CR LF form";
    type(form.Memo1, "e");
    EXPECT_EQ(form.sessionDescription().size(), 255u);

    form.setSessionDescription(std::string(254, 'd'));
    form.Memo1->moveCursor(QTextCursor::End);
    key(form.Memo1, Qt::Key_Return, "\r");
    EXPECT_EQ(form.sessionDescription(), std::string(254, 'd')) << "a break would make 256";
    type(form.Memo1, "e");
    EXPECT_EQ(form.sessionDescription(), std::string(254, 'd') + "e");

    form.setSessionDescription("");
    QGuiApplication::clipboard()->setText(QString(250, 'p') + "\r\nabcdef");
    form.Memo1->paste();
    EXPECT_EQ(form.sessionDescription(), std::string(250, 'p') + "\r\nabc");

    const std::string fromFile(300, 'f');
    form.setSessionDescription(fromFile);
    EXPECT_EQ(form.sessionDescription(), fromFile) << "text from code is kept whole";
    form.Memo1->moveCursor(QTextCursor::End);
    type(form.Memo1, "x");
    EXPECT_EQ(form.sessionDescription(), fromFile);
    form.Memo1->moveCursor(QTextCursor::Start);
    form.Memo1->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    type(form.Memo1, "y");
    EXPECT_EQ(form.sessionDescription(), "y" + std::string(299, 'f')) << "edited in place";
}

TEST(SessionProperties, TextsRoundTripAsWindows1252Bytes)
{
    TForm2 form;
    const std::string description = "Line 1\r\n\r\nZ\x80rich\xA0\x9F\xE9\r\nend";
    form.setSessionDescription(description);
    EXPECT_EQ(form.Memo1->toPlainText().count('\n'), 3);
    EXPECT_EQ(form.Memo1->document()->blockCount(), 4);
    EXPECT_EQ(form.sessionDescription(), description);

    const std::string name = "Caf\xE9 \x80\xA0\x8A";
    form.setSessionName(name);
    EXPECT_EQ(form.Edit1->text(), QString::fromUtf8("Café €\u00A0Š"));
    EXPECT_EQ(form.sessionName(), name);

    form.Edit1->clear();
    type(form.Edit1, QString::fromUtf8("a\u0100€"));
    EXPECT_EQ(form.sessionName(), "a\x80") << "characters the code page lacks are refused";
    QGuiApplication::clipboard()->setText(QString::fromUtf8("x\u4e2dy\U0001F600z"));
    form.Edit1->paste();
    EXPECT_EQ(form.sessionName(), "a\x80xyz");

    form.setSessionDescription("");
    type(form.Memo1, QString::fromUtf8("b\u0100\u00E9"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\u4e2d!"));
    form.Memo1->paste();
    EXPECT_EQ(form.sessionDescription(), "b\xE9!");
}
