#include "widgets/StatusNotice.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>

namespace {

const QEvent::Type AnnounceEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TStatusNoticeAccessible : public QAccessibleWidget {
public:
    explicit TStatusNoticeAccessible(TStatusNotice* notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty()
                   ? static_cast<const TStatusNotice*>(widget())->text()
                   : own;
    }
};

QAccessibleInterface* StatusNoticeFactory(const QString&, QObject* object) {
    auto* notice = qobject_cast<TStatusNotice*>(object);
    return notice ? new TStatusNoticeAccessible(notice) : nullptr;
}

} // namespace

TStatusNotice::TStatusNotice(QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(StatusNoticeFactory);
        return true;
    }();
    (void)installed;
}

void TStatusNotice::Show(const QString& text) {
    setText(text);
    if (text.isEmpty() || pending_ || !QAccessible::isActive()) return;
    // Posted events of a lower priority are handled after every other one already posted.
    pending_ = true;
    QCoreApplication::postEvent(this, new QEvent(AnnounceEvent), Qt::LowEventPriority);
}

bool TStatusNotice::event(QEvent* event) {
    if (event->type() != AnnounceEvent) return QLabel::event(event);
    Announce();
    return true;
}

// A notification that shows is what screen readers speak.
void TStatusNotice::Announce() {
    pending_ = false;
    if (text().isEmpty()) return;
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
