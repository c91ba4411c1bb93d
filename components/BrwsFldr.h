#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <functional>

class QFileSystemModel;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class TBrowseForFolder;

/// Called at every change of selection; clearing EnableOk disables OK.
using TOnSelChanged = std::function<void(TBrowseForFolder* Sender, const QString& Path, bool& EnableOk)>;
/// Called once before the dialog shows, with its frame geometry; changing
/// Left or Top moves it.
using TOnSetPosition = std::function<void(TBrowseForFolder* Sender, int& Left, int& Top, int Width, int Height)>;

/// Lets the user choose a folder from a tree of the whole file system. The
/// options dialogs place one behind their "..." buttons. GUI thread only.
class TBrowseForFolder : public QObject {
    Q_OBJECT
public:
    explicit TBrowseForFolder(QObject* parent = nullptr);

    /// Shows the chooser modally (through the prompts layer, so tests can
    /// script it). True when the user chose a folder: Path then holds it,
    /// absolute and without a trailing "/" (except "/" itself). On Cancel
    /// Path keeps its value.
    bool Execute();

    /// The chooser's window while OnSelChanged runs, else null.
    QWidget* DialogHandle() const { return m_dialogHandle; }

    QString Path;        // in: folder preselected (empty: none); out: the chosen one
    QString StatusText;  // status line under the title (old dialog style only)
    QString Title;       // text above the tree (empty: none)
    bool NewDialogStyle = false; // resizable dialog
    bool EditBox = false;        // a field for typing a path
    TOnSelChanged OnSelChanged;
    TOnSetPosition OnSetPosition;

protected:
    /// Hooks for derived classes, called after the matching event.
    virtual void SelChanged(const QString& Path, bool& EnableOk);
    virtual void SetPosition(int& Left, int& Top, int Width, int Height);

private:
    friend class FolderDialog;
    void selectionChanged(QWidget* dialog, const QString& path, bool& enableOk);
    void placeDialog(int& left, int& top, int width, int height);

    QWidget* m_dialogHandle = nullptr;
};

/// The chooser's window: a folder tree from "/" over a file-system model that
/// loads in the background; the preselected folder opens expanded to,
/// selected and in view. Usable without exec(): initialize(), then select
/// and read the OK state.
class FolderDialog final : public QDialog {
    Q_OBJECT
public:
    FolderDialog(TBrowseForFolder& owner, QWidget* parent = nullptr);

    /// What the dialog does as it opens: preselects the owner's Path and lets
    /// the owner place it. exec() calls it; tests call it directly.
    void initialize();

    /// Selects an existing folder (a trailing "/" is fine) once the model has
    /// loaded it; anything else clears the selection.
    void selectPath(const QString& path);

    /// The selected folder, absolute without a trailing "/" ("/" stays "/");
    /// empty when nothing is selected.
    QString selectedPath() const;
    bool okEnabled() const;

    QTreeView* tree() const { return m_tree; }
    QFileSystemModel* model() const { return m_model; }

    int exec() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void keepSelectionInView();
    void onSelectionChanged();
    void onDirectoryLoaded(const QString& dir);
    void onPathEdited(const QString& text);
    void applyPending();

    TBrowseForFolder& m_owner;
    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_edit = nullptr;   // only with EditBox
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_pending;       // folder still to be selected when its parent has loaded
    bool m_selecting = false; // selection made from code, not by the user
    bool m_followSelection = false; // the preselection stays in view while rows load
    bool m_initialized = false;
};
