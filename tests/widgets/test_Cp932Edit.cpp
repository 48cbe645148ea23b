#include "widgets/Cp932Edit.h"
#include "widgets/Cp932Text.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void CommitText(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

QString Repeat(const QString& unit, int count) {
    return unit.repeated(count);
}

} // namespace

class TestCp932Edit : public QObject {
    Q_OBJECT

private slots:
    void bridgeLengths_data();
    void bridgeLengths();
    void bridgeReplacesWhatItCannotEncode();

    void committedTextWithinByteLimit_data();
    void committedTextWithinByteLimit();
    void programTextIsNotCut();
    void replacingSelectionCountsFreedBytes();
    void typedKeyOverLimitIsDropped();

    void refusesOnlyWhatCannotBeHeld_data();
    void refusesOnlyWhatCannotBeHeld();
    void openCompositionIsCommitted_data();
    void openCompositionIsCommitted();

    void pasteTakesFirstLine_data();
    void pasteTakesFirstLine();
    void contextMenuPasteIsFiltered();
    void programTextBecomesStorable_data();
    void programTextBecomesStorable();
    void textCp932RoundTrip();

private:
    TCp932Edit* ShownEdit(int maxLength);
    std::unique_ptr<TCp932Edit> edit_;

private slots:
    void cleanup() { edit_.reset(); }
};

TCp932Edit* TestCp932Edit::ShownEdit(int maxLength) {
    edit_ = std::make_unique<TCp932Edit>();
    edit_->SetMaxLength(maxLength);
    edit_->show();
    edit_->activateWindow();
    edit_->setFocus();
    return edit_.get();
}

void TestCp932Edit::bridgeLengths_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("encodable");
    QTest::newRow("ascii") << u"news"_s << 4 << true;
    QTest::newRow("double-byte") << u"ニュース"_s << 8 << true;
    QTest::newRow("half-width katakana") << u"ﾆｭｰｽ"_s << 4 << true;
    QTest::newRow("mixed") << u"RSS更新"_s << 7 << true;
    QTest::newRow("empty") << QString() << 0 << true;
    QTest::newRow("emoji counts as its ?") << u"a😀b"_s << 3 << false;
    QTest::newRow("U+0100") << u"Ā"_s << 1 << false;
}

void TestCp932Edit::bridgeLengths() {
    QFETCH(QString, text);
    QFETCH(int, bytes);
    QFETCH(bool, encodable);
    QCOMPARE(Cp932Length(text), bytes);
    QCOMPARE(IsCp932Encodable(text), encodable);
    QCOMPARE(TryToCp932(text).has_value(), encodable);
    if (encodable) QCOMPARE(FromCp932(ToCp932(text)), text);
}

void TestCp932Edit::bridgeReplacesWhatItCannotEncode() {
    QCOMPARE(ToCp932(u"a😀bĀ日"_s), std::string("a?b?\x93\xfa"));
}

void TestCp932Edit::committedTextWithinByteLimit_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("after");
    QTest::newRow("double-byte at 39 of 40 is removed")
        << Repeat(u"a"_s, 39) << u"あ"_s << Repeat(u"a"_s, 39);
    QTest::newRow("double-byte at 38 of 40 fits")
        << Repeat(u"a"_s, 38) << u"あ"_s << Repeat(u"a"_s, 38) + u"あ"_s;
    QTest::newRow("single byte at 39 of 40 fits")
        << Repeat(u"a"_s, 39) << u"ｱ"_s << Repeat(u"a"_s, 39) + u"ｱ"_s;
    QTest::newRow("long commit cut on a character boundary")
        << Repeat(u"a"_s, 35) << u"いろはに"_s << Repeat(u"a"_s, 35) + u"いろ"_s;
    QTest::newRow("full box takes nothing") << Repeat(u"あ"_s, 20) << u"x"_s << Repeat(u"あ"_s, 20);
}

void TestCp932Edit::committedTextWithinByteLimit() {
    QFETCH(QString, before);
    QFETCH(QString, commit);
    QFETCH(QString, after);
    TCp932Edit* edit = ShownEdit(40);
    edit->setText(before);
    QSignalSpy changes(edit, &QLineEdit::textChanged);
    CommitText(edit, commit);
    QCOMPARE(edit->text(), after);
    QCOMPARE(changes.count(), before == after ? 0 : 1);
    QVERIFY(Cp932Length(edit->text()) <= 40);
}

