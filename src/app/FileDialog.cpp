#include "app/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QTreeView>

#include <deque>

using namespace Qt::StringLiterals;

namespace {

struct TQueuedAnswer {
    bool chosen = false; // false: Cancel
    QString path;
};

std::deque<TQueuedAnswer>& QueuedAnswers() {
    static std::deque<TQueuedAnswer> answers;
    return answers;
}

// The toolkit's own dialog, which can refuse a file that cannot be written before it closes.
class TRefusingFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    bool refuseReadOnly = false;

protected:
    void accept() override {
        if (refuseReadOnly && IsReadOnlyFile(selectedFiles().value(0))) {
            QMessageBox::warning(
                this, windowTitle(),
                u"%1\nこのファイルは読み取り専用です。別の名前を指定してください。"_s.arg(
                    QFileInfo(selectedFiles().value(0)).fileName()));
            return;
        }
        QFileDialog::accept();
    }

private:
    static bool IsReadOnlyFile(const QString& path) {
        const QFileInfo info(path);
        return info.exists() && !info.isWritable();
    }
};

// The detail view's columns after the name (size, type, date) fit their texts each time a folder
// has loaded; the toolkit's fixed widths cut them down to a character or two at each end.
void FitColumnsToContents(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(u"treeView"_s);
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model) return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
        for (int column = 1; column < view->header()->count(); ++column)
            view->resizeColumnToContents(column);
    });
}

} // namespace

QStringList NameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& caption = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // A caption that already ends in its patterns in brackets is a complete name filter.
        filters << (caption.endsWith(u'(' + patterns + u')') ? caption
                                                             : caption + u" ("_s + patterns + u')');
    }
    return filters;
}

TFileDialog::TFileDialog(TFileDialogKind kind, QObject* owner) : QObject(owner), kind_(kind) {}

bool TFileDialog::Execute(QWidget* parent) {
    if (!QueuedAnswers().empty()) {
        const TQueuedAnswer answer = QueuedAnswers().front();
        QueuedAnswers().pop_front();
        if (answer.chosen) FileName = answer.path;
        return answer.chosen;
    }
    TRefusingFileDialog dialog(parent);
    // The toolkit's own dialog behaves the same on every desktop and honours the refusal above.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(kind_ == fdSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind_ == fdSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !Options.contains(ofOverwritePrompt));
    dialog.setSizeGripEnabled(Options.contains(ofEnableSizing));
    dialog.refuseReadOnly = Options.contains(ofNoReadOnlyReturn);
    dialog.setNameFilters(NameFiltersOf(Filter));
    dialog.setDefaultSuffix(DefaultExt);
    FitColumnsToContents(dialog);
    dialog.setDirectory(InitialDir);
    if (!FileName.isEmpty()) dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

void TFileDialog::QueueAnswer(const QString& path) {
    QueuedAnswers().push_back({true, path});
}

void TFileDialog::QueueCancel() {
    QueuedAnswers().push_back({});
}

int TFileDialog::QueuedAnswerCount() {
    return static_cast<int>(QueuedAnswers().size());
}

void TFileDialog::ClearQueuedAnswers() {
    QueuedAnswers().clear();
}
