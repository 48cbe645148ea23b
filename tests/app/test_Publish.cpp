// Publishing from the window: the publish-settings dialog, and publishes against real SFTP and FTP
// servers the test starts, with their questions answered by the test. Without a D-Bus session
// there is no keyring; keyring_session.sh runs these tests again with one.

#include "FormTestSupport.h"
#include "TestServers.h"
#include "app/FeedCheckList.h"
#include "app/L_Sizeing.h"
#include "app/PublishDialog.h"
#include "app/PublishRunner.h"
#include "app/PublishStore.h"
#include "document/TableFile.h"
#include "publish/PublishKeyring.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace formtest;
namespace fs = std::filesystem;

namespace {

// Fills the dialog the next command opens and closes it with OK.
void AnswerPublishDialog(const QString& host, int port, const QString& user,
                         const QString& folder) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<TPublishDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->CB_Protocol->setCurrentIndex(int(TPublishProtocol::Sftp));
        dialog->ED_Host->setText(host);
        dialog->SE_Port->setValue(port);
        dialog->ED_User->setText(user);
        dialog->ED_Folder->setText(folder);
        dialog->RB_Password->setChecked(true);
        dialog->accept();
    });
}

// The password the keyring holds for the account of `settings`; empty when it holds none. The
// keyring's calls keep their order, so this sees what the calls before it did.
QString KeptPassword(const TPublishSettings& settings) {
    std::optional<std::optional<QString>> answer;
    QObject context;
    ReadKeyringPassword(settings, &context, [&](std::optional<QString> found) { answer = found; });
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 10000)) return {};
    return answer.value_or(std::nullopt).value_or(QString());
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QByteArray sessionBus_; // the Secret Service's D-Bus session, when the test has one
    fs::path Dir() const { return dir_->path().toStdString(); }

    // A changed document is saved, its feed goes to the server after the unknown host key is
    // accepted, and the status bar says where. Without a keyring the password is asked at every
    // publish; with one it is asked once and kept there. It is never written to a file.
    // The home of the site's account, holding the remote folder "www" with a feed published
    // before, and a home of the client's own (HOME); the account is made after this.
    fs::path PrepareSite() {
        // The server's sessions run as the account, which must reach its home in here.
        fs::permissions(Dir(), fs::perms(0755));
        fs::create_directories(Dir() / "home/www");
        fs::create_directories(Dir() / "client");
        WriteAll(QString::fromStdString(RemoteFeed()), "published before\n");
        qputenv("HOME", QByteArray::fromStdString((Dir() / "client").string()));
        return Dir() / "home";
    }
    std::string RemoteFeed() const { return (Dir() / "home/www/news.rdf").string(); }
    std::string LocalFeed() const { return (Dir() / "news.rdf").string(); }

    // The example table file, opened in a new window; `change` is made to the file first.
    std::string OpenExample(std::unique_ptr<TMiniForm>& form,
                            const std::function<void(TFeedDocument&)>& change = {}) {
        if (!StartForm(form)) return {};
        const std::string table = (Dir() / "news.tbl").string();
        fs::copy_file(fs::path(ORVANIX_SOURCE_DIR) / "examples/news.tbl", table);
        if (change && !ChangeTableFile(table, change)) return {};
        return OpenTable(*form, QString::fromStdString(table)) ? table : std::string();
    }
    static bool ChangeTableFile(const std::string& table,
                                const std::function<void(TFeedDocument&)>& change) {
        TFeedDocument document;
        if (!LoadTableFile(document, table)) return false;
        change(document);
        return WriteTableFile(document, table).Ok();
    }

    // Settings for the test's FTP or FTPS server; a publish asks for the password, which
    // `account` gives.
    TPublishSettings FtpSettings(const testsupport::TTestAccount& account,
                                 const testsupport::TFtpServer& server, bool tls) {
        SetPasswordPrompter([&](QWidget*, const QString&) {
            return std::optional<QString>(QString::fromStdString(account.Password()));
        });
        TPublishSettings settings;
        settings.Protocol = tls ? TPublishProtocol::Ftps : TPublishProtocol::Ftp;
        settings.Host = "127.0.0.1";
        settings.Port = server.Port();
        settings.User = account.Name();
        settings.RemoteFolder = "www";
        return settings;
    }
    // Publishes and waits until it has ended.
    static void Publish(TMiniForm& form) {
        Trigger(form, u"Mn_Publish"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!form.findChild<TPublishRunner*>(), 30000);
    }

    // orvanix-feed --publish run as an installed copy that reads the window's settings file;
    // its exit status.
    int PublishFromCommandLine(const std::string& table) {
        fs::create_directories(Dir() / "bin");
        fs::create_directories(Dir() / "config/orvanix");
        fs::copy_file(ORVANIX_FEED_EXE, Dir() / "bin/orvanix-feed");
        fs::copy_file(ORVANIX_PUBLISH_MODULE_FILE,
                      Dir() / "bin" / fs::path(ORVANIX_PUBLISH_MODULE_FILE).filename());
        fs::copy_file(IniFileName, Dir() / "config/orvanix/orvanix.ini");
        QProcess feed;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s,
                           QString::fromStdString((Dir() / "config").string()));
        feed.setProcessEnvironment(environment);
        feed.start(QString::fromStdString((Dir() / "bin/orvanix-feed").string()),
                   {u"--publish"_s, QString::fromStdString(table)});
        if (!feed.waitForFinished(60000)) return -1;
        return feed.exitCode();
    }

    void PublishTwice(bool keyring) {
        testsupport::TTestAccount account(PrepareSite());
        account.Own(Dir() / "home");
        QVERIFY2(account.Created(), "the tests run as root, as CI does");
        testsupport::TSshServer server;
        QVERIFY(server.Start(Dir(), Dir() / "authorized_keys"));
        const QString password = QString::fromStdString(account.Password());
        int asked = 0;
        SetPasswordPrompter([&](QWidget*, const QString&) {
            ++asked;
            return std::optional<QString>(password);
        });

        std::unique_ptr<TMiniForm> form;
        const std::string table = OpenExample(form);
        QVERIFY(!table.empty());
        AnswerPublishDialog(u"127.0.0.1"_s, server.Port(), QString::fromStdString(account.Name()),
                            u"www"_s);
        Trigger(*form, u"Mn_PublishTo"_s);
        const TPublishSettings settings = *LoadPublishSettings(table, IniFileName);

        const QString published =
            u"公開しました: sftp://127.0.0.1:%1/www/news.rdf"_s.arg(server.Port());
        TPaintEdit& title = Field(*form, u"ED_Informer_Title"_s);
        for (const bool firstTime : {true, false}) {
            // Typing also clears what the status bar said.
            Retype(title, firstTime ? u"初回"_s : u"二回目"_s);
            TMsgDlg::QueueAnswer(mrOk);                 // the save's message
            if (firstTime) TMsgDlg::QueueAnswer(mrYes); // the unknown host key
            Child<QToolButton>(*form, u"SB_Publish"_s).click();
            // Without a keyring the status bar also says that the password was not kept.
            QTRY_VERIFY_WITH_TIMEOUT(form->StatusText(1).startsWith(published), 30000);
            if (keyring) QCOMPARE(form->StatusText(1), published);
            QCOMPARE(asked, firstTime || keyring ? 1 : 2);
            const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
            QCOMPARE(int(boxes.size()), firstTime ? 2 : 1);
            if (firstTime) {
                QVERIFY(boxes[1].Text.contains(u"ホスト鍵はまだ確認されていません"_s));
                QVERIFY(boxes[1].DefaultButton == mbCancel); // Enter never trusts a key
            }
            QCOMPARE(ReadAll(QString::fromStdString(RemoteFeed())),
                     ReadAll(QString::fromStdString(LocalFeed())));
            // The password is kept once it has worked.
            if (keyring) QTRY_COMPARE(KeptPassword(settings), password);
        }
        QVERIFY(ReadAll(QString::fromStdString(RemoteFeed())).contains("二回目"));
        // orvanix-feed asks nothing: it publishes with the password the editor kept.
        if (keyring) {
            QVERIFY(WriteAll(QString::fromStdString(RemoteFeed()), "other\n"));
            QCOMPARE(PublishFromCommandLine(table), 0);
            QCOMPARE(ReadAll(QString::fromStdString(RemoteFeed())),
                     ReadAll(QString::fromStdString(LocalFeed())));
        }
        for (const auto& file : fs::recursive_directory_iterator(Dir()))
            if (file.is_regular_file())
                QVERIFY2(!ReadAll(QString::fromStdString(file.path().string()))
                              .contains(password.toUtf8()),
                         file.path().c_str());
        // The dialog shows the stored settings again.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TPublishDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->ED_User->text(), QString::fromStdString(account.Name()));
            QCOMPARE(dialog->SE_Port->value(), server.Port());
            dialog->reject();
        });
        Trigger(*form, u"Mn_PublishTo"_s);
        if (keyring) {
            // A password the server refuses is not kept.
            QVERIFY(ForgetKeyringPassword(settings));
            SetPasswordPrompter([](QWidget*, const QString&) { return std::optional(u"wrong"_s); });
            Retype(title, u"三回目"_s);
            TMsgDlg::QueueAnswer(mrOk); // the save's message
            TMsgDlg::QueueAnswer(mrOk); // why nothing was published
            Publish(*form);
            QVERIFY(AnsweredTexts().at(1).contains(u"ログインできません"_s));
            QCOMPARE(KeptPassword(settings), QString());
        }
        // What the status bar said of the document before goes with it.
        Commit(title, u"😀"_s); // refused, and said so
        QVERIFY(!form->StatusText(1).isEmpty());
        QVERIFY(OpenTable(*form, QString::fromStdString(table)));
        QCOMPARE(form->StatusText(1), QString());
        Commit(title, u"😀"_s);
        Trigger(*form, u"N2"_s);
        QCOMPARE(form->StatusText(1), QString());
        form.reset();
        server.Stop();
    }

