// Every caption of the window shows its whole text: labels, check boxes, radio buttons, buttons
// and group box titles on all three pages, with both usual Japanese desktop fonts. CTest runs
// this at 100% and again at 200% (QT_SCALE_FACTOR=2).

#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The part of `widget` that its parents leave visible, in its own coordinates.
QRect VisiblePart(const QWidget* widget) {
    QRect visible = widget->rect();
    for (const QWidget* inner = widget; !inner->isWindow(); inner = inner->parentWidget()) {
        const QWidget* parent = inner->parentWidget();
        const QPoint offset = widget->mapTo(parent, QPoint(0, 0));
        visible &= parent->rect().translated(-offset);
    }
    return visible;
}

// The width the caption's text needs and the width it has, or nothing for a widget without one.
struct TCaptionRoom {
    int needed = 0;
    int available = 0;
};

std::optional<TCaptionRoom> CaptionRoom(const QWidget* widget) {
    const QRect visible = VisiblePart(widget);
    const QFontMetrics metrics = widget->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty() || label->wordWrap()) return std::nullopt;
        const QRect contents = label->contentsRect() & visible;
        return TCaptionRoom{metrics.horizontalAdvance(label->text()), contents.width()};
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        return TCaptionRoom{metrics.horizontalAdvance(group->title()), (title & visible).width()};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        if (button->text().isEmpty()) return std::nullopt;
        // What the style asks for: indicator, icon, text and margins.
        return TCaptionRoom{button->sizeHint().width(), visible.width()};
    }
    return std::nullopt;
}

} // namespace

class TestCaptions : public QObject {
    Q_OBJECT

private slots:
    void captionsAreWhole_data() {
        QTest::addColumn<QString>("family");
        QTest::newRow("IPA P Gothic") << u"IPAPGothic"_s;
        QTest::newRow("Noto Sans CJK JP") << u"Noto Sans CJK JP"_s;
    }

    void captionsAreWhole() {
        QFETCH(QString, family);
        QVERIFY2(QFontDatabase::families().contains(family, Qt::CaseInsensitive),
                 qPrintable(family + u" is not installed (make deps installs it)"_s));
        const QFont original = QApplication::font();
        QFont font = original;
        font.setFamilies({family});
        QApplication::setFont(font);
        QTemporaryDir settings;
        IniFileName = settings.filePath(u"orvanix.ini"_s).toStdString();
        QStringList cut;
        {
            TMiniForm form;
            form.CommandLineParams.clear();
            QSignalSpy finished(&form, &TMiniForm::StartupFinished);
            form.show();
            QVERIFY(finished.wait(5000));
            for (int page = 0; page < form.PageControl->count(); ++page) {
                form.PageControl->setCurrentIndex(page);
                QCoreApplication::processEvents();
                for (const QWidget* widget : form.findChildren<QWidget*>()) {
                    if (!widget->isVisible()) continue;
                    const std::optional<TCaptionRoom> room = CaptionRoom(widget);
                    if (!room || room->available >= room->needed) continue;
                    const QString entry =
                        u"%1 (%2 < %3)"_s
                            .arg(widget->objectName().isEmpty()
                                     ? QString::fromLatin1(widget->metaObject()->className()) +
                                           u':' + widget->property("text").toString()
                                     : widget->objectName())
                            .arg(room->available)
                            .arg(room->needed);
                    if (!cut.contains(entry)) cut << entry;
                }
            }
        }
        QApplication::setFont(original);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", "_s)));
    }
};

QTEST_MAIN(TestCaptions)
#include "test_Captions.moc"
