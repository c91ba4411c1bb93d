#include "BrwsFldr.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/Prompts.h"

namespace {

// An absolute path in the form the chooser reports: no "." or "..", no
// trailing "/" except for "/" itself.
QString normalFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

TBrowseForFolder::TBrowseForFolder(QObject* parent)
    : QObject(parent)
{
}

bool TBrowseForFolder::Execute()
{
    FileDialogOptions options;
    options.title = Title;
    options.folder = Path;
    m_dialogHandle = nullptr;
    const std::optional<QString> chosen = prompts().chooseFolder(options, [this]() -> std::optional<QString> {
        FolderDialog dialog(*this, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedPath();
    });
    m_dialogHandle = nullptr;
    // An owner may force OK on with nothing selected; that chooses no folder.
    if (!chosen || chosen->isEmpty())
        return false;
    Path = *chosen;
    return true;
}

void TBrowseForFolder::SelChanged(const QString&, bool&)
{
}

void TBrowseForFolder::SetPosition(int&, int&, int, int)
{
}

void TBrowseForFolder::selectionChanged(QWidget* dialog, const QString& path, bool& enableOk)
{
    m_dialogHandle = dialog;
    if (OnSelChanged)
        OnSelChanged(this, path, enableOk);
    SelChanged(path, enableOk);
    m_dialogHandle = nullptr;
}

void TBrowseForFolder::placeDialog(int& left, int& top, int width, int height)
{
    if (OnSetPosition)
        OnSetPosition(this, left, top, width, height);
    SetPosition(left, top, width, height);
}

FolderDialog::FolderDialog(TBrowseForFolder& owner, QWidget* parent)
    : QDialog(parent)
    , m_owner(owner)
{
    setWindowTitle(QStringLiteral("Browse for Folder"));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("TitleLabel"));
    m_title->setWordWrap(true);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setWordWrap(true);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QStringLiteral("/"));

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("FolderTree"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_status);
    layout->addWidget(m_tree, 1);
    if (owner.EditBox) {
        m_edit = new QLineEdit(this);
        m_edit->setObjectName(QStringLiteral("PathEdit"));
        layout->addWidget(m_edit);
        connect(m_edit, &QLineEdit::textEdited, this, &FolderDialog::onPathEdited);
    }
    layout->addLayout(buttons);

    m_title->setText(owner.Title);
    m_title->setVisible(!owner.Title.isEmpty());
    // The old-style dialog has the status line; the resizable one does not.
    const bool showStatus = !owner.StatusText.isEmpty() && !owner.NewDialogStyle;
    m_status->setText(owner.StatusText);
    m_status->setVisible(showStatus);

    if (owner.NewDialogStyle)
        resize(360, 420);
    else
        setFixedSize(320, 400);

    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FolderDialog::onSelectionChanged);
    // Rows arrive and get sorted in the background, moving the preselected
    // folder after it was scrolled to: it is kept in view until the user
    // scrolls or chooses.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &FolderDialog::keepSelectionInView);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FolderDialog::keepSelectionInView);
    for (QScrollBar* bar : {m_tree->verticalScrollBar(), m_tree->horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_followSelection = false; });
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderDialog::onDirectoryLoaded);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FolderDialog::initialize()
{
    if (m_initialized)
        return;
    m_initialized = true;

    m_tree->expand(m_model->index(QStringLiteral("/")));
    if (!m_owner.Path.isEmpty())
        selectPath(m_owner.Path);
    // The owner hears about the opening selection, also when it is none.
    if (!m_tree->selectionModel()->hasSelection())
        onSelectionChanged();

    adjustPosition(parentWidget());
    const QRect frame = frameGeometry();
    int left = frame.x();
    int top = frame.y();
    m_owner.placeDialog(left, top, frame.width(), frame.height());
    if (left != frame.x() || top != frame.y())
        move(left, top);
}

int FolderDialog::exec()
{
    initialize();
    return QDialog::exec();
}

void FolderDialog::selectPath(const QString& path)
{
    m_pending.clear();
    const QString folder = path.isEmpty() ? QString() : normalFolder(path);
    if (!isFolder(folder)) {
        m_tree->selectionModel()->clearSelection();
        return;
    }
    m_pending = folder;
    applyPending();
}

void FolderDialog::applyPending()
{
    const QModelIndex index = m_model->index(m_pending);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        m_tree->expand(up);
    m_selecting = true;
    m_tree->setCurrentIndex(index); // the view selects the whole row, as a click does
    m_selecting = false;
    m_followSelection = true;
    keepSelectionInView();
    if (m_pending == QLatin1String("/"))
        m_pending.clear();
}

void FolderDialog::keepSelectionInView()
{
    if (m_followSelection && m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void FolderDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Only now has the tree its real height to centre the folder in.
    keepSelectionInView();
}

void FolderDialog::onDirectoryLoaded(const QString& dir)
{
    if (m_pending.isEmpty())
        return;
    const QString loaded = QDir::cleanPath(dir);
    const QString parent = QFileInfo(m_pending).path();
    const bool ancestor = loaded == QLatin1String("/") || m_pending.startsWith(loaded + QLatin1Char('/'));
    if (!ancestor)
        return;
    // Rows arrive and get sorted as folders load: select again so the folder
    // stays selected and in view; once its own folder is in, the work is done.
    applyPending();
    if (loaded == parent)
        m_pending.clear();
}

void FolderDialog::onPathEdited(const QString& text)
{
    if (isFolder(text)) {
        selectPath(text);
    } else {
        m_pending.clear();
        m_tree->selectionModel()->clearSelection();
    }
}

void FolderDialog::onSelectionChanged()
{
    if (!m_selecting) {
        m_pending.clear(); // the user's choice wins over a preselection still loading
        m_followSelection = false;
    }
    const QString path = selectedPath();
    bool enableOk = isFolder(path);
    m_owner.selectionChanged(this, path, enableOk);
    m_ok->setEnabled(enableOk);
    if (m_edit && !m_edit->hasFocus())
        m_edit->setText(path);
}

QString FolderDialog::selectedPath() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    return normalFolder(m_model->filePath(selected.constFirst()));
}

bool FolderDialog::okEnabled() const
{
    return m_ok->isEnabled();
}