void TestCp932Edit::programTextIsNotCut() {
    TCp932Edit* edit = ShownEdit(40);
    const QString fifty = Repeat(u"あ"_s, 25);
    edit->setText(fifty);
    QCOMPARE(edit->text(), fifty);
    CommitText(edit, u"い"_s);
    QCOMPARE(edit->text(), fifty);
    edit->setCursorPosition(25);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(Cp932Length(edit->text()), 48);
}

void TestCp932Edit::replacingSelectionCountsFreedBytes() {
    TCp932Edit* edit = ShownEdit(40);
    edit->setText(Repeat(u"あ"_s, 20));
    edit->setSelection(0, 1);
    CommitText(edit, u"いう"_s);
    QCOMPARE(edit->text(), u"い"_s + Repeat(u"あ"_s, 19));
}

void TestCp932Edit::typedKeyOverLimitIsDropped() {
    TCp932Edit* edit = ShownEdit(3);
    QTest::keyClicks(edit, u"abcd"_s);
    QCOMPARE(edit->text(), u"abc"_s);
    QVERIFY(edit->isUndoAvailable());
    edit->undo();
    QVERIFY(Cp932Length(edit->text()) <= 3);
}

// What an input leaves out is named, and the rest goes in: typing, committing and pasting alike.
void TestCp932Edit::refusesOnlyWhatCannotBeHeld_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message"); // empty: nothing refused
    const QString bread = u"「🍞」はこのプログラムでは使用できない文字です。"_s;
    QTest::newRow("emoji typed") << "type" << u"😀"_s << 0 << u"ab"_s
                                 << u"「😀」はこのプログラムでは使用できない文字です。"_s;
    QTest::newRow("U+0100 typed") << "type" << u"Ā"_s << 0 << u"ab"_s
                                  << u"「Ā」はこのプログラムでは使用できない文字です。"_s;
    QTest::newRow("emoji in a commit keeps the rest")
        << "commit" << u"🍞食べたい"_s << 0 << u"a食べたいb"_s << bread;
    QTest::newRow("pasted, each refused character named once")
        << "paste" << u"焼きたて🍞パン🍞Ā"_s << 0 << u"a焼きたてパンb"_s
        << u"「🍞Ā」はこのプログラムでは使用できない文字です。"_s;
    QTest::newRow("commit beyond the limit")
        << "commit" << u"東京都"_s << 6 << u"a東京b"_s
        << u"入力できるのは6バイトまでです。「都」は入りませんでした。"_s;
    QTest::newRow("commit into a full box")
        << "commit" << u"都"_s << 2 << u"ab"_s
        << u"入力できるのは2バイトまでです。「都」は入りませんでした。"_s;
    QTest::newRow("both at once")
        << "paste" << u"🍞パン屋"_s << 6 << u"aパンb"_s
        << bread + u"入力できるのは6バイトまでです。「屋」は入りませんでした。"_s;
    QTest::newRow("long cut-off quoted in part")
        << "paste" << QString(40, u'x') << 12 << u"a"_s + QString(10, u'x') + u"b"_s
        << u"入力できるのは12バイトまでです。「"_s + QString(20, u'x') +
               u"…」は入りませんでした。"_s;
    QTest::newRow("control characters dropped silently")
        << "paste" << u"x\u0000y\u001Az"_s << 0 << u"axyzb"_s << "";
    QTest::newRow("control characters of a commit dropped")
        << "commit" << u"x\u0007y"_s << 0 << u"axyb"_s << "";
    QTest::newRow("fits whole") << "commit" << u"桜"_s << 4 << u"a桜b"_s << "";
}

void TestCp932Edit::refusesOnlyWhatCannotBeHeld() {
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(int, limit);
    QFETCH(QString, message);
    TCp932Edit* edit = ShownEdit(limit);
    edit->setText(u"ab"_s);
    edit->setCursorPosition(1);
    QSignalSpy rejected(edit, &QLineEdit::inputRejected);
    QSignalSpy refused(edit, &TCp932Edit::InputRefused);
    if (how == u"type") {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, input);
        QCoreApplication::sendEvent(edit, &press);
    } else if (how == u"commit") {
        CommitText(edit, input);
    } else {
        QGuiApplication::clipboard()->setText(input);
        edit->PasteFromClipboard();
    }
    QTEST(edit->text(), "after");
    QCOMPARE(rejected.count(), message.isEmpty() ? 0 : 1);
    QCOMPARE(refused.count(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) QCOMPARE(refused.front().front().toString(), message);
}

