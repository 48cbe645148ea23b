// The window on a small screen at a large scale (CTest runs this at 200% on a laptop's screen of
// 1366 × 768): it fits the screen, and every control on its pages can be brought into view: the
// channel page scrolls to it, the other pages shrink around their grid and feed text.

#include "FormTestSupport.h"

#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The scroll area that `widget` scrolls in, nullptr when it does not.
QScrollArea* ScrollAreaAround(QWidget* widget) {
    for (QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(outer)) return area;
    return nullptr;
}

// Scrolls `area` until the whole of `widget` shows. (QScrollArea::ensureWidgetVisible shows the
// caret of an edit box, not the box.)
void ScrollToWhole(QScrollArea& area, const QWidget& widget) {
    const QRect placed(widget.mapTo(area.widget(), QPoint(0, 0)), widget.size());
    area.ensureVisible(placed.center().x(), placed.center().y(), placed.width() / 2 + 1,
                       placed.height() / 2 + 1);
}

} // namespace

class TestSmallScreen : public formtest::TWindowTest {
    Q_OBJECT

private slots:
    void init() { QVERIFY(BeginCase(true)); }
    void cleanup() { EndCase(); }

    void controlsStayOnScreen() {
        const QRect screen = Form().screen()->availableGeometry();
        const QRect window = Form().frameGeometry();
        QVERIFY2(screen.contains(window), qPrintable(u"%1×%2 on %3×%4"_s.arg(window.width())
                                                         .arg(window.height())
                                                         .arg(screen.width())
                                                         .arg(screen.height())));
        QStringList cut;
        const auto& pages = Control<QTabWidget>(u"PageControl"_s);
        for (int page = TMiniForm::pgChannel; page <= TMiniForm::pgConfirm; ++page) {
            formtest::ShowPage(Form(), page);
            QCoreApplication::processEvents();
            for (QWidget* widget : pages.widget(page)->findChildren<QWidget*>()) {
                const bool control = widget->focusPolicy() != Qt::NoFocus;
                if (!control || !widget->isVisible() || widget->objectName().isEmpty()) continue;
                if (QScrollArea* area = ScrollAreaAround(widget)) ScrollToWhole(*area, *widget);
                if (formtest::VisiblePart(widget) != widget->rect()) cut << widget->objectName();
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", "_s)));
    }
};

QTEST_MAIN(TestSmallScreen)
#include "test_SmallScreen.moc"
