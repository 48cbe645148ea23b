// The plain form: what the editor's window would be if it were built from Qt's stock widgets
// alone. A QMainWindow with the editor's Japanese menus, a tab widget whose first page holds nine
// labelled QLineEdits, whose second a toolbar with the editor's row captions over a 50 × 4
// QTableWidget, and whose third a read-only QPlainTextEdit with the feed. F5 and F6 move the
// current row down and up, as in the editor.
// Usage: plain_form [TABLE FILE]. The table file fills the fields and the grid before the window
// is shown; the feed page is built from the grid whenever it is shown.
// It is the baseline of side_by_side, which measures the editor against it.

#include "document/FeedWriter.h"
#include "document/TableFile.h"
#include "text/CodePage.h"

#include <QApplication>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <array>
#include <iostream>

using namespace Qt::StringLiterals;

namespace {

QString Shown(const std::string& cp932) {
    return QString::fromStdString(Cp932ToUtf8(cp932));
}

std::string Stored(const QString& text) {
    return Utf8ToCp932Shown(text.toStdString());
}

// F5 and F6 swap the current row with the one below or above and follow it.
class TRowTable : public QTableWidget {
public:
    TRowTable() : QTableWidget(MaxItemRows, 4) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int step = event->key() == Qt::Key_F5 ? 1 : event->key() == Qt::Key_F6 ? -1 : 0;
        const int row = currentRow();
        if (step == 0 || row + step < 0 || row + step >= rowCount())
            return QTableWidget::keyPressEvent(event);
        for (int col = 0; col < columnCount(); ++col) {
            QTableWidgetItem* moved = takeItem(row, col);
            setItem(row, col, takeItem(row + step, col));
            setItem(row + step, col, moved);
        }
        setCurrentCell(row + step, currentColumn());
    }
};

class TPlainForm : public QMainWindow {
public:
    explicit TPlainForm(const TFeedDocument& document) {
        setWindowTitle(u"Plain form"_s);
        resize(819, 602);
        AddMenus();
        pages_ = new QTabWidget;
        pages_->addTab(ChannelPage(), u"基本設定"_s);
        pages_->addTab(ItemsPage(), u"項目"_s);
        feed_ = new QPlainTextEdit;
        feed_->setReadOnly(true);
        feed_->setLineWrapMode(QPlainTextEdit::NoWrap);
        pages_->addTab(feed_, u"確認"_s);
        setCentralWidget(pages_);
        Show(document);
        pages_->setCurrentIndex(1);
        table_->setFocus();
        connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
            if (page == 2) ShowFeed();
        });
    }

