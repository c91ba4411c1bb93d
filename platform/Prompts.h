#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

/// Modal results keep the framework's numbers; the close box counts as Cancel.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrSkip = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class MsgKind { Error, Warning, Information, Confirmation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct FileDialogOptions {
    QString title;           // empty: the dialog's own
    QString folder;          // folder the dialog starts in
    QString fileName;        // proposed file name (save dialogs)
    QStringList filters;     // "Wave file (*.wav *.WAV)", first one selected
    /// Blank-separated patterns of filters[i] where its visible text does not
    /// give them as Qt reads them ("(*.a, *.b)" would make "*.a," a pattern);
    /// missing or empty entries: the text's own.
    QStringList filterPatterns;
    QString defaultSuffix;   // appended when the typed name has none
    bool mustExist = true;   // open dialogs: the chosen file must exist
    bool confirmOverwrite = true; // save dialogs: ask before replacing a file
};

/// The question about an incoming file whose destination exists.
struct OverwriteQuestion {
    QString existing;        // full path of the file there
    QString incoming;        // the incoming file's name
    bool skipOffered = true; // false: Skip is shown disabled
};

/// Every message box and file dialog of both programs goes through here, so
/// that tests can script the user's answers. GUI thread only.
class Prompts {
public:
    virtual ~Prompts() = default;

    /// Shows a modal message box and returns the ModalResult of the button
    /// chosen. An empty caption takes the kind's own ("Error", "Warning",
    /// "Information", "Confirm"). "\r\n" in the text is a line break.
    virtual int message(MsgKind kind, const QString& caption, const QString& text,
                        MsgButtons buttons = MsgButtons::Ok) = 0;

    /// An existing file to open, or nothing when the user cancels.
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;

    /// A file name to save to, or nothing when the user cancels.
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;

    /// A folder, or nothing when the user cancels. The folder chooser lives
    /// above this layer, so the caller hands in `runDialog`, which shows it
    /// modally; `options` says what it shows (title, folder preselected).
    virtual std::optional<QString> chooseFolder(const FileDialogOptions& options,
                                                const std::function<std::optional<QString>()>& runDialog) = 0;

    /// What to do with an incoming file whose destination exists: mrNo
    /// (Rename), mrYes (Overwrite), mrSkip or mrCancel (also the close box).
    /// The dialog lives above this layer, so the caller hands in `runDialog`,
    /// which fills it from `question` and shows it modally.
    virtual int overwriteChoice(const OverwriteQuestion& question, const std::function<int()>& runDialog) = 0;

    /// Short forms for the common boxes.
    void error(const QString& text) { message(MsgKind::Error, {}, text); }
    void warning(const QString& text) { message(MsgKind::Warning, {}, text); }
    void information(const QString& text) { message(MsgKind::Information, {}, text); }
    /// The file dialogs' question before a file is replaced, for a save to a
    /// file the user did not pick in one: true for Yes.
    bool confirmReplace(const QString& fileName)
    {
        return message(MsgKind::Confirmation, {},
                       QStringLiteral("%1 already exists.\r\nDo you want to replace it?").arg(fileName),
                       MsgButtons::YesNo) == mrYes;
    }
};

/// The prompts in use: the Qt dialogs unless a test installed its own.
Prompts& prompts();

/// Installs `p` for the following calls (not owned); nullptr restores the Qt dialogs.
void setPrompts(Prompts* p);

/// The caption a message box of this kind shows when none is given.
QString defaultCaption(MsgKind kind);

/// Prompts that answer from a script and record what was shown: for tests.
class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        enum class What { Message, Open, Save, Folder, Overwrite } what = What::Message;
        MsgKind kind = MsgKind::Information;
        QString caption;
        QString text;
        MsgButtons buttons = MsgButtons::Ok;
        FileDialogOptions options;
        OverwriteQuestion overwrite;
    };

    /// Answers for message(), in order. Without one, a box answers with its
    /// first button (OK or Yes).
    std::deque<int> answers;
    /// Answers for the file dialogs, in order; nothing = Cancel. Without one,
    /// a dialog is cancelled.
    std::deque<std::optional<QString>> files;
    /// Answers for the folder chooser, in order; nothing = Cancel. Without
    /// one, the chooser is cancelled. The caller's dialog is never shown.
    std::deque<std::optional<QString>> folders;
    /// Answers for overwriteChoice, in order. Without one, it answers
    /// Cancel. The caller's dialog is never shown.
    std::deque<int> overwriteAnswers;
    /// Everything shown, in order.
    std::vector<Shown> shown;

    int message(MsgKind kind, const QString& caption, const QString& text, MsgButtons buttons) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<QString> chooseFolder(const FileDialogOptions& options,
                                        const std::function<std::optional<QString>()>& runDialog) override;
    int overwriteChoice(const OverwriteQuestion& question, const std::function<int()>& runDialog) override;

    /// The texts of the message boxes shown so far.
    QStringList messages() const;

    /// Installs itself for its lifetime.
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

private:
    std::optional<QString> nextFile(Shown::What what, const FileDialogOptions& options,
                                    std::deque<std::optional<QString>>& script);
};
