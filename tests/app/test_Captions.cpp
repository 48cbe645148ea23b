// Every caption of the window shows its whole text: labels, check boxes, radio buttons, buttons
// and group box titles on all three pages, with both usual Japanese desktop fonts; and every text
// is legible (4.5:1) on what it is drawn on, with a light and with a dark desktop palette. CTest
// runs this at 100% and again at 200% (QT_SCALE_FACTOR=2).

#include "FormTestSupport.h"
#include "ThemeColours.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "widgets/L_CCmbo.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The width the caption's text needs and the width it has, or nothing for a widget without one.
struct TCaptionRoom {
    int needed = 0;
    int available = 0;
};

std::optional<TCaptionRoom> CaptionRoom(const QWidget* widget) {
    const QRect visible = formtest::VisiblePart(widget);
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

// The window through its start-up, with its settings in `settings`. False when it did not get
// there in time.
bool StartWindow(std::unique_ptr<TMiniForm>& form, const QTemporaryDir& settings) {
    IniFileName = settings.filePath(u"orvanix.ini"_s).toStdString();
    return formtest::StartForm(form);
}

// Text and the background it is drawn on, named after what shows them.
struct TTextColours {
    QString what;
    QColor text;
    QColor background;
};

// The colours of every enabled text on the window's pages and status bar.
QList<TTextColours> TextColours(TMiniForm& form) {
    QList<TTextColours> found;
    QList<QWidget*> widgets = formtest::Child(form, u"StatusBar"_s).findChildren<QWidget*>();
    const auto& pages = formtest::Child<QTabWidget>(form, u"PageControl"_s);
    for (int page = 0; page < pages.count(); ++page)
        widgets << pages.widget(page)->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isEnabled()) continue; // dimmed text need not be legible
        const QPalette colours = widget->palette();
        const QString name = widget->objectName();
        if (auto* field = qobject_cast<TPaintEdit*>(widget)) {
            found << TTextColours{name, field->FontColor(), field->Color()}
                  << TTextColours{name + u" focused"_s, field->FocusFontColor(),
                                  field->FocusColor()};
        } else if (qobject_cast<QPlainTextEdit*>(widget)) {
            found << TTextColours{name, colours.color(QPalette::Text),
                                  colours.color(QPalette::Base)};
        } else if (qobject_cast<QLabel*>(widget) || qobject_cast<QGroupBox*>(widget) ||
                   qobject_cast<QAbstractButton*>(widget)) {
            found << TTextColours{name, colours.color(widget->foregroundRole()),
                                  colours.color(QPalette::Window)};
        }
    }
    const TXStringGrid& grid = formtest::GridOf(form);
    for (int col = 0; col < grid.ColCount(); ++col) {
        const TXStringColumnItem& column = *grid.Columns()->Items(col);
        found << TTextColours{u"grid column %1"_s.arg(col), column.FontColor(), column.Color()}
              << TTextColours{u"grid caption %1"_s.arg(col), column.HeaderFontColor(),
                              column.HeaderColor()};
    }
    return found;
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
        QStringList cut;
        {
            std::unique_ptr<TMiniForm> started;
            QVERIFY(StartWindow(started, settings));
            TMiniForm& form = *started;
            for (int page = TMiniForm::pgChannel; page <= TMiniForm::pgConfirm; ++page) {
                formtest::ShowPage(form, page);
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

    void textIsLegible_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light palette") << false;
        QTest::newRow("dark palette") << true;
    }

    void textIsLegible() {
        QFETCH(bool, dark);
        const QPalette original = QApplication::palette();
        if (dark) QApplication::setPalette(testsupport::DarkPalette());
        QTemporaryDir settings;
        QStringList illegible;
        {
            std::unique_ptr<TMiniForm> started;
            QVERIFY(StartWindow(started, settings));
            TMiniForm& form = *started;
            QList<TTextColours> texts = TextColours(form);
            // A date that is none is marked in the error colour, under the column's text colour.
            TFeedDocument document;
            document.Row(2) = {"news", "not a date", "", ""};
            QVERIFY(formtest::OpenDocument(form, settings.filePath(u"news.tbl"_s), document));
            TXStringGrid& grid = formtest::GridOf(form);
            const QRect cell = grid.CellRect(icDate, 2);
            const QImage painted = grid.viewport()->grab().toImage();
            const QColor marked =
                painted.pixelColor((cell.topLeft() + QPoint(3, 3)) * painted.devicePixelRatio());
            QVERIFY(marked != grid.Columns()->Items(icDate)->Color());
            texts << TTextColours{u"marked date"_s, grid.Columns()->Items(icDate)->FontColor(),
                                  marked};
            for (const TTextColours& text : std::as_const(texts))
                if (testsupport::Contrast(text.text, text.background) < 4.5)
                    illegible << u"%1 (%2 on %3)"_s.arg(text.what, text.text.name(),
                                                        text.background.name());
        }
        QApplication::setPalette(original);
        QVERIFY2(illegible.isEmpty(), qPrintable(illegible.join(u", "_s)));
    }
};

QTEST_MAIN(TestCaptions)
#include "test_Captions.moc"