private slots:
    void initTestCase() {
        FailOnUnexpectedBoxes();
        if (qEnvironmentVariableIsSet("ORVANIX_TEST_KEYRING"))
            sessionBus_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        IniFileName = (Dir() / "orvanix.ini").string();
        TMsgDlg::ClearQueuedAnswers();
        TMsgDlg::TakeAnsweredBoxes();
    }

    void cleanup() {
        QCOMPARE(TMsgDlg::QueuedAnswerCount(), 0);
        SetPasswordPrompter({});
        dir_.reset();
    }

    // What the user accepted before holds for the same server and protocol only.
    void dialogKeepsConsentForTheSameServerOnly_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("kept");
        QTest::newRow("unchanged") << int(TPublishProtocol::Ftps) << u"example.jp"_s << 0 << true;
        QTest::newRow("default port named")
            << int(TPublishProtocol::Ftps) << u"example.jp"_s << 21 << true;
        QTest::newRow("other host") << int(TPublishProtocol::Ftps) << u"other.jp"_s << 0 << false;
        QTest::newRow("other port")
            << int(TPublishProtocol::Ftps) << u"example.jp"_s << 990 << false;
        QTest::newRow("other protocol")
            << int(TPublishProtocol::Ftp) << u"example.jp"_s << 0 << false;
    }
    void dialogKeepsConsentForTheSameServerOnly() {
        QFETCH(int, protocol);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, kept);
        TPublishSettings before;
        before.Protocol = TPublishProtocol::Ftps;
        before.Host = "example.jp";
        before.TrustedCertificate = "sha256//AAAA=";
        before.PlainFtpAccepted = true;
        before.PublishedAddress = "https://example.jp/news.rdf";
        TPublishDialog dialog(before, nullptr);
        dialog.CB_Protocol->setCurrentIndex(protocol);
        dialog.ED_Host->setText(host);
        dialog.SE_Port->setValue(port);
        dialog.RB_Keys->setChecked(true);
        const TPublishSettings after = dialog.Settings();
        QCOMPARE(after.TrustedCertificate.empty(), !kept);
        QCOMPARE(after.PlainFtpAccepted, kept);
        QCOMPARE(after.PublishedAddress, before.PublishedAddress);
        QCOMPARE(dialog.RB_Keys->isEnabled(), protocol == int(TPublishProtocol::Sftp));
        QCOMPARE(dialog.ED_Password->isEnabled(), protocol != int(TPublishProtocol::Sftp));
    }

    // A self-signed certificate and plain FTP are each asked about: yes publishes and keeps the
    // consent with the table file, no sends nothing and says why.
    void asksBeforeTrustingTheServer_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("question");
        const QString certificate = u"の証明書は信頼されていません。自己署名の証明書です。"_s;
        const QString plain = u"暗号化されずに送られ"_s;
        QTest::newRow("certificate accepted") << true << true << certificate;
        QTest::newRow("certificate refused") << true << false << certificate;
        QTest::newRow("plain FTP accepted") << false << true << plain;
        QTest::newRow("plain FTP refused") << false << false << plain;
    }
    void asksBeforeTrustingTheServer() {
        QFETCH(bool, tls);
        QFETCH(bool, accepted);
        QFETCH(QString, question);
        testsupport::TTestAccount account(PrepareSite());
        account.Own(Dir() / "home");
        QVERIFY2(account.Created(), "the tests run as root, as CI does");
        testsupport::TFtpServer server;
        QVERIFY(server.Start(Dir(), tls));
        std::unique_ptr<TMiniForm> form;
        const std::string table = OpenExample(form);
        QVERIFY(!table.empty());
        const TPublishSettings settings = FtpSettings(account, server, tls);
        QVERIFY(!StorePublishSettings(table, settings, IniFileName));

        // The table file came without its feed: publishing writes it first.
        TMsgDlg::QueueAnswer(accepted ? mrYes : mrNo);
        if (!accepted) TMsgDlg::QueueAnswer(mrOk); // why nothing was published
        Publish(*form);
        const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
        QCOMPARE(int(boxes.size()), accepted ? 1 : 2);
        QVERIFY2(boxes[0].Text.contains(question), qPrintable(boxes[0].Text));
        QVERIFY(boxes[0].DefaultButton == mbCancel); // Enter never trusts the server
        const QByteArray remote = ReadAll(QString::fromStdString(RemoteFeed()));
        QCOMPARE(remote == ReadAll(QString::fromStdString(LocalFeed())), accepted);
        if (!accepted) QCOMPARE(remote, "published before\n");
        const TPublishSettings stored = *LoadPublishSettings(table, IniFileName);
        QCOMPARE(tls ? !stored.TrustedCertificate.empty() : stored.PlainFtpAccepted, accepted);
        form.reset();
    }

    // Cancel in the progress dialog ends a publish whose server never answers, and the status bar
    // says so.
    void cancelWhileConnecting() {
        const testsupport::TSilentServer silent;
        QVERIFY(silent.Port() != 0);
        std::unique_ptr<TMiniForm> form;
        const std::string table = OpenExample(form);
        QVERIFY(!table.empty());
        TPublishSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = silent.Port();
        settings.User = "owner";
        settings.Login = TSftpLogin::Keys;
        QVERIFY(!StorePublishSettings(table, settings, IniFileName));

        Type(Field(*form, u"ED_Informer_Setumei"_s), u"x"_s);
        TMsgDlg::QueueAnswer(mrOk); // the save's message
        Trigger(*form, u"Mn_Publish"_s);
        QProgressDialog* progress = nullptr;
        QTRY_VERIFY((progress = form->findChild<QProgressDialog*>(u"PublishProgress"_s)));
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form->findChild<TPublishRunner*>(), 30000);
        QCOMPARE(AnsweredTexts().size(), 1);
        QVERIFY2(form->StatusText(1).startsWith(u"公開を中止しました"_s),
                 qPrintable(form->StatusText(1)));
        form.reset();
    }

    // What goes up is the feed of the document on screen: a feed the check calls wrong and a feed
    // moved to another address go only when the user says so, and a feed left behind by an
    // interrupted save is written anew first.
    void publishesTheDocumentOnScreen_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("answer"); // to the question; mrNone: none is asked
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("uploaded"); // the feed's name on the site; empty: nothing
        QTest::addColumn<QString>("carries");  // a text the uploaded feed holds
        const QString errors = u"フィードにエラーが1件あります。このまま公開しますか？"_s;
        const QString moved =
            u"/news.rdf から https://hidamari-coffee.example/news/news2026.rdf に変わります。"
            u"購読者には新しいアドレスが届きません。"_s;
        QTest::newRow("check errors: cancel is the default")
            << u"errors"_s << int(mrCancel) << errors << QString() << QString();
        QTest::newRow("check errors: the list")
            << u"errors"_s << int(mrList) << errors << QString() << QString();
        QTest::newRow("check errors: publish all the same")
            << u"errors"_s << int(mrYes) << errors << u"news.rdf"_s << u"明日"_s;
        QTest::newRow("saved under another name: publish")
            << u"renamed"_s << int(mrYes) << moved << u"news2026.rdf"_s << QString();
        QTest::newRow("saved under another name: cancel")
            << u"renamed"_s << int(mrCancel) << moved << QString() << QString();
        QTest::newRow("table file ahead of its feed")
            << u"stale"_s << int(mrNone) << QString() << u"news.rdf"_s << u"途中で止まった保存"_s;
    }
    void publishesTheDocumentOnScreen() {
        QFETCH(QString, setup);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QString, uploaded);
        QFETCH(QString, carries);
        testsupport::TTestAccount account(PrepareSite());
        account.Own(Dir() / "home");
        QVERIFY2(account.Created(), "the tests run as root, as CI does");
        testsupport::TFtpServer server;
        QVERIFY(server.Start(Dir(), false));
        std::unique_ptr<TMiniForm> form;
        const std::string table = OpenExample(form, [&](TFeedDocument& document) {
            if (setup == u"errors"_s) document.Row(20).Date = Cp(u"明日"_s);
        });
        QVERIFY(!table.empty());
        TPublishSettings settings = FtpSettings(account, server, false);
        settings.PlainFtpAccepted = true; // nothing but the question of the case is asked
        QVERIFY(!StorePublishSettings(table, settings, IniFileName));
        if (setup == u"renamed"_s) {
            Publish(*form); // records where the feed went
            TFileDialog::QueueAnswer(QString::fromStdString((Dir() / "news2026.tbl").string()));
            TMsgDlg::QueueAnswer(mrOk); // the save's message
            Trigger(*form, u"Save1"_s);
        } else if (setup == u"stale"_s) {
            // Killed between the table file and the feed: the new table file, the old feed.
            Save(*form);
            QVERIFY(ChangeTableFile(table, [](TFeedDocument& document) {
                document.Row(20).Title = Cp(u"途中で止まった保存"_s);
            }));
            QVERIFY(OpenTable(*form, QString::fromStdString(table)));
            QVERIFY2(form->StatusText(1).contains(u"news.rdf がテーブルファイルと合っていません"_s),
                     qPrintable(form->StatusText(1)));
        }
        AnsweredTexts();
        const QByteArray before = ReadAll(QString::fromStdString(RemoteFeed()));
        if (answer != mrNone) TMsgDlg::QueueAnswer(answer);
        Publish(*form);

        const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
        QCOMPARE(boxes.size(), question.isEmpty() ? 0u : 1u);
        if (!question.isEmpty()) {
            QVERIFY2(boxes[0].Text.contains(question), qPrintable(boxes[0].Text));
            QCOMPARE(boxes[0].DefaultButton, mbCancel);
        }
        QCOMPARE(Child<TFeedCheckList>(*form, u"FeedCheckList"_s).isVisible(), answer == mrList);
        if (uploaded.isEmpty()) {
            QCOMPARE(ReadAll(QString::fromStdString(RemoteFeed())), before);
            QVERIFY(!fs::exists(Dir() / "home/www/news2026.rdf"));
            return;
        }
        const QByteArray remote =
            ReadAll(QString::fromStdString((Dir() / "home/www" / uploaded.toStdString()).string()));
        QCOMPARE(remote,
                 ReadAll(QString::fromStdString((Dir() / uploaded.toStdString()).string())));
        QVERIFY(remote.contains(carries.toUtf8()));
        QVERIFY2(form->StatusText(1).startsWith(u"公開しました: ftp://"_s),
                 qPrintable(form->StatusText(1)));
    }

    // OK in the settings dialog keeps the password in the keyring unless the account changes and
    // no other table file logs in with it; a password typed there replaces the kept one.
    void keyringAfterTheSettingsDialog_data() {
        QTest::addColumn<QString>("host");    // typed into the dialog
        QTest::addColumn<QString>("typed");   // the password typed there
        QTest::addColumn<bool>("sharedWith"); // another table file uses the account
        QTest::addColumn<QString>("kept");    // in the keyring for the first account afterwards
        QTest::newRow("nothing changed") << u"127.0.0.1"_s << QString() << false << u"old"_s;
        QTest::newRow("new password") << u"127.0.0.1"_s << u"new"_s << false << u"new"_s;
        QTest::newRow("other host, account still used")
            << u"localhost"_s << QString() << true << u"old"_s;
        QTest::newRow("other host, account unused")
            << u"localhost"_s << QString() << false << QString();
    }
    void keyringAfterTheSettingsDialog() {
        if (sessionBus_.isEmpty()) QSKIP("needs the D-Bus session keyring_session.sh starts");
        qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBus_);
        QFETCH(QString, host);
        QFETCH(QString, typed);
        QFETCH(bool, sharedWith);
        std::unique_ptr<TMiniForm> form;
        const std::string table = OpenExample(form);
        QVERIFY(!table.empty());
        TPublishSettings settings;
        settings.Host = "127.0.0.1";
        settings.User = "owner";
        QVERIFY(!StorePublishSettings(table, settings, IniFileName));
        if (sharedWith)
            QVERIFY(!StorePublishSettings((Dir() / "other.tbl").string(), settings, IniFileName));
        QVERIFY(StoreKeyringPassword(settings, "old"));
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TPublishDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->ED_Host->setText(host);
            dialog->ED_Password->setText(typed);
            dialog->accept();
        });
        Trigger(*form, u"Mn_PublishTo"_s);
        QTEST(KeptPassword(settings), "kept");
        QVERIFY(ForgetKeyringPassword(settings));
        form.reset();
    }

    void publishesWithoutAKeyring() {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        PublishTwice(false);
    }

    // Run by keyring_session.sh, which starts a Secret Service in a D-Bus session of its own.
    void publishesWithTheKeyring() {
        if (sessionBus_.isEmpty()) QSKIP("needs the D-Bus session keyring_session.sh starts");
        qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBus_);
        PublishTwice(true);
    }
};

QTEST_MAIN(TestPublish)
#include "test_Publish.moc"
