#include "widgets/SHBFFEX.h"

#include "widgets/Cp932Text.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>

#include <deque>
#include <optional>

using namespace Qt::StringLiterals;

static_assert(int(rfManual) == int(sfManual) && int(rfTemplates) == int(sfTemplates),
              "root and selection folders share one table");

namespace {

struct QueuedChoice {
    bool Chosen;
    std::string Folder;
};

std::deque<QueuedChoice>& ChoiceQueue() {
    static std::deque<QueuedChoice> queue;
    return queue;
}

const QString FileSystemRoot = u"/"_s;

QString HomeFolder() {
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? home : FileSystemRoot;
}

QString ExistingOrHome(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : HomeFolder();
}

QString StandardFolder(QStandardPaths::StandardLocation location) {
    return ExistingOrHome(QStandardPaths::writableLocation(location));
}

// The Linux folder of a special folder; `kind` is a TSelectFolder or the TRootFolder of the
// same number.
QString SpecialFolderPath(int kind) {
    switch (static_cast<TSelectFolder>(kind)) {
    case sfDesktop:
    case sfManual:
    case sfDrives:
        return FileSystemRoot;
    case sfDesktopDir:
        return StandardFolder(QStandardPaths::DesktopLocation);
    case sfPrograms:
    case sfStartMenu:
        return StandardFolder(QStandardPaths::ApplicationsLocation);
    case sfStartup:
        return ExistingOrHome(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
                              u"/autostart"_s);
    case sfTemplates:
        return ExistingOrHome(QDir::homePath() + u"/Templates"_s);
    case sfFavorites:
    case sfRecent:
    case sfSendTo:
        break;
    }
    return HomeFolder();
}

// The named folder when `manual` and the name is the absolute path of an existing folder, else
// the special folder of `kind`.
QString ResolveFolder(bool manual, const std::string& name, int kind) {
    if (manual && !name.empty()) {
        const QFileInfo info(FromCp932(name));
        if (info.isAbsolute() && info.isDir()) return QDir::cleanPath(info.absoluteFilePath());
    }
    return SpecialFolderPath(kind);
}

bool IsSameOrBelow(const QString& path, const QString& folder) {
    if (folder == FileSystemRoot) return path.startsWith(FileSystemRoot);
    return path == folder || path.startsWith(folder + u'/');
}

QString DisplayNameOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

// Keeps the folders on the way to the root, the root and everything below it, so that the tree
// shows the root as its one top item.
class RootFolderFilter : public QSortFilterProxyModel {
public:
    RootFolderFilter(const QString& root, QObject* parent)
        : QSortFilterProxyModel(parent), root_(root) {}

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QString path = files->filePath(files->index(row, 0, parent));
        return IsSameOrBelow(path, root_) || IsSameOrBelow(root_, path);
    }

private:
    QString root_;
};

// Brings a window back to the foreground when the dialog over it closes, also on an exception.
class ForegroundOnReturn {
public:
    explicit ForegroundOnReturn(QWidget* window) : window_(window) {}
    ~ForegroundOnReturn() {
        if (!window_) return;
        window_->raise();
        window_->activateWindow();
    }
    ForegroundOnReturn(const ForegroundOnReturn&) = delete;
    ForegroundOnReturn& operator=(const ForegroundOnReturn&) = delete;

private:
    QPointer<QWidget> window_;
};

} // namespace

QPoint CenterScreenPosition(const QRect& workArea, const QSize& dialogSize) {
    return {workArea.left() + (workArea.width() - dialogSize.width()) / 2,
            workArea.top() + (workArea.height() - dialogSize.height()) / 3};
}

TSHBrowseForFolderEx::TSHBrowseForFolderEx(QObject* owner) : QObject(owner) {}

QString TSHBrowseForFolderEx::InitialSelectionPath() const {
    return ResolveFolder(SelectFolder == sfManual, SelectFolderName, SelectFolder);
}

QString TSHBrowseForFolderEx::RootPath() const {
    return ResolveFolder(RootFolder == rfManual, RootFolderName, RootFolder);
}

