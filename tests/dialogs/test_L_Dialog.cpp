#include "dialogs/L_Dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs `action` on the modal box as soon as it is up.
void WhenBoxIsUp(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) return;
        poll->deleteLater();
        poll->stop();
        action(box);
    });
    poll->start(10);
}

void PressKey(QWidget* box, Qt::Key key) {
    QWidget* focus = box->focusWidget();
    QTest::keyClick(focus ? focus : box, key);
}

QStringList ButtonTexts(const QWidget* box) {
    QStringList texts;
    for (const QAbstractButton* button : box->findChildren<QDialogButtonBox*>().front()->buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

class TestMsgDlg : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TMsgDlg::ClearQueuedAnswers();
        TMsgDlg::TakeAnsweredBoxes();
    }

    void messageText_data();
    void messageText();
    void titlesAndButtons_data();
    void titlesAndButtons();
    void cp932TextIsShownDecoded();
    void longLinesAreShownWhole_data();
    void longLinesAreShownWhole();
    void askYesNoAnswers_data();
    void askYesNoAnswers();
    void askSaveChangesAnswers_data();
    void askSaveChangesAnswers();
    void checkBoxStateComesBack_data();
    void checkBoxStateComesBack();
    void placement_data();
    void placement();
    void busyCursorIsReset();
    void boxHasOnlyACloseButton_data();
    void boxHasOnlyACloseButton();
    void nestedBoxKeepsItsOwnState();
    void iconIsSharpAtTheScreensScale();
    void unqueuedBoxGoesToTheHandler();
    void renderGallery();
};

// A box with nothing queued shows nothing while a handler is set: the handler answers it.
void TestMsgDlg::unqueuedBoxGoesToTheHandler() {
    QStringList seen;
    TMsgDlg::SetUnqueuedBoxHandler([&seen](const TMsgDlgRecord& box) {
        seen << box.Text;
        return int(mrYes);
    });
    const auto reset = qScopeGuard([] { TMsgDlg::SetUnqueuedBoxHandler(nullptr); });
    TMsgDlg::QueueAnswer(mrCancel);
    QVERIFY(!AskYesNo(u"一つ目"_s));
    QVERIFY(AskYesNo(u"二つ目"_s));
    QCOMPARE(seen, QStringList{u"二つ目"_s});
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestMsgDlg::messageText_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("messSwitch");
    QTest::addColumn<QString>("mess");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two breaks at the end")
        << u"保存しました。\r\n\r\n"_s << false << QString() << u"保存しました。"_s;
    QTest::newRow("leading breaks") << u"\n\r\nabc"_s << false << QString() << u"abc"_s;
    QTest::newRow("inner breaks stay")
        << u"\r\na\r\n\r\nb\r\n"_s << false << QString() << u"a\r\n\r\nb"_s;
    QTest::newRow("LF and CR become CR LF")
        << u"a\nb\rc"_s << false << QString() << u"a\r\nb\r\nc"_s;
    QTest::newRow("only breaks") << u"\r\n\n\r"_s << false << QString() << QString();
    QTest::newRow("padded to default caption") << u"OK"_s << true << QString() << u"OK        "_s;
    QTest::newRow("double-byte counts two") << u"確認"_s << true << u"abcdefgh"_s << u"確認    "_s;
    QTest::newRow("longer text not padded") << u"abc"_s << true << u"ab"_s << u"abc"_s;
}

void TestMsgDlg::messageText() {
    QFETCH(QString, caption);
    QFETCH(bool, messSwitch);
    QFETCH(QString, mess);
    TMsgDlg box;
    box.SetCaption(caption);
    box.MessSwitch = messSwitch;
    box.Mess = mess;
    QTEST(box.MessageText(), "expected");
}

void TestMsgDlg::titlesAndButtons_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("question");
    QTest::addColumn<QString>("title");
    QTest::newRow("warning") << int(mtWarning) << false << u"警告"_s;
    QTest::newRow("error") << int(mtError) << false << u"エラー"_s;
    QTest::newRow("information") << int(mtInformation) << false << u"情報"_s;
    QTest::newRow("confirmation") << int(mtConfirmation) << false << u"確認"_s;
    QTest::newRow("question") << int(mtConfirmation) << true << u"確認"_s;
}

void TestMsgDlg::titlesAndButtons() {
    QFETCH(int, type);
    QFETCH(bool, question);
    TMsgDlg::QueueAnswer(mrYes);
    const QString text = u"現在の行を削除してもよろしいですか？"_s;
    if (question)
        QVERIFY(AskYesNo(text, TMsgDlgType(type)));
    else
        ShowMsg(text, TMsgDlgType(type));
    const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
    QCOMPARE(boxes.size(), 1u);
    QCOMPARE(boxes[0].Text, text);
    QTEST(boxes[0].Title, "title");
    QCOMPARE(boxes[0].DlgType, TMsgDlgType(type));
    QVERIFY(boxes[0].Buttons ==
            (question ? TMsgDlgButtons{mbYes, mbCancel} : TMsgDlgButtons{mbOK}));
}

