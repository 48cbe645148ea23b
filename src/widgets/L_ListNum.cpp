#include "widgets/L_ListNum.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// The shortcut keys of rows 1 to 36 in the three forms they may be typed in.
const QString ShortcutKeys = QStringLiteral("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString ShortcutKeysLower = QStringLiteral("1234567890abcdefghijklmnopqrstuvwxyz");
const QString ShortcutKana = QString::fromUtf8("ﾇﾌｱｳｴｵﾔﾕﾖﾜ"
                                               "ﾁｺｿｼｲﾊｷｸﾆﾏﾉﾘﾓﾐﾗｾﾀｽﾄｶﾅﾋﾃｻﾝﾂ");

// Space between the label cell and the row's text.
constexpr int TextIndent = 6;
// Label cell: the width of "W" and this much more.
constexpr int LabelCellExtra = 4;
constexpr int LabelIndent = 2;

} // namespace

int FontPixelHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

// Sizes every row to the list's row height and, for owner-drawn rows, paints label and text.
class TCustomListNum::TRowDelegate : public QStyledItemDelegate {
public:
    explicit TRowDelegate(TCustomListNum* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (list_->rowHeight_ > 0) size.setHeight(list_->rowHeight_);
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!list_->ownerDraw_) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        PaintOwnerDrawn(painter, option, index);
    }

private:
    void PaintOwnerDrawn(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const;

    TCustomListNum* list_;
};

void TCustomListNum::TRowDelegate::PaintOwnerDrawn(QPainter* painter,
                                                   const QStyleOptionViewItem& option,
                                                   const QModelIndex& index) const {
    // The popup never has the focus, so the selection is always drawn in the active colours.
    const QPalette& palette = list_->palette();
    const bool highlighted = option.state & QStyle::State_Selected;
    const int row = index.row() + 1;
    const QString label = ShortcutLabel(row);
    const QColor rowBrush = highlighted ? palette.color(QPalette::Active, QPalette::Highlight)
                                        : palette.color(QPalette::Active, QPalette::Base);
    const QColor rowText = highlighted ? palette.color(QPalette::Active, QPalette::HighlightedText)
                                       : palette.color(QPalette::Active, QPalette::Text);
    QColor labelText = list_->LabelFontColor;
    QColor labelBrush = list_->LabelColor;
    if (highlighted) {
        labelText = label.isEmpty() ? rowText : list_->SelLabelFontColor;
        labelBrush = label.isEmpty() ? rowBrush : list_->SelLabelColor;
    }

    const QRect r = option.rect;
    const QFontMetrics metrics(option.font);
    const int top = r.top() + (r.height() - metrics.height()) / 2;
    const int baseline = top + metrics.ascent();
    const QRect labelCell(r.left(), r.top(), list_->LabelCellWidth(), r.height());

    painter->save();
    painter->setFont(option.font);
    painter->fillRect(r, rowBrush);
    painter->fillRect(labelCell, labelBrush);
    painter->setClipRect(labelCell);
    painter->setPen(labelText);
    painter->drawText(labelCell.left() + LabelIndent, baseline, label);

    const QRect textArea = r.adjusted(labelCell.width(), 0, 0, 0);
    painter->setClipRect(textArea);
    painter->setPen(rowText);
    painter->drawText(textArea.left() + TextIndent, baseline, index.data().toString());
    painter->restore();
}

TCustomListNum::TCustomListNum(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TRowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

QString TCustomListNum::ShortcutLabel(int row) {
    if (row < 1 || row > LabelledRows) return {};
    return ShortcutKeys.mid(row - 1, 1);
}

int TCustomListNum::ShortcutRow(QChar key) {
    for (const QString* keys : {&ShortcutKeys, &ShortcutKeysLower, &ShortcutKana}) {
        const qsizetype at = keys->indexOf(key);
        if (at >= 0) return int(at) + 1;
    }
    return 0;
}

void TCustomListNum::SetOwnerDraw(bool on) {
    ownerDraw_ = on;
    viewport()->update();
}

void TCustomListNum::SetRowHeight(int pixels) {
    rowHeight_ = std::max(pixels, 0);
    doItemsLayout();
}

int TCustomListNum::LabelCellWidth() const {
    return QFontMetrics(font()).horizontalAdvance(QLatin1Char('W')) + LabelCellExtra;
}

bool TCustomListNum::SelectByShortcut(QChar key) {
    const int row = ShortcutRow(key);
    if (row == 0) return false;
    if (row <= count()) {
        // One repaint for the selection and the scroll together.
        setUpdatesEnabled(false);
        setCurrentRow(row - 1);
        scrollToItem(item(row - 1), QAbstractItemView::PositionAtTop);
        setUpdatesEnabled(true);
    }
    return true;
}

void TCustomListNum::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.size() == 1 && SelectByShortcut(typed.front())) {
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TCustomListNum::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) RaiseRowHeightToFont();
}

// A larger font must not leave rows too low for their text.
void TCustomListNum::RaiseRowHeightToFont() {
    const int wanted = FontPixelHeight(font()) + 2;
    if (rowHeight_ > 0 && rowHeight_ < wanted) SetRowHeight(wanted);
}
