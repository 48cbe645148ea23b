#pragma once

// TPublishRunner: one publish of a feed from the editor. The password comes from the keyring or,
// when it holds none, from the user; the transfer runs on a thread of its own behind a progress
// dialog with a Cancel button, so the window stays responsive. The questions the transfer raises
// (an unknown host key, a self-signed certificate, plain FTP) are asked on the GUI thread through
// the program's message boxes. What the user accepted is stored with the table file's settings,
// and a password typed in goes into the keyring once it has worked.
//
// Finished reports how it ended once; the runner deletes itself afterwards. Destroying it earlier
// cancels the transfer and waits for its thread.

#include "publish/Publisher.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QProgressDialog;
class QThread;

// Asks for the password of the account named in `prompt`; std::nullopt when the user cancels.
// Tests put their own answer in place of the dialog.
using TPasswordPrompter =
    std::function<std::optional<QString>(QWidget* parent, const QString& prompt)>;
void SetPasswordPrompter(TPasswordPrompter prompter);

enum class TPublishEnd { Published, Failed, Cancelled };

class TPublishRunner : public QObject {
    Q_OBJECT

public:
    // Publishes the feed at `feedPath` (the file system's bytes), and the files `withFeed` beside
    // it, with the settings of the table file at `tablePath`, stored in `iniPath`. `window` owns
    // the runner and the boxes it shows.
    TPublishRunner(QWidget* window, const std::string& tablePath, const std::string& iniPath,
                   const TPublishSettings& settings, const std::string& feedPath,
                   std::vector<TPublishedFile> withFeed = {});
    ~TPublishRunner() override;

    void Start();

signals:
    // `message`: where the feed went, why it was not published, or that the user stopped it
    // (empty when the password was not given).
    void Finished(TPublishEnd end, const QString& message);

private:
    void Transfer(const QString& password, bool fromKeyring);
    void Done(const TPublishOutcome& outcome, const QString& password, bool fromKeyring);
    // Reports how it ended, and goes.
    void Finish(TPublishEnd end, const QString& message);
    // Runs `question` on the GUI thread and waits for its answer; a cancel answers false.
    bool AskOnGuiThread(std::function<bool()> question);
    TPublishPrompts Prompts();

    QWidget* window_;
    std::string tablePath_, iniPath_, feedPath_;
    TPublishSettings settings_;
    std::vector<TPublishedFile> withFeed_;
    QPointer<QProgressDialog> progress_;
    QThread* thread_ = nullptr;
    std::atomic<bool> cancelled_ = false;
};
