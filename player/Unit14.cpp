#include "Unit14.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/DialogKit.h"
#include "dialogs/Version.h"
#include "platform/Prompts.h"

TForm14* Form14 = nullptr;

namespace {

QLabel* whiteBox(QWidget* parent, const char* name)
{
    auto* box = new QLabel(parent);
    box->setObjectName(QLatin1String(name));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(palette);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return box;
}

} // namespace

TForm14::TForm14(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QLatin1String(kProductName));
    setPixelFont(this, 11);
    setFixedSize(400, 156);

    Label1 = new QLabel(QStringLiteral("Overwrite:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 8, 376, 16);
    StaticText1 = whiteBox(this, "StaticText1");
    StaticText1->setWordWrap(true);
    StaticText1->setGeometry(12, 26, 376, 34);
    Label2 = new QLabel(QStringLiteral("With File:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 68, 376, 16);
    StaticText2 = whiteBox(this, "StaticText2");
    StaticText2->setGeometry(12, 86, 376, 20);

    const auto button = [this](const char* name, const char* caption, int left, int result) {
        auto* b = new QPushButton(QLatin1String(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(left, 118, 82, 26);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    Button1 = button("Button1", "Rename", 12, mrNo);
    Button2 = button("Button2", "Overwrite", 110, mrYes);
    Button4 = button("Button4", "Skip", 208, mrSkip);
    Button3 = button("Button3", "Cancel", 306, mrCancel);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button4);
    setTabOrder(Button4, Button3);
}

int TForm14::ask(const OverwriteQuestion& question)
{
    StaticText1->setText(question.existing);
    StaticText2->setText(question.incoming);
    Button4->setEnabled(question.skipOffered);
    const int answer = exec();
    Button4->setEnabled(true);
    return answer;
}

void TForm14::reject()
{
    done(mrCancel);
}

void TForm14::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        centreOnScreen(this);
    QDialog::showEvent(e);
}
