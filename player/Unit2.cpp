#include "Unit2.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <algorithm>
#include <utility>

#include "dialogs/DialogKit.h"
#include "platform/Prompts.h"
#include "platform/Win1252Qt.h"

TForm2* Form2 = nullptr;

namespace {

// How much of `incoming` may replace part of a field's text: `length` is the
// text's length before, `kept` what stays of it. Characters Windows-1252 lacks
// are dropped, and the rest is cut so that the text grows no longer than the
// limit, or than it already was (a longer text set from code can still be
// edited in place). A single-line field takes the text up to the first line
// break; a multi-line one counts each break as CR LF.
QString admit(QString incoming, qsizetype length, qsizetype kept, qsizetype limit, bool multiLine)
{
    if (multiLine) {
        incoming.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        incoming.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        incoming.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        incoming.replace(QChar::LineSeparator, QLatin1Char('\n'));
    } else {
        for (qsizetype i = 0; i < incoming.size(); ++i) {
            const QChar c = incoming.at(i);
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator
                || c == QChar::LineSeparator) {
                incoming.truncate(i);
                break;
            }
        }
    }
    QString allowed;
    qsizetype room = std::max<qsizetype>(0, std::max(limit, length) - kept);
    for (QChar c : std::as_const(incoming)) {
        if (!fitsWin1252(QString(c)))
            continue;
        const qsizetype cost = multiLine && c == QLatin1Char('\n') ? 2 : 1;
        if (cost > room)
            break;
        room -= cost;
        allowed.append(c);
    }
    return allowed;
}

/// The description field: typing, pasting and dropping are held to the limit
/// and to Windows-1252; text set from code is not.
class DescriptionMemo final : public QPlainTextEdit {
public:
    explicit DescriptionMemo(QWidget* parent)
        : QPlainTextEdit(parent)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const bool command = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!isReadOnly() && !command) {
            // Shift+Return would make a line separator inside the paragraph,
            // which the stored text cannot hold: every Return is a line break.
            if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
                insertLimited(QStringLiteral("\n"));
                e->accept();
                return;
            }
            const QString typed = e->text();
            if (!typed.isEmpty() && typed.at(0).isPrint() && admitted(typed) != typed) {
                insertLimited(typed);
                e->accept();
                return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    void insertFromMimeData(const QMimeData* source) override
    {
        if (source && source->hasText())
            insertLimited(source->text());
    }

    void inputMethodEvent(QInputMethodEvent* e) override
    {
        const QString commit = e->commitString();
        if (!commit.isEmpty()) {
            const QString allowed = admitted(commit);
            if (allowed != commit)
                e->setCommitString(allowed, e->replacementStart(), e->replacementLength());
        }
        QPlainTextEdit::inputMethodEvent(e);
    }

private:
    // Lengths as stored: a line break is CR LF.
    qsizetype storedLength() const
    {
        qsizetype n = 0;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
            n += b.length() - 1 + (b.next().isValid() ? 2 : 0);
        return n;
    }

    qsizetype selectedLength() const
    {
        const QString selected = textCursor().selectedText();
        return selected.size() + selected.count(QChar::ParagraphSeparator);
    }

    QString admitted(const QString& text) const
    {
        const qsizetype length = storedLength();
        return admit(text, length, length - selectedLength(), TForm2::kDescriptionLimit, true);
    }

    void insertLimited(const QString& text)
    {
        const QString allowed = admitted(text);
        if (allowed.isEmpty())
            return; // refused: the selection stays as it is
        textCursor().insertText(allowed);
        ensureCursorVisible();
    }
};

} // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Session Properties"));
    setPixelFont(this, 13);
    setFixedSize(360, 300);

    StaticText1 = new QLabel(QStringLiteral("Session Name"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    setPixelFont(StaticText1, 13, true);
    StaticText1->setGeometry(12, 10, 336, 18);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(12, 30, 336, 24);

    StaticText2 = new QLabel(QStringLiteral("Session Description"), this);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    setPixelFont(StaticText2, 13, true);
    StaticText2->setGeometry(12, 64, 336, 18);

    Memo1 = new DescriptionMemo(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(12, 84, 336, 166);
    Memo1->setTabChangesFocus(true);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(172, 262, 84, 28);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(264, 262, 84, 28);

    setTabOrder(Edit1, Memo1);
    setTabOrder(Memo1, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    // textEdited comes before textChanged: m_nameBefore still holds the old
    // text while an edit is checked, and follows every change afterwards.
    connect(Edit1, &QLineEdit::textEdited, this, &TForm2::Edit1Edited);
    connect(Edit1, &QLineEdit::textChanged, this, [this] { m_nameBefore = Edit1->text(); });
}

void TForm2::setSessionName(std::string_view bytes)
{
    Edit1->setText(fromWin1252(bytes));
}

std::string TForm2::sessionName() const
{
    return toWin1252(Edit1->text());
}

void TForm2::setSessionDescription(std::string_view bytes)
{
    Memo1->setPlainText(fromWin1252(bytes).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

std::string TForm2::sessionDescription() const
{
    // Block by block: toPlainText() would turn no-break spaces into blanks.
    QString text;
    for (QTextBlock b = Memo1->document()->begin(); b.isValid(); b = b.next()) {
        if (b != Memo1->document()->begin())
            text += QLatin1String("\r\n");
        text += b.text();
    }
    return toWin1252(text);
}

void TForm2::reject()
{
    done(mrCancel);
}

void TForm2::Edit1Edited(const QString& edited)
{
    // Copies: setText below changes both the field and m_nameBefore.
    const QString text = edited;
    const QString before = m_nameBefore;
    // The edit replaced before[prefix, before.size() - suffix) by the middle of text.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(before.size(), text.size());
    while (prefix < shorter && before.at(prefix) == text.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && before.at(before.size() - 1 - suffix) == text.at(text.size() - 1 - suffix))
        ++suffix;
    const QString inserted = text.mid(prefix, text.size() - prefix - suffix);
    if (inserted.isEmpty())
        return; // a deletion: always allowed
    const QString allowed = admit(inserted, before.size(), prefix + suffix, kNameLimit, false);
    if (allowed == inserted)
        return;
    if (allowed.isEmpty()) {
        Edit1->setText(before);
        Edit1->setCursorPosition(static_cast<int>(prefix));
        return;
    }
    Edit1->setText(text.left(prefix) + allowed + text.right(suffix));
    Edit1->setCursorPosition(static_cast<int>(prefix + allowed.size()));
}