// An open composition is committed into the box through the same filter when the owner asks.
void TestCp932Edit::openCompositionIsCommitted_data() {
    QTest::addColumn<QString>("preedit");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("after");
    QTest::newRow("composition") << u"桜の季節"_s << 0 << u"a桜の季節b"_s;
    QTest::newRow("cut to the limit") << u"桜の季節"_s << 6 << u"a桜のb"_s;
    QTest::newRow("none") << QString() << 0 << u"ab"_s;
}

void TestCp932Edit::openCompositionIsCommitted() {
    QFETCH(QString, preedit);
    QFETCH(int, limit);
    TCp932Edit* edit = ShownEdit(limit);
    edit->setText(u"ab"_s);
    edit->setCursorPosition(1);
    QInputMethodEvent composing(preedit, {});
    QCoreApplication::sendEvent(edit, &composing);
    QCOMPARE(edit->Composition(), preedit);
    QCOMPARE(edit->text(), u"ab"_s);
    edit->CommitComposition();
    QTEST(edit->text(), "after");
    QVERIFY(edit->Composition().isEmpty());
    edit->CommitComposition();
    QTEST(edit->text(), "after");
}

void TestCp932Edit::pasteTakesFirstLine_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("after");
    QTest::newRow("two lines") << u"一行目\r\n二行目"_s << 0 << u"[一行目]"_s;
    QTest::newRow("LF only") << u"first\nsecond"_s << 0 << u"[first]"_s;
    QTest::newRow("tabs become blanks") << u"a\tb\tc"_s << 0 << u"[a b c]"_s;
    QTest::newRow("empty first line") << u"\r\nx"_s << 0 << u"[]"_s;
    QTest::newRow("cut to the limit") << u"ニュース"_s << 7 << u"[ニュ]"_s;
    QTest::newRow("wave dash stored as code page 932 holds it") << u"〜"_s << 0 << u"[～]"_s;
    QTest::newRow("unencodable left out") << u"ĀB"_s << 0 << u"[B]"_s;
}

void TestCp932Edit::pasteTakesFirstLine() {
    QFETCH(QString, clip);
    QFETCH(int, limit);
    QFETCH(QString, after);
    TCp932Edit* edit = ShownEdit(limit);
    edit->setText(u"[]"_s);
    edit->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(clip);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), after);
}

void TestCp932Edit::contextMenuPasteIsFiltered() {
    TCp932Edit* edit = ShownEdit(0);
    QGuiApplication::clipboard()->setText(u"上\n下"_s);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            edit->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(edit, &event);
    QMenu* menu = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<QMenu*>(widget); candidate && candidate->isVisible())
            menu = candidate;
    QVERIFY(menu);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == u"貼り付け(&P)"_s) paste = action;
    QVERIFY(paste && paste->isEnabled());
    paste->trigger();
    menu->close();
    QCOMPARE(edit->text(), u"上"_s);
}

void TestCp932Edit::programTextBecomesStorable_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("tab, CR and LF") << u"a\tb\rc\nd"_s << u"a b c d"_s;
    QTest::newRow("other control characters") << u"a\u001Ab\u0000c"_s << u"a b c"_s;
    QTest::newRow("unencodable as ?") << u"x😀y"_s << u"x?y"_s;
    QTest::newRow("plain Japanese unchanged") << u"新着情報"_s << u"新着情報"_s;
}

void TestCp932Edit::programTextBecomesStorable() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TCp932Edit* edit = ShownEdit(0);
    edit->setText(text);
    QCOMPARE(edit->text(), shown);
}

void TestCp932Edit::textCp932RoundTrip() {
    TCp932Edit* edit = ShownEdit(0);
    const std::string bytes = "\x83\x6a\x83\x85\x81\x5b\x83\x58 RSS"; // ニュース RSS
    edit->SetTextCp932(bytes);
    QCOMPARE(edit->text(), u"ニュース RSS"_s);
    QCOMPARE(edit->TextCp932(), bytes);
}

QTEST_MAIN(TestCp932Edit)
#include "test_Cp932Edit.moc"