void TestMsgDlg::cp932TextIsShownDecoded() {
    TMsgDlg::QueueAnswer(mrOk);
    ShowMsg(std::string("\x95\xdb\x91\xb6\r\n")); // "保存" in code page 932
    QCOMPARE(TMsgDlg::TakeAnsweredBoxes().at(0).Text, u"保存"_s);
}

void TestMsgDlg::askYesNoAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancelFocus");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Enter presses Yes") << u"Return"_s << false << true;
    QTest::newRow("Enter presses focused Cancel") << u"Return"_s << true << false;
    QTest::newRow("Y key") << u"Y"_s << false << true;
    QTest::newRow("Escape") << u"Escape"_s << false << false;
    QTest::newRow("close button") << u"close"_s << false << false;
    QTest::newRow("queued Yes") << u"queue 6"_s << false << true;
    QTest::newRow("queued Cancel") << u"queue 2"_s << false << false;
    QTest::newRow("queued, Cancel focused") << u"queue 6"_s << true << true;
}

void TestMsgDlg::askYesNoAnswers() {
    QFETCH(QString, answer);
    QFETCH(bool, cancelFocus);
    QStringList shownButtons;
    if (answer.startsWith(u"queue"_s)) {
        TMsgDlg::QueueAnswer(answer.section(u' ', 1).toInt());
    } else {
        WhenBoxIsUp([&](QWidget* box) {
            shownButtons = ButtonTexts(box);
            if (answer == u"close"_s)
                box->close();
            else
                PressKey(box, answer == u"Y"_s        ? Qt::Key_Y
                              : answer == u"Return"_s ? Qt::Key_Return
                                                      : Qt::Key_Escape);
        });
    }
    QTEST(AskYesNo(u"保存せずに終了しますか？"_s, mtConfirmation, cancelFocus), "expected");
    QVERIFY(!SharedMsgDlg().CancelFocus);
    if (!answer.startsWith(u"queue"_s))
        QCOMPARE(shownButtons, QStringList({u"はい(&Y)"_s, u"キャンセル"_s}));
    else
        QCOMPARE(TMsgDlg::TakeAnsweredBoxes().at(0).DefaultButton, cancelFocus ? mbCancel : mbYes);
}

void TestMsgDlg::askSaveChangesAnswers_data() {
    QTest::addColumn<Qt::Key>("key"); // Key_unknown: the close button
    QTest::addColumn<TSaveAnswer>("expected");
    QTest::newRow("Enter saves") << Qt::Key_Return << TSaveAnswer::Save;
    QTest::newRow("S key") << Qt::Key_S << TSaveAnswer::Save;
    QTest::newRow("N key") << Qt::Key_N << TSaveAnswer::Discard;
    QTest::newRow("Escape") << Qt::Key_Escape << TSaveAnswer::Cancel;
    QTest::newRow("close button") << Qt::Key_unknown << TSaveAnswer::Cancel;
}

void TestMsgDlg::askSaveChangesAnswers() {
    QFETCH(Qt::Key, key);
    QStringList shownButtons;
    WhenBoxIsUp([&](QWidget* box) {
        shownButtons = ButtonTexts(box);
        if (key == Qt::Key_unknown)
            box->close();
        else
            PressKey(box, key);
    });
    QTEST(AskSaveChanges(u"news"_s), "expected");
    QCOMPARE(shownButtons, QStringList({u"キャンセル"_s, u"保存(&S)"_s, u"保存しない(&N)"_s}));

    TMsgDlg::QueueAnswer(mrNo);
    QCOMPARE(AskSaveChanges(u"無題"_s), TSaveAnswer::Discard);
    const std::vector<TMsgDlgRecord> asked = TMsgDlg::TakeAnsweredBoxes();
    QCOMPARE(asked.size(), size_t{1});
    QCOMPARE(asked[0].Text, u"「無題」への変更を保存しますか？"_s);
    QCOMPARE(asked[0].Title, u"確認"_s);
}

void TestMsgDlg::checkBoxStateComesBack_data() {
    QTest::addColumn<bool>("initial");
    QTest::addColumn<bool>("click");
    QTest::addColumn<bool>("queued");
    QTest::addColumn<bool>("expected");
    QTest::newRow("left unchecked") << false << false << false << false;
    QTest::newRow("checked by user") << false << true << false << true;
    QTest::newRow("unchecked by user") << true << true << false << false;
    QTest::newRow("queued checked") << false << false << true << true;
}

