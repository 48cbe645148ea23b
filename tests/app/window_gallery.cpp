// Renders the editor's three pages, filled from the example table file, its four menus and its
// message boxes into PNG files so that their looks can be checked by eye:
// window_gallery <output folder> [table file]
// The file names tell the style, the font, the scale and a dark palette. ORVANIX_GALLERY_FONT
// names the font family (the program's own choice when unset); ORVANIX_GALLERY_PALETTE=dark gives
// the window the palette of a dark desktop theme. Run it under Xvfb at 100% and 200%, in the
// Fusion and the plain Windows style, with tests/app/window_screenshots.sh.

#include "ThemeColours.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "app/Startup.h"
#include "dialogs/L_Dialog.h"
#include "widgets/L_Theme.h"

#include <QDir>
#include <QEventLoop>
#include <QMenuBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

bool Save(const QPixmap& picture, const QDir& output, const QString& name) {
    const QString path = output.filePath(name + u".png"_s);
    if (!picture.save(path)) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << "\n";
    return true;
}

// Grabs the modal box that `raise` opens, then closes it.
bool SaveBox(const std::function<void()>& raise, const QDir& output, const QString& name) {
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) return;
        poll.stop();
        saved = Save(box->grab(), output, name);
        box->close();
    });
    poll.start(20);
    raise();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    TOrvanixApplication application(argc, argv);
    QFont font = JapaneseUiFont();
    if (const QString family = qEnvironmentVariable("ORVANIX_GALLERY_FONT"); !family.isEmpty())
        font.setFamilies({family});
    QApplication::setFont(font);
    const bool dark = qEnvironmentVariable("ORVANIX_GALLERY_PALETTE") == u"dark";
    if (dark) QApplication::setPalette(testsupport::DarkPalette());
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: window_gallery <output folder> [table file]\n";
        return 2;
    }
    const QDir output(args[1]);
    QDir().mkpath(output.path());
    // The pictures never depend on, or change, the settings of a real installation.
    QTemporaryDir settings;
    IniFileName = settings.filePath(u"orvanix.ini"_s).toStdString();

    // The table file opens at start-up, as when it is named on the editor's command line.
    TMiniForm form(args.mid(2, 1));
    QEventLoop loop;
    QObject::connect(&form, &TMiniForm::StartupFinished, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();

    const QString look =
        QApplication::style()->name() + u'-' + font.families().value(0).remove(u' ') + u'-' +
        qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s) + u'x' + (dark ? u"-dark"_s : QString());
    bool saved = true;
    const QStringList pages{u"channel"_s, u"items"_s, u"confirm"_s};
    for (int page = 0; page < pages.size(); ++page) {
        form.findChild<QTabWidget*>(u"PageControl"_s)->setCurrentIndex(page);
        QCoreApplication::processEvents();
        saved &= Save(form.grab(), output, u"window-%1-%2"_s.arg(look, pages[page]));
    }
    for (const QString& name : {u"File1"_s, u"Edit1"_s, u"Commands1"_s, u"Help1"_s}) {
        auto* menu = form.findChild<QMenu*>(name);
        menu->popup(form.mapToGlobal(QPoint(20, 20)));
        QCoreApplication::processEvents();
        saved &= Save(menu->grab(), output, u"menu-%1-%2"_s.arg(look, menu->objectName()));
        menu->hide();
    }
    saved &= SaveBox(
        [] {
            ShowMsg(
                u"テーブルファイルとRSSファイルの保存が完了しました。\r\n\r\nRSSファイルの名前 : "
                u"/home/hinata/ウェブサイト/公開用/お知らせ/news.rdf"_s);
        },
        output, u"box-%1-message"_s.arg(look));
    saved &= SaveBox([] { AskSaveChanges(u"news"_s); }, output, u"box-%1-question"_s.arg(look));
    return saved ? 0 : 1;
}
