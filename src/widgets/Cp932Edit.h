#pragma once

// TCp932Edit: the single-line edit box every edit box of the program is built on. It holds only
// text that code page 932 can store, in one line, and counts its length limit in bytes of that
// code page.
//
// What the user puts in (typed keys, committed input-method text, the clipboard through keys,
// the box's Japanese edit menu or middle click) goes through one filter:
//  - a character code page 932 cannot hold is left out and the rest goes in;
//  - only the first line is taken (everything from the first CR or LF on is dropped), a TAB
//    becomes a blank and the other control characters (below U+0020) are dropped, so pasted
//    table rows arrive as one line of text;
//  - the input is cut on a character boundary to what MaxLength() leaves beside the text that
//    stays (the selection is replaced).
// Whatever the filter left out is reported: a beep, inputRejected() and InputRefused() with a
// one-line Japanese message naming the characters, which the window shows in its status bar.
// An input-method composition still open when the box's owner ends the edit can be committed
// through the same filter with CommitComposition().
// Text set by the program (setText, SetTextCp932) is not cut to the limit, so nothing read from a
// file is lost; it is only made storable: control characters (TAB, CR and LF among them) become
// blanks and a character code page 932 cannot hold becomes "?". The box always shows the round trip
// of its bytes, so what the user sees is what is saved. Text is not dropped onto the box by drag
// and drop.
//
// Use MaxLength()/SetMaxLength() for the byte limit, never QLineEdit's own character limit.
//
// For subclasses: override the Qt event handlers and call this class's version for everything they
// do not consume; PasteFromClipboard() is the one paste path and may be overridden to add
// conditions; InsertUserText() inserts text as if the user had typed it.

#include <QClipboard>
#include <QLineEdit>

class QMenu;

#include <string>

class TCp932Edit : public QLineEdit {
    Q_OBJECT

public:
    explicit TCp932Edit(QWidget* parent = nullptr);

    // Length limit in code page 932 bytes; 0 (the default) means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int bytes);

    std::string TextCp932() const;
    void SetTextCp932(const std::string& text);

    // Pastes the clipboard's text through the input filter; does nothing in a read-only box or when
    // the clipboard holds no text.
    virtual void PasteFromClipboard(QClipboard::Mode mode = QClipboard::Clipboard);
    // Replaces the selection with `text` as typed input (see the filter above). Returns false when
    // nothing was inserted.
    bool InsertUserText(const QString& text);

    // The input method's composition shown in the box and not committed yet; empty when none.
    const QString& Composition() const { return composition_; }
    // Commits an open composition into the box: the input method is asked to commit it, and when
    // it does not, the composition is inserted as committed text and the input method reset, so
    // the text the user saw is kept whatever ends the edit. Nothing without a composition.
    void CommitComposition();

signals:
    // Part of an input was left out; `message` says what and why.
    void InputRefused(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // What of an input may enter the box, and what was left out.
    struct TFittedInput {
        QString Text;
        QString Unencodable; // characters code page 932 cannot hold, each once
        QString CutOff;      // the part beyond the length limit
        bool Refused() const { return !Unencodable.isEmpty() || !CutOff.isEmpty(); }
    };

    // `input` as it may enter the box beside `keptText`.
    TFittedInput FitUserText(const QString& input, const QString& keptText) const;
    QString TextOutsideSelection() const;
    QMenu* CreateEditMenu();
    QString TextOutsideCommit(const QInputMethodEvent& event) const;
    bool ReplaceSelection(const TFittedInput& fitted);
    void ReportRefusal(const TFittedInput& fitted);
    void KeepStorable(const QString& text);

    int maxLength_ = 0;
    QString composition_;
    int commitsReceived_ = 0;
};
