#include "app/ReadmeWindow.h"

#include "app/FilePaths.h"
#include "dialogs/L_Dialog.h"
#include "text/TextFile.h"
#include "widgets/Cp932Text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString WindowName = u"ReadmeWindow"_s;
// The text shows 80 columns and 30 lines where the screen has room for them.
constexpr int Columns = 80;
constexpr int Lines = 30;

TResult ReadText(const std::string& path, QString& text) {
    TTextFile file;
    if (TResult opened = OpenTextFile(path, file); !opened) return opened;
    std::string content;
    while (!file.Eof())
        content += file.ReadTextLine() + '\n';
    text = QString::fromUtf8(content);
    return {};
}

QDialog* CreateWindow(QWidget* owner, const QString& text) {
    auto* window = new QDialog(owner);
    window->setObjectName(WindowName);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(u"Readme - Orvane (Lite版)"_s);
    auto* view = new QPlainTextEdit(text, window);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    view->setAccessibleName(u"Readme"_s);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    buttons->button(QDialogButtonBox::Close)->setText(u"閉じる"_s);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(view);
    layout->addWidget(buttons);
    const QFontMetrics metrics = view->fontMetrics();
    const QSize wanted(metrics.horizontalAdvance(u'M') * Columns, metrics.lineSpacing() * Lines);
    window->resize(wanted.boundedTo(owner->screen()->availableGeometry().size() * 9 / 10));
    return window;
}

} // namespace

void ShowReadmeWindow(QWidget* owner, const std::string& path) {
    if (auto* open = owner->findChild<QDialog*>(WindowName, Qt::FindDirectChildrenOnly)) {
        open->raise();
        open->activateWindow();
        return;
    }
    QString text;
    if (const TResult read = ReadText(path, text); !read) {
        ShowMsg(u"Readmeファイルを開けませんでした。\r\n%1\r\n%2"_s.arg(ShownPath(path),
                                                                        FromCp932(read.Reason())),
                mtError);
        return;
    }
    QDialog* window = CreateWindow(owner, text);
    window->show();
    window->activateWindow();
}
