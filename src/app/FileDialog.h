#pragma once

// TFileDialog: the file open and save dialogs as components of a window. The window sets the
// filter, default extension, initial folder and options once; each Execute shows the dialog with
// them and the file name proposed, and leaves the chosen file in FileName.
//
// Paths here are QStrings as Qt shows them; the caller turns them into the file system's bytes
// (FilePaths.h), never into code page 932 text.
//
// Tests answer the dialogs in advance with QueueAnswer/QueueCancel: the next Execute of either
// kind then shows nothing and returns the queued choice.

#include <QObject>
#include <QString>

#include <set>

class QWidget;

enum TFileDialogKind { fdOpen, fdSave };

enum TOpenOption {
    ofOverwritePrompt,  // ask before replacing an existing file (save dialog)
    ofHideReadOnly,     // no "open read-only" check box; this toolkit's dialogs never show one
    ofNoReadOnlyReturn, // a file that cannot be written cannot be chosen
    ofEnableSizing,     // the user can resize the dialog
};
using TOpenOptions = std::set<TOpenOption>;

// "Caption|pattern" pairs separated by "|", as a list of the toolkit's name filters.
QStringList NameFiltersOf(const QString& filter);

class TFileDialog : public QObject {
    Q_OBJECT

public:
    explicit TFileDialog(TFileDialogKind kind, QObject* owner = nullptr);

    TFileDialogKind Kind() const { return kind_; }

    QString DefaultExt; // added to a typed name without extension, without the dot
    QString Filter;     // "Caption|pattern|Caption|pattern…"
    QString InitialDir; // the folder shown first
    QString FileName;   // proposed before Execute, the chosen file after it
    TOpenOptions Options{ofHideReadOnly, ofEnableSizing};

    // Shows the dialog modally over `parent`; true when the user chose a file.
    bool Execute(QWidget* parent = nullptr);

    // Answers the next Execute with `path` (Execute returns true) or with Cancel.
    static void QueueAnswer(const QString& path);
    static void QueueCancel();
    static int QueuedAnswerCount();
    static void ClearQueuedAnswers();

private:
    TFileDialogKind kind_;
};