private:
    void AddMenus() {
        const std::array<std::pair<QString, QStringList>, 4> menus{{
            {u"ファイル(&F)"_s,
             {u"新規(&N)"_s, u"開く(&R)..."_s, u"上書き保存(&S)"_s, u"名前を付けて保存(&A)..."_s,
              u"終了(&X)"_s}},
            {u"編集(&E)"_s,
             {u"元に戻す(&U)"_s, u"やり直し(&R)"_s, u"切り取り(&T)"_s, u"コピー(&C)"_s,
              u"貼り付け(&P)"_s, u"削除(&D)"_s, u"全て選択(&A)"_s}},
            {u"機能(&C)"_s,
             {u"ブラウザで確認(&E)..."_s, u"フィード検証サービスで構文チェック(&F)..."_s,
              u"フィードを検査(&K)..."_s, u"公開先の設定(&S)..."_s, u"サイトに公開(&U)"_s,
              u"起動時に最後に編集したファイルを開く(&O)"_s}},
            {u"ヘルプ(&H)"_s,
             {u"オンラインマニュアル(&M)..."_s, u"Readmeを参照する(&R)..."_s,
              u"Orvane 高機能版もご検討下さい(&S)..."_s, u"ホームページ(&H)..."_s}},
        }};
        for (const auto& [title, items] : menus) {
            QMenu* menu = menuBar()->addMenu(title);
            for (const QString& item : items)
                menu->addAction(item);
        }
    }

    QWidget* ChannelPage() {
        const QStringList labels{
            u"タイトル(必須)"_s,
            u"ホームページアドレス(必須) http:// から入力します"_s,
            u"説明文(任意)"_s,
            u"RSSファイルを設置するアドレス(必須) http:// から入力します"_s,
            u"タイトル(必須) ロゴのタイトルを入力します"_s,
            u"ロゴのあるアドレス(必須) http:// から入力します"_s,
            u"ロゴをクリックしたときのアドレス(必須) http:// から入力します"_s,
            u"RSSファイルのローカル保存先(必須) 指定しない場合はプログラムと同じ場所です"_s,
            u"スタイルシートのアドレスと名前(任意) "_s,
        };
        auto* page = new QWidget;
        auto* form = new QFormLayout(page);
        for (qsizetype field = 0; field < labels.size(); ++field) {
            fields_[static_cast<size_t>(field)] = new QLineEdit;
            form->addRow(labels[field], fields_[static_cast<size_t>(field)]);
        }
        return page;
    }

    QWidget* ItemsPage() {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        auto* toolbar = new QToolBar;
        for (const QString& caption :
             {u"１行挿入"_s, u"１行削除"_s, u"行貼付"_s, u"↓"_s, u"↑"_s, u"公開"_s})
            toolbar->addAction(caption);
        layout->addWidget(toolbar);
        table_ = new TRowTable;
        table_->setHorizontalHeaderLabels({u"タイトル(必須 100バイト以内)"_s, u"日付(任意)"_s,
                                           u"アドレス(必須 http://から入力)"_s,
                                           u"説明文(任意 400バイト以内)"_s});
        for (const int col : {0, 2, 3})
            table_->setColumnWidth(col, 400);
        layout->addWidget(table_);
        return page;
    }

    void Show(const TFeedDocument& document) {
        const TChannelInfo& channel = document.Channel;
        const std::array<const std::string*, 9> texts{
            &channel.Title,           &channel.HomeAddress, &channel.Description,
            &channel.FeedAddress,     &channel.LogoTitle,   &channel.LogoImageAddress,
            &channel.LogoLinkAddress, &channel.SaveFolder,  &channel.StyleSheet};
        for (size_t field = 0; field < texts.size(); ++field)
            fields_[field]->setText(Shown(*texts[field]));
        for (int row = 1; row <= MaxItemRows; ++row)
            for (int col = 0; col < 4; ++col)
                table_->setItem(row - 1, col,
                                new QTableWidgetItem(Shown(document.Row(row).Cell(col))));
        fileName_ = document.FileName;
    }

    void ShowFeed() {
        TFeedDocument document;
        document.FileName = fileName_;
        document.Channel.Title = Stored(fields_[0]->text());
        for (int row = 1; row <= MaxItemRows; ++row)
            for (int col = 0; col < 4; ++col)
                if (const QTableWidgetItem* cell = table_->item(row - 1, col))
                    document.Row(row).Cell(col) = Stored(cell->text());
        std::vector<std::string> lines;
        BuildFeed(lines, document, {FeedFileName(document), {}, {}, "1.00"});
        feed_->setPlainText(Shown(JoinLines(lines)));
    }

    std::array<QLineEdit*, 9> fields_{};
    QTabWidget* pages_ = nullptr;
    TRowTable* table_ = nullptr;
    QPlainTextEdit* feed_ = nullptr;
    std::string fileName_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The editor's Japanese font, so both shape the same glyphs.
    QFont font = QApplication::font();
    font.setFamilies({u"IPAPGothic"_s});
    QApplication::setFont(font);
    TFeedDocument document;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        if (const TResult loaded = LoadTableFile(document, arguments[1].toStdString()); !loaded) {
            std::cerr << loaded.Describe("cannot read the table file") << "\n";
            return 1;
        }
    }
    TPlainForm form(document);
    form.show();
    return application.exec();
}
