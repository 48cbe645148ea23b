#include "widgets/XComboEditAccessible.h"

#include "widgets/XComboBox.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

bool DropsDown(const TXComboEdit& box) {
    switch (box.EditStyle()) {
    case esPickList:
    case esDropList:
    case esDate:
    case esDateTime:
        return true;
    default:
        return false;
    }
}

class TComboEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TComboEditAccessible(TXComboEdit* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    TXComboEdit& Box() const { return *static_cast<TXComboEdit*>(widget()); }

    QAccessible::Role role() const override {
        return DropsDown(Box()) ? QAccessible::ComboBox : QAccessible::EditableText;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !Box().isReadOnly();
        state.readOnly = Box().isReadOnly();
        state.selectableText = true;
        state.expandable = DropsDown(Box());
        state.expanded = Box().DroppedDown();
        state.collapsed = state.expandable && !state.expanded;
        return state;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Box().text() : QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        const bool selected = selectionIndex == 0 && Box().hasSelectedText();
        *startOffset = selected ? Box().selectionStart() : 0;
        *endOffset = selected ? Box().selectionEnd() : 0;
    }
    int selectionCount() const override { return Box().hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int) override { Box().deselect(); }
    void setSelection(int, int startOffset, int endOffset) override {
        Box().setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return Box().cursorPosition(); }
    void setCursorPosition(int position) override { Box().setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override {
        return Box().text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(Box().text().size()); }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override {
        return Box().cursorPositionAt(Box().mapFromGlobal(point));
    }
    void scrollToSubstring(int, int endIndex) override { Box().setCursorPosition(endIndex); }
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
};

// The caret's rectangle places the text; the character's offset from the caret places it.
QRect TComboEditAccessible::characterRect(int offset) const {
    const TXComboEdit& box = Box();
    const QString text = box.text();
    if (offset < 0 || offset >= text.size()) return {};
    const QFontMetrics metrics = box.fontMetrics();
    const QRect caret = box.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int left = caret.x() + metrics.horizontalAdvance(text.left(offset)) -
                     metrics.horizontalAdvance(text.left(box.cursorPosition()));
    const QRect character(left, caret.y(), metrics.horizontalAdvance(text.mid(offset, 1)),
                          caret.height());
    return QRect(box.mapToGlobal(character.topLeft()), character.size());
}

QAccessibleInterface* ComboEditFactory(const QString&, QObject* object) {
    auto* box = qobject_cast<TXComboEdit*>(object);
    return box ? new TComboEditAccessible(box) : nullptr;
}

} // namespace

void InstallComboEditAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ComboEditFactory);
        return true;
    }();
    (void)installed;
}
