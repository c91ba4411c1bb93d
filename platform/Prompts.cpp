#include "Prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class QtPrompts final : public Prompts {
public:
    int message(MsgKind kind, const QString& caption, const QString& text, MsgButtons buttons) override
    {
        QMessageBox box(iconOf(kind), caption.isEmpty() ? defaultCaption(kind) : caption,
                        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")),
                        QMessageBox::NoButton, QApplication::activeWindow());
        switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        box.exec();
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok: return mrOk;
        case QMessageBox::Yes: return mrYes;
        case QMessageBox::No: return mrNo;
        default: return mrCancel;
        }
    }

    std::optional<QString> openFile(const FileDialogOptions& o) override
    {
        QFileDialog dialog(QApplication::activeWindow(), o.title, o.folder);
        prepare(dialog, o);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(o.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        return run(dialog);
    }

    std::optional<QString> saveFile(const FileDialogOptions& o) override
    {
        QFileDialog dialog(QApplication::activeWindow(), o.title, o.folder);
        prepare(dialog, o);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !o.confirmOverwrite);
        if (!o.fileName.isEmpty())
            dialog.selectFile(o.fileName);
        return run(dialog);
    }

    std::optional<QString> chooseFolder(const FileDialogOptions&,
                                        const std::function<std::optional<QString>()>& runDialog) override
    {
        return runDialog ? runDialog() : std::nullopt;
    }

    int overwriteChoice(const OverwriteQuestion&, const std::function<int()>& runDialog) override
    {
        return runDialog ? runDialog() : mrCancel;
    }

private:
    static QMessageBox::Icon iconOf(MsgKind kind)
    {
        switch (kind) {
        case MsgKind::Error: return QMessageBox::Critical;
        case MsgKind::Warning: return QMessageBox::Warning;
        case MsgKind::Information: return QMessageBox::Information;
        case MsgKind::Confirmation: return QMessageBox::Question;
        }
        return QMessageBox::NoIcon;
    }

    static void prepare(QFileDialog& dialog, const FileDialogOptions& o)
    {
        // Qt's own dialog behaves the same on every desktop and under tests.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        if (!o.filters.isEmpty()) {
            // Qt takes the patterns from the last "(...)" of a filter: patterns
            // given apart are appended so, and the box shows the text alone.
            QStringList filters = o.filters;
            for (qsizetype i = 0; i < filters.size() && i < o.filterPatterns.size(); ++i)
                if (!o.filterPatterns[i].isEmpty())
                    filters[i] += QStringLiteral(" (%1)").arg(o.filterPatterns[i]);
            dialog.setNameFilters(filters);
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            if (types && filters != o.filters) {
                for (int i = 0; i < types->count() && i < o.filters.size(); ++i)
                    types->setItemText(i, o.filters[i]);
            }
        }
        if (!o.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(o.defaultSuffix);
    }

    static std::optional<QString> run(QFileDialog& dialog)
    {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

Prompts* g_current = nullptr;

} // namespace

Prompts& prompts()
{
    static QtPrompts qt;
    return g_current ? *g_current : qt;
}

void setPrompts(Prompts* p)
{
    g_current = p;
}

QString defaultCaption(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Error: return QStringLiteral("Error");
    case MsgKind::Warning: return QStringLiteral("Warning");
    case MsgKind::Information: return QStringLiteral("Information");
    case MsgKind::Confirmation: return QStringLiteral("Confirm");
    }
    return {};
}

int ScriptedPrompts::message(MsgKind kind, const QString& caption, const QString& text, MsgButtons buttons)
{
    shown.push_back({Shown::What::Message, kind, caption.isEmpty() ? defaultCaption(kind) : caption, text,
                     buttons, {}, {}});
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? mrOk : mrYes;
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialogOptions& options)
{
    return nextFile(Shown::What::Open, options, files);
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogOptions& options)
{
    return nextFile(Shown::What::Save, options, files);
}

std::optional<QString> ScriptedPrompts::chooseFolder(const FileDialogOptions& options,
                                                     const std::function<std::optional<QString>()>&)
{
    return nextFile(Shown::What::Folder, options, folders);
}

int ScriptedPrompts::overwriteChoice(const OverwriteQuestion& question, const std::function<int()>&)
{
    Shown s;
    s.what = Shown::What::Overwrite;
    s.overwrite = question;
    shown.push_back(s);
    if (overwriteAnswers.empty())
        return mrCancel;
    const int answer = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::nextFile(Shown::What what, const FileDialogOptions& options,
                                                 std::deque<std::optional<QString>>& script)
{
    Shown s;
    s.what = what;
    s.caption = options.title;
    s.options = options;
    shown.push_back(s);
    if (script.empty())
        return std::nullopt;
    const bool chosen = script.front().has_value();
    const QString name = chosen ? *script.front() : QString();
    script.pop_front();
    return chosen ? std::optional<QString>(name) : std::nullopt;
}

QStringList ScriptedPrompts::messages() const
{
    QStringList texts;
    for (const Shown& s : shown) {
        if (s.what == Shown::What::Message)
            texts << s.text;
    }
    return texts;
}