void TestMsgDlg::checkBoxStateComesBack() {
    QFETCH(bool, initial);
    QFETCH(bool, click);
    QFETCH(bool, queued);
    TMsgDlg box;
    box.SetCaption(u"保存しました。"_s);
    box.MessSwitch = true;
    box.Mess = u"次回から表示しない"_s;
    box.MessChecked = initial;
    if (queued) {
        TMsgDlg::QueueAnswer(mrOk, true);
    } else {
        WhenBoxIsUp([click](QWidget* shown) {
            if (click) shown->findChild<QCheckBox*>()->click();
            shown->close();
        });
    }
    box.Execute();
    QTEST(box.MessChecked, "expected");
}

void TestMsgDlg::placement_data() {
    QTest::addColumn<bool>("withOwner");
    QTest::addColumn<int>("posX");
    QTest::addColumn<int>("posY");
    QTest::addColumn<QString>("text");
    const QString shortText = u"これ以上の挿入は行えません。"_s;
    // A long line makes the box wider than the size it starts with.
    const QString longText =
        u"保存が完了しました。\r\nRSSファイル: "_s +
        u"/home/hinata/ウェブサイト/公開用/お知らせ/2026年/12月/"_s.repeated(3) + u"news.rdf"_s;
    QTest::newRow("centred over owner") << true << 5 << 5 << shortText;
    QTest::newRow("long box centred over owner") << true << -1 << -1 << longText;
    QTest::newRow("given position") << false << 30 << 40 << shortText;
    QTest::newRow("left only") << false << 30 << -1 << shortText;
    QTest::newRow("toolkit centres") << false << -1 << -1 << shortText;
}

void TestMsgDlg::placement() {
    QFETCH(bool, withOwner);
    QFETCH(int, posX);
    QFETCH(int, posY);
    QFETCH(QString, text);
    QWidget owner;
    owner.setGeometry(100, 80, 1000, 600);
    owner.show();
    TMsgDlg box;
    box.SetCaption(text);
    box.OwnerForm = withOwner ? &owner : nullptr;
    box.PosX = posX;
    box.PosY = posY;
    QRect shown;
    WhenBoxIsUp([&](QWidget* up) {
        shown = up->frameGeometry();
        up->close();
    });
    box.Execute();
    if (withOwner) {
        const QRect form = owner.frameGeometry();
        QCOMPARE(shown.topLeft(), QPoint(form.left() + (form.width() - shown.width()) / 2,
                                         form.top() + (form.height() - shown.height()) / 2));
        return;
    }
    // A coordinate not given is the toolkit's: the box lies across the screen's centre. (The
    // toolkit guesses the frame of a box not yet mapped, so it is not exactly centred.)
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    if (posX >= 0)
        QCOMPARE(shown.x(), posX);
    else
        QVERIFY(shown.left() < centre.x() && centre.x() < shown.right());
    if (posY >= 0)
        QCOMPARE(shown.y(), posY);
    else
        QVERIFY(shown.top() < centre.y() && centre.y() < shown.bottom());
}