bool TSHBrowseForFolderEx::Execute(QWidget* owner) {
    folder_.clear();
    displayName_.clear();
    if (!ChoiceQueue().empty()) {
        const QueuedChoice choice = ChoiceQueue().front();
        ChoiceQueue().pop_front();
        if (choice.Chosen) TakeChoice(FromCp932(choice.Folder));
        return choice.Chosen;
    }
    QWidget* parent = owner;
    if (!parent)
        if (auto* ownerWidget = qobject_cast<QWidget*>(this->parent()))
            parent = ownerWidget->window();
    const ForegroundOnReturn foreground(parent);
    TBrowseFolderDialog dialog(*this, RootPath(), InitialSelectionPath(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    TakeChoice(dialog.SelectedPath());
    return true;
}

void TSHBrowseForFolderEx::TakeChoice(const QString& path) {
    folder_ = TryToCp932(path).value_or(std::string());
    displayName_ = ToCp932(DisplayNameOf(path));
}

void TSHBrowseForFolderEx::DoSelectionChanged(QWidget* Wnd, const std::string& Path,
                                              std::string& ShowText,
                                              TOKButtonState& OKButtonState) {
    if (OnSelectionChanged) OnSelectionChanged(this, Wnd, Path, ShowText, OKButtonState);
}

void TSHBrowseForFolderEx::QueueAnswer(const std::string& folder) {
    ChoiceQueue().push_back({true, folder});
}

void TSHBrowseForFolderEx::QueueCancel() {
    ChoiceQueue().push_back({false, {}});
}

int TSHBrowseForFolderEx::QueuedAnswerCount() {
    return static_cast<int>(ChoiceQueue().size());
}

void TSHBrowseForFolderEx::ClearQueuedAnswers() {
    ChoiceQueue().clear();
}

TBrowseFolderDialog::TBrowseFolderDialog(TSHBrowseForFolderEx& browser, const QString& rootPath,
                                         const QString& initialPath, QWidget* parent)
    : QDialog(parent), browser_(browser),
      showPath_(browser.Options.count(sboStatusTextAndShowPath) > 0),
      model_(new QFileSystemModel(this)), treeFilter_(new RootFolderFilter(rootPath, this)),
      tree_(new QTreeView(this)), status_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(u"フォルダの参照"_s);
    resize(400, 440);

    model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    model_->setRootPath(rootPath);
    treeFilter_->setSourceModel(model_);
    tree_->setModel(treeFilter_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < treeFilter_->columnCount(); ++column)
        tree_->hideColumn(column);
    const QString aboveRoot = rootPath == FileSystemRoot ? QString() : QFileInfo(rootPath).path();
    tree_->setRootIndex(treeFilter_->mapFromSource(model_->index(aboveRoot)));

    auto* caption = new QLabel(FromCp932(browser.Caption), this);
    caption->setWordWrap(true);
    caption->setTextFormat(Qt::PlainText);
    status_->setTextFormat(Qt::PlainText);
    // A long path must not widen the dialog.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->setVisible(showPath_ || browser.Options.count(sboStatusText) > 0);
    buttons_->button(QDialogButtonBox::Ok)->setText(u"OK"_s);
    buttons_->button(QDialogButtonBox::Cancel)->setText(u"キャンセル"_s);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(status_);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    // Folders fill in in the background and push the selection down, and the model sorts what
    // it loaded a moment later: the first selection is kept in view while that goes on, until
    // the user moves the view, the selection or a folder's branch.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (IsSameOrBelow(SelectedPath(), folder)) KeepSelectionInView();
    });
    connect(treeFilter_, &QAbstractItemModel::layoutChanged, this,
            &TBrowseFolderDialog::KeepSelectionInView);
    connect(treeFilter_, &QAbstractItemModel::rowsInserted, this,
            &TBrowseFolderDialog::KeepSelectionInView);
    for (const QScrollBar* bar : {tree_->verticalScrollBar(), tree_->horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, &TBrowseFolderDialog::StopFollowing);
    connect(tree_, &QTreeView::expanded, this, &TBrowseFolderDialog::StopFollowing);
    connect(tree_, &QTreeView::collapsed, this, &TBrowseFolderDialog::StopFollowing);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TBrowseFolderDialog::StopFollowing);
    if (!SelectPath(initialPath)) SelectPath(rootPath);
}

void TBrowseFolderDialog::KeepSelectionInView() {
    if (!followSelection_) return;
    const QScopedValueRollback own(movingView_, true);
    tree_->scrollTo(tree_->currentIndex());
}

void TBrowseFolderDialog::StopFollowing() {
    if (!movingView_) followSelection_ = false;
}

bool TBrowseFolderDialog::SelectPath(const QString& path) {
    const QModelIndex index = treeFilter_->mapFromSource(model_->index(path));
    if (!index.isValid()) return false;
    const QScopedValueRollback own(movingView_, true);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    return true;
}

QString TBrowseFolderDialog::SelectedPath() const {
    const QModelIndex current = tree_->currentIndex();
    return current.isValid() ? model_->filePath(treeFilter_->mapToSource(current)) : QString();
}

QString TBrowseFolderDialog::StatusText() const {
    return status_->text();
}

bool TBrowseFolderDialog::IsOKEnabled() const {
    return buttons_->button(QDialogButtonBox::Ok)->isEnabled();
}

void TBrowseFolderDialog::OnCurrentChanged(const QModelIndex& current) {
    const QString path =
        current.isValid() ? model_->filePath(treeFilter_->mapToSource(current)) : QString();
    const std::optional<std::string> cp932Path = TryToCp932(path);
    std::string showText;
    TOKButtonState okState = obsNoChange;
    browser_.DoSelectionChanged(this, cp932Path.value_or(std::string()), showText, okState);
    status_->setText(showPath_ ? path : FromCp932(showText));
    // Each selection starts from OK being available for a folder the program can name; the
    // handler may take it away, but cannot offer a folder without a code page 932 path.
    const bool usable = !path.isEmpty() && cp932Path.has_value();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(usable && okState != obsDisabled);
}

void TBrowseFolderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event); // the toolkit's placement, kept for ssNone
    if (!event->spontaneous()) Place();
}

void TBrowseFolderDialog::Place() {
    switch (browser_.ShowStyle) {
    case ssCenterScreen:
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(CenterScreenPosition(screen->availableGeometry(), frameGeometry().size()));
        break;
    case ssClient:
        if (const auto* owner = qobject_cast<QWidget*>(browser_.parent());
            owner && owner->isWindow() && owner->windowHandle())
            move(owner->mapToGlobal(QPoint(0, 0)));
        break;
    case ssNone:
        break;
    }
}
