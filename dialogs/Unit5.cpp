#include "Unit5.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "DialogKit.h"

TForm5* Form5 = nullptr;

TForm5::TForm5()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Writing to wav file..."));
    setPixelFont(this, 11);
    setFixedSize(377, 103);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(16, 20, 345, 18);

    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(151, 60, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

void TForm5::FormShow()
{
    Cancelled = false;
    CloseAllowed = false;
}

void TForm5::Button1Click()
{
    CloseAllowed = true;
    close();
}

void TForm5::FormCloseQuery(bool& CanClose)
{
    if (!CloseAllowed) {
        CanClose = false;
        return;
    }
    CanClose = true;
    Cancelled = true;
}

void TForm5::reject()
{
    close();
}

void TForm5::showEvent(QShowEvent* e)
{
    // A spontaneous show (restored from the task bar) is no new operation.
    if (!e->spontaneous()) {
        FormShow();
        centreOnScreen(this);
    }
    QDialog::showEvent(e);
}

void TForm5::closeEvent(QCloseEvent* e)
{
    // QDialog's own close handling would reject() and hide us unasked.
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        e->accept();
    else
        e->ignore();
}
