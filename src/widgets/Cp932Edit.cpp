#include "widgets/Cp932Edit.h"

#include "text/S_string.h"
#include "widgets/Cp932Text.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace {

bool IsControlCharacter(QChar ch) {
    return ch.unicode() < 0x20;
}

// The first line of `text` with every TAB turned into a blank and no other control character.
QString SingleLineInput(const QString& text) {
    QString line;
    for (const QChar ch : text) {
        if (ch == u'\r' || ch == u'\n') break;
        if (ch == u'\t')
            line += u' ';
        else if (!IsControlCharacter(ch))
            line += ch;
    }
    return line;
}

// The longest run of whole characters from the start of `bytes` that fits into `limit` bytes.
std::string LeadingCharactersWithin(const std::string& bytes, int limit) {
    size_t end = 0;
    while (end < bytes.size()) {
        const size_t width =
            IsLeadByte(static_cast<unsigned char>(bytes[end])) && end + 1 < bytes.size() ? 2 : 1;
        if (end + width > static_cast<size_t>(limit)) break;
        end += width;
    }
    return bytes.substr(0, end);
}

// Text a key event would insert, by the same test QLineEdit applies: printable and not a Ctrl
// shortcut.
bool IsTypedText(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty() || text.at(0).category() == QChar::Other_Control) return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return modifiers != Qt::ControlModifier &&
           modifiers != (Qt::ShiftModifier | Qt::ControlModifier);
}

QString StorableText(const QString& text) {
    QString storable = Cp932RoundTrip(text);
    for (QChar& ch : storable) {
        if (IsControlCharacter(ch)) ch = u' ';
    }
    return storable;
}

QString CutOffMessage(int limit, const QString& cutOff) {
    return QStringLiteral("入力できるのは%1バイトまでです。「%2」は入りませんでした。")
        .arg(limit)
        .arg(QuotedExcerpt(cutOff));
}

} // namespace

TCp932Edit::TCp932Edit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, &TCp932Edit::KeepStorable);
}

void TCp932Edit::SetMaxLength(int bytes) {
    maxLength_ = std::max(bytes, 0);
}

std::string TCp932Edit::TextCp932() const {
    return ToCp932(text());
}

void TCp932Edit::SetTextCp932(const std::string& text) {
    setText(FromCp932(text));
}

void TCp932Edit::PasteFromClipboard(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (!clip.isEmpty()) InsertUserText(clip);
}

bool TCp932Edit::InsertUserText(const QString& text) {
    return ReplaceSelection(FitUserText(text, TextOutsideSelection()));
}

TCp932Edit::TFittedInput TCp932Edit::FitUserText(const QString& input,
                                                 const QString& keptText) const {
    TFittedInput fitted;
    TEncodableSplit split = SplitEncodable(SingleLineInput(input));
    fitted.Unencodable = split.Refused;
    if (maxLength_ > 0 && !isReadOnly()) {
        const int room = std::max(maxLength_ - Cp932Length(keptText), 0);
        const size_t fits = LeadingCharactersWithin(split.Bytes, room).size();
        fitted.CutOff = FromCp932(split.Bytes.substr(fits));
        split.Bytes.resize(fits);
    }
    fitted.Text = FromCp932(split.Bytes);
    return fitted;
}

QString TCp932Edit::TextOutsideSelection() const {
    QString kept = text();
    if (hasSelectedText()) kept.remove(selectionStart(), selectedText().size());
    return kept;
}

// An input method may replace text around the caret besides the selection.
QString TCp932Edit::TextOutsideCommit(const QInputMethodEvent& event) const {
    QString kept = TextOutsideSelection();
    if (event.replacementLength() > 0) {
        const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
        const int from = std::clamp(caret + event.replacementStart(), 0, int(kept.size()));
        kept.remove(from, event.replacementLength());
    }
    return kept;
}

bool TCp932Edit::ReplaceSelection(const TFittedInput& fitted) {
    if (!fitted.Text.isEmpty()) insert(fitted.Text);
    ReportRefusal(fitted);
    return !fitted.Text.isEmpty();
}

// Reported after the text that went in, so the owner sees the box as it stays.
void TCp932Edit::ReportRefusal(const TFittedInput& fitted) {
    if (!fitted.Refused()) return;
    QStringList sentences;
    if (!fitted.Unencodable.isEmpty()) sentences << UnusableCharactersMessage(fitted.Unencodable);
    if (!fitted.CutOff.isEmpty()) sentences << CutOffMessage(maxLength_, fitted.CutOff);
    QApplication::beep();
    emit inputRejected();
    emit InputRefused(sentences.join(QString()));
}

void TCp932Edit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteFromClipboard();
        event->accept();
        return;
    }
    if (!isReadOnly() && IsTypedText(*event)) {
        const TFittedInput fitted = FitUserText(event->text(), TextOutsideSelection());
        if (fitted.Text != event->text()) {
            ReplaceSelection(fitted);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TCp932Edit::inputMethodEvent(QInputMethodEvent* event) {
    composition_ = event->preeditString();
    const QString commit = event->commitString();
    if (!commit.isEmpty()) ++commitsReceived_;
    if (isReadOnly() || commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    const TFittedInput fitted = FitUserText(commit, TextOutsideCommit(*event));
    if (fitted.Text == commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The preedit goes on as the input method sent it; only the committed text changes.
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    if (!fitted.Text.isEmpty())
        filtered.setCommitString(fitted.Text, event->replacementStart(),
                                 event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
    ReportRefusal(fitted);
}

void TCp932Edit::CommitComposition() {
    if (composition_.isEmpty()) return;
    const int commitsBefore = commitsReceived_;
    const QString open = composition_;
    QInputMethod* inputMethod = QGuiApplication::inputMethod();
    if (hasFocus()) inputMethod->commit();
    if (commitsReceived_ != commitsBefore) return;
    // The input method kept its composition: it is forgotten there and committed here.
    if (hasFocus()) inputMethod->reset();
    if (commitsReceived_ != commitsBefore) return;
    QInputMethodEvent commit;
    commit.setCommitString(open);
    inputMethodEvent(&commit);
}

void TCp932Edit::mouseReleaseEvent(QMouseEvent* event) {
    const bool pastesSelection = event->button() == Qt::MiddleButton && !isReadOnly() &&
                                 QGuiApplication::clipboard()->supportsSelection();
    if (!pastesSelection) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    deselect();
    PasteFromClipboard(QClipboard::Selection);
    event->accept();
}

void TCp932Edit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateEditMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The box's own edit menu, in Japanese, whose paste goes through the input filter.
QMenu* TCp932Edit::CreateEditMenu() {
    auto* menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    const auto add = [menu](const char* caption, bool enabled, auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(caption), handler);
        action->setEnabled(enabled);
    };
    add("元に戻す(&U)", editable && isUndoAvailable(), [this] { undo(); });
    menu->addSeparator();
    add("切り取り(&T)", editable && selected, [this] { cut(); });
    add("コピー(&C)", selected, [this] { copy(); });
    add("貼り付け(&P)", editable && !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { PasteFromClipboard(); });
    add("削除(&D)", editable && selected, [this] { del(); });
    menu->addSeparator();
    add("すべて選択(&A)", !text().isEmpty(), [this] { selectAll(); });
    return menu;
}

// Text set by the program passes here too: it is made storable, not cut.
void TCp932Edit::KeepStorable(const QString& text) {
    const QString storable = StorableText(text);
    if (storable == text) return;
    const int caret = cursorPosition();
    setText(storable);
    setCursorPosition(caret);
}