void TestMsgDlg::busyCursorIsReset() {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    TMsgDlg::QueueAnswer(mrOk);
    ShowMsg(u"テーブルファイルを読み込むことができません。"_s);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestMsgDlg::boxHasOnlyACloseButton_data() {
    QTest::addColumn<int>("borderStyle");
    QTest::newRow("dialog border") << int(TFormBorderStyle::bsDialog);
    QTest::newRow("sizeable border") << int(TFormBorderStyle::bsSizeable);
    QTest::newRow("tool window") << int(TFormBorderStyle::bsToolWindow);
}

// A window manager offers minimise and maximise unless the window asks for its buttons itself.
void TestMsgDlg::boxHasOnlyACloseButton() {
    QFETCH(int, borderStyle);
    TMsgDlg box;
    box.SetCaption(u"保存しました。"_s);
    box.BorderStyle = static_cast<TFormBorderStyle>(borderStyle);
    Qt::WindowFlags flags;
    WhenBoxIsUp([&](QWidget* shown) {
        flags = shown->windowFlags();
        shown->close();
    });
    box.Execute();
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

// A box raised while another is open (a timer's message) leaves the open box's state alone.
void TestMsgDlg::nestedBoxKeepsItsOwnState() {
    TMsgDlg& outer = SharedMsgDlg();
    outer.SetCaption(u"外側の確認です。"_s);
    outer.Buttons = {mbYes, mbCancel};
    outer.MessSwitch = true;
    outer.MessChecked = false;
    const auto restore = qScopeGuard([&outer] {
        outer.MessSwitch = false;
        outer.MessChecked = false;
    });
    WhenBoxIsUp([](QWidget* shown) {
        TMsgDlg::QueueAnswer(mrOk);
        ShowMsg(u"内側のお知らせです。"_s);
        shown->findChild<QCheckBox*>()->click();
        shown->findChild<QDialogButtonBox*>()->buttons().front()->click();
    });
    outer.Execute();
    QCOMPARE(outer.Caption(), u"外側の確認です。"_s);
    QCOMPARE(outer.Buttons, (TMsgDlgButtons{mbYes, mbCancel}));
    QVERIFY(outer.MessSwitch);
    QVERIFY(outer.MessChecked);
    const std::vector<TMsgDlgRecord> inner = TMsgDlg::TakeAnsweredBoxes();
    QCOMPARE(inner.size(), size_t(1));
    QCOMPARE(inner.front().Text, u"内側のお知らせです。"_s);
}

// Run also with QT_SCALE_FACTOR=2: the icon has as many pixels as the screen shows.
void TestMsgDlg::iconIsSharpAtTheScreensScale() {
    qreal ratio = 0;
    QSize pixels, logical;
    WhenBoxIsUp([&](QWidget* shown) {
        ratio = shown->devicePixelRatio();
        const QPixmap icon = shown->findChild<QLabel*>(u"qt_msgboxex_icon_label"_s)->pixmap();
        pixels = icon.size();
        logical = icon.deviceIndependentSize().toSize();
        shown->close();
    });
    ShowMsg(u"保存しました。"_s);
    QVERIFY(!logical.isEmpty());
    QCOMPARE(pixels, logical * ratio);
}

// With ORVANIX_GALLERY_DIR set (run under a real X server), saves a picture of a box with
// Japanese text there, to be looked at.
void TestMsgDlg::renderGallery() {
    const QString folder = qEnvironmentVariable("ORVANIX_GALLERY_DIR");
    if (folder.isEmpty()) QSKIP("ORVANIX_GALLERY_DIR not set");
    QApplication::setFont(QFont(u"IPAPGothic"_s, 10));
    TMsgDlg box;
    box.SetCaption(
        u"設定ファイル orvanix.ini が保存できません。\r\nフォルダにアクセス権があるか確認してください。"_s);
    box.DlgType = mtConfirmation;
    box.Buttons = {mbYes, mbCancel};
    box.MessSwitch = true;
    box.Mess = u"次回から表示しない"_s;
    bool saved = false;
    WhenBoxIsUp([&](QWidget* shown) {
        saved = shown->grab().save(folder + u"/L_Dialog.png"_s);
        shown->close();
    });
    box.Execute();
    QVERIFY(saved);
}

// A line that fits on the screen keeps its own breaks only; a longer one wraps. Either way the
// box shows every character of it inside the screen.
void TestMsgDlg::longLinesAreShownWhole_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("fits: not wrapped")
        << u"日付別の識別子を使用して同じ日付ではない場合のアドレス項目の重複にも対応します。"_s
        << false;
    QTest::newRow("changed host key: wrapped")
        << u"サーバー www.example.jp のホスト鍵が ~/.ssh/known_hosts に記録されたものと違います "
           u"(SHA256:nThbg6kXUpJWGl7E1IGOCspRomTxdCARLviKw6E5SY8)。なりすましの恐れがあるため接続し"
           u"ません。サーバーの管理者に確認してください。新しい鍵を確かめたら ~/.ssh/known_hosts "
           u"から古い行を消してください。"_s
        << true;
    QTest::newRow("path without a break point: wrapped")
        << u"/home/hinata/ウェブサイト/公開用/お知らせ/2026年/12月/"_s.repeated(6) + u"news.rdf"_s
        << true;
}

void TestMsgDlg::longLinesAreShownWhole() {
    QFETCH(QString, line);
    QFETCH(bool, wraps);
    QRect box, label, screen;
    int needed = 0, lineWidth = 0;
    WhenBoxIsUp([&](QWidget* up) {
        const auto* text = up->findChild<QLabel*>(u"qt_msgbox_label"_s);
        box = up->frameGeometry();
        screen = up->screen()->availableGeometry();
        label = QRect(text->mapTo(up, text->contentsRect().topLeft()), text->contentsRect().size());
        needed = text->wordWrap() ? text->heightForWidth(text->width()) : text->sizeHint().height();
        lineWidth = text->fontMetrics().horizontalAdvance(line);
        PressKey(up, Qt::Key_Return);
    });
    ShowMsg(u"公開できません。\r\n"_s + line);
    QVERIFY(lineWidth > 0);
    QCOMPARE(label.width() < lineWidth, wraps);
    QVERIFY2(label.height() >= needed, qPrintable(u"%1 < %2"_s.arg(label.height()).arg(needed)));
    QVERIFY2(QRect(QPoint(), box.size()).contains(label), "the text reaches beyond the box");
    QVERIFY2(screen.contains(box), "the box reaches beyond the screen");
}

QTEST_MAIN(TestMsgDlg)
#include "test_L_Dialog.moc"
