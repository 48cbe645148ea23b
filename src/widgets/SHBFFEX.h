#pragma once

// SHBFFEX: the folder picker (browse for a folder).
//
// TSHBrowseForFolderEx: a non-visual component that lets the user choose a folder in the
// program's own modal folder dialog (TBrowseFolderDialog). The owner picks the root of the
// folder tree and the initial selection, by path or as a special folder, the placement of the
// dialog, and is told of every selection change through OnSelectionChanged, which may set the
// dialog's status text and enable or disable its OK button.
//
// Paths and texts of the component are code page 932 byte strings, like every text of the
// program; a folder whose path code page 932 cannot hold cannot be chosen.
//
// Tests answer the dialog in advance with QueueAnswer/QueueCancel: the next Execute then shows
// nothing and returns the queued choice.

#include <QDialog>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <set>
#include <string>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QModelIndex;
class QSortFilterProxyModel;
class QTreeView;

// Root of the folder tree and initial selection; both enumerations name the same special
// folders in the same order. On Linux: Desktop and Drives are the file system's root "/",
// DesktopDir the desktop folder, Programs and StartMenu the applications folder, Startup the
// autostart folder, Templates the templates folder; Favorites, Recent and SendTo have no Linux
// counterpart and, like any of these folders that does not exist, are the home folder. Manual is
// the named folder, or the Desktop one when the name is no usable folder.
enum TRootFolder {
    rfDesktop,
    rfManual,
    rfDrives,
    rfDesktopDir,
    rfFavorites,
    rfPrograms,
    rfRecent,
    rfSendTo,
    rfStartMenu,
    rfStartup,
    rfTemplates
};
enum TSelectFolder {
    sfDesktop,
    sfManual,
    sfDrives,
    sfDesktopDir,
    sfFavorites,
    sfPrograms,
    sfRecent,
    sfSendTo,
    sfStartMenu,
    sfStartup,
    sfTemplates
};

enum TShowStyle { ssNone, ssCenterScreen, ssClient };

// Every folder of the tree is a file-system folder, so only the status options change what the
// dialog does: sboStatusText shows a status line under the tree, sboStatusTextAndShowPath shows
// one that always holds the selected folder's path.
enum TSHBrowseOption {
    sboDontGoBelowDomain,
    sboReturnFSAncestors,
    sboReturnOnlyFSDirs,
    sboStatusTextAndShowPath,
    sboStatusText
};
using TSHBrowseOptions = std::set<TSHBrowseOption>;

// Every selection starts with OK enabled for a folder the program can name; obsDisabled greys
// it, obsEnabled and obsNoChange leave it so.
enum TOKButtonState { obsNoChange, obsEnabled, obsDisabled };

// Raised on every selection change with the dialog and the selected folder's path (empty when
// it has no code page 932 form); the handler may set the status text and the OK button's state.
using TSHBrowseEvent = std::function<void(QObject* Sender, QWidget* Wnd, const std::string& Path,
                                          std::string& ShowText, TOKButtonState& OKButtonState)>;

// Top-left corner of a dialog centred across a work area and placed at a third of its height.
QPoint CenterScreenPosition(const QRect& workArea, const QSize& dialogSize);

class TSHBrowseForFolderEx : public QObject {
    Q_OBJECT

public:
    explicit TSHBrowseForFolderEx(QObject* owner = nullptr);

    TShowStyle ShowStyle = ssClient;
    std::string SelectFolderName; // initial selection when SelectFolder is sfManual
    std::string RootFolderName;   // root of the tree when RootFolder is rfManual
    TRootFolder RootFolder = rfDesktop;
    TSelectFolder SelectFolder = sfDrives;
    std::string Caption; // text shown above the tree
    TSHBrowseOptions Options{sboReturnOnlyFSDirs};
    TSHBrowseEvent OnSelectionChanged;

    // Results of the last Execute, cleared when it starts.
    const std::string& Folder() const { return folder_; }
    const std::string& DisplayName() const { return displayName_; }

    // Runs the dialog modally over `owner` (else over the component's owner form); true when
    // the user chose a folder with OK.
    virtual bool Execute(QWidget* owner = nullptr);
    // Raises OnSelectionChanged with this component as Sender.
    virtual void DoSelectionChanged(QWidget* Wnd, const std::string& Path, std::string& ShowText,
                                    TOKButtonState& OKButtonState);

    // The folders Execute opens the dialog with, as UTF-8 paths of existing folders.
    QString InitialSelectionPath() const;
    QString RootPath() const;

    // Answers the next Execute with `folder` (a code page 932 path) or with Cancel.
    static void QueueAnswer(const std::string& folder);
    static void QueueCancel();
    static int QueuedAnswerCount();
    static void ClearQueuedAnswers();

private:
    void TakeChoice(const QString& path);

    std::string folder_;
    std::string displayName_;
};

// The modal folder dialog of TSHBrowseForFolderEx: a tree of the folders under the root, the
// caption above it, an optional status line and OK and Cancel.
class TBrowseFolderDialog : public QDialog {
    Q_OBJECT

public:
    // Opens with `initialPath` selected, or the root when that is not in the tree.
    TBrowseFolderDialog(TSHBrowseForFolderEx& browser, const QString& rootPath,
                        const QString& initialPath, QWidget* parent = nullptr);

    // Selects `path` when it is a folder of the tree; false when it is not.
    bool SelectPath(const QString& path);
    QString SelectedPath() const;
    QString StatusText() const;
    bool IsOKEnabled() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnCurrentChanged(const QModelIndex& current);
    void Place();
    // Scrolls to the selection while the dialog still follows it (see the constructor).
    void KeepSelectionInView();
    // The user moved the view, the selection or a branch: the view is the user's from now on.
    void StopFollowing();

    TSHBrowseForFolderEx& browser_;
    bool showPath_;
    QFileSystemModel* model_;
    QSortFilterProxyModel* treeFilter_;
    QTreeView* tree_;
    QLabel* status_;
    QDialogButtonBox* buttons_;
    bool followSelection_ = true;
    bool movingView_ = false; // the dialog itself moves the view or the selection
};
