// Renders each widget of the library with Japanese text into PNG files, once under the themed
// style and once under the plain "Windows" style, so their looks can be checked by eye.
// Usage: widget_gallery <output folder>

#include "widgets/Cp932Edit.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTextStream>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QColor FieldYellow(0xFF, 0xFF, 0xF4);

class TGallery {
public:
    TGallery(const QString& folder, const QString& prefix) : folder_(folder), prefix_(prefix) {}

    void Save(QWidget& widget, const QString& name) {
        // Shown once, so that layouts such as the tab bar's are done before the picture is taken.
        widget.show();
        QApplication::processEvents();
        const QString path = QDir(folder_).filePath(prefix_ + name + u".png"_s);
        if (!widget.grab().save(path)) QTextStream(stderr) << "cannot write " << path << "\n";
    }

    // A plain widget painted by `paint`, for the themed parts that are only drawings.
    void SaveDrawing(const QString& name, QSize size,
                     std::function<void(QPainter&, QWidget&)> paint) {
        class TCanvas : public QWidget {
        public:
            std::function<void(QPainter&, QWidget&)> draw;
            void paintEvent(QPaintEvent*) override {
                QPainter painter(this);
                draw(painter, *this);
            }
        } canvas;
        canvas.draw = std::move(paint);
        canvas.resize(size);
        Save(canvas, name);
    }

private:
    QString folder_;
    QString prefix_;
};

void RenderEdits(TGallery& gallery) {
    TCp932Edit plain;
    plain.resize(236, 21);
    plain.setText(u"ニュースのタイトル"_s);
    gallery.Save(plain, u"cp932edit"_s);

    TEditNext unfocused;
    unfocused.resize(236, 21);
    unfocused.SetColor(FieldYellow);
    unfocused.SetFontColor(Qt::black);
    unfocused.setText(u"一般的にホームページの名前"_s);
    gallery.Save(unfocused, u"editnext_nofocus"_s);

    TEditNext focusColours;
    focusColours.resize(236, 21);
    focusColours.SetColor(Qt::black);
    focusColours.SetFontColor(Qt::white);
    focusColours.setText(u"フォーカス時の色"_s);
    gallery.Save(focusColours, u"editnext_focuscolours"_s);

    TPaintEdit paint;
    paint.resize(321, 21);
    paint.SetColor(FieldYellow);
    paint.setText(u"http://www.example.jp/ 新着情報"_s);
    gallery.Save(paint, u"paintedit"_s);
}

void RenderTabs(TGallery& gallery) {
    QTabWidget tabs;
    tabs.resize(320, 120);
    auto* first = new TTabSheetEx;
    new QLabel(u"提供者情報　タイトル(必須)"_s, first);
    tabs.addTab(first, u"基本設定"_s);
    tabs.addTab(new TTabSheetEx, u"項目"_s);
    tabs.addTab(new TTabSheetEx, u"確認"_s);
    gallery.Save(tabs, u"tabsheets"_s);
}

void RenderButtons(TGallery& gallery) {
    QWidget bar;
    bar.resize(200, 24);
    auto* insert = new TAlignSpeedButton(&bar);
    insert->setGeometry(0, 0, 85, 24);
    insert->setText(u"１行挿入"_s);
    auto* remove = new TAlignSpeedButton(&bar);
    remove->setGeometry(85, 0, 85, 24);
    remove->setText(u"１行削除"_s);
    gallery.Save(bar, u"speedbuttons"_s);

    // The hover look, as the toolkit gives it when the pointer enters.
    insert->setAttribute(Qt::WA_UnderMouse, true);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(insert, &enter);
    gallery.Save(bar, u"speedbuttons_hover"_s);
}

void RenderPanels(TGallery& gallery) {
    QWidget form;
    form.resize(480, 110);

    auto* panel = new TNoPaintPanel(&form);
    panel->setGeometry(8, 8, 200, 40);
    panel->SetCaption(u"ツールバーのパネル"_s);

    auto* plate = new TThemePanelExt(&form);
    plate->setGeometry(240, 8, 217, 89);
    plate->SetBevelOuter(bvLowered);
    auto* title = new QLabel(u"Orvane (Lite)"_s, plate);
    title->setGeometry(0, 0, 217, 44);
    title->setAlignment(Qt::AlignCenter);
    auto* notice = new QLabel(u"ver.1.0.0.0　更新情報はホームページで"_s, plate);
    notice->setGeometry(0, 60, 217, 24);
    notice->setAlignment(Qt::AlignCenter);

    auto* captioned = new TThemePanelExt(&form);
    captioned->setGeometry(8, 56, 200, 40);
    captioned->SetBevelOuter(bvLowered);
    captioned->SetCaption(u"読み取り専用の表示"_s);
    gallery.Save(form, u"panels"_s);
}

void RenderThemedParts(TGallery& gallery) {
    gallery.SaveDrawing(u"themed_header"_s, {490, 24}, [](QPainter& painter, QWidget& widget) {
        const int flags = Qt::AlignCenter | Qt::TextSingleLine;
        DrawThemePartWithTextClipped(painter, &widget, TThemePart::HeaderItem, TThemeState::Normal,
                                     u"タイトル(必須 100バイト以内)"_s, {0, 0, 300, 24}, flags);
        DrawThemePartWithTextClipped(painter, &widget, TThemePart::HeaderItem, TThemeState::Normal,
                                     u"日付(任意)"_s, {300, 0, 90, 24}, flags);
        DrawThemePartWithText(painter, &widget, TThemePart::HeaderItem, TThemeState::Pressed,
                              u"説明文"_s, {390, 0, 100, 24}, flags);
    });
    gallery.SaveDrawing(u"themed_parts"_s, {330, 24}, [](QPainter& painter, QWidget& widget) {
        const int flags = Qt::AlignCenter | Qt::TextSingleLine;
        DrawThemePartWithText(painter, &widget, TThemePart::EditText, TThemeState::Normal,
                              u"編集欄"_s, {0, 0, 90, 24}, flags);
        DrawThemePartWithText(painter, &widget, TThemePart::EditText, TThemeState::ReadOnly,
                              u"読取専用"_s, {92, 0, 90, 24}, flags);
        DrawThemePartWithText(painter, &widget, TThemePart::PushButton, TThemeState::Normal,
                              u"参照..."_s, {184, 0, 70, 24}, flags);
        DrawThemeBackground(painter, &widget, TThemePart::SpinUp, TThemeState::Normal,
                            {256, 0, 18, 12});
        DrawThemeBackground(painter, &widget, TThemePart::SpinDown, TThemeState::Pressed,
                            {256, 12, 18, 12});
        DrawThemeBackground(painter, &widget, TThemePart::ComboDropDown, TThemeState::Normal,
                            {276, 0, 18, 24});
        DrawThemeBackground(painter, &widget, TThemePart::ComboDropDown, TThemeState::Disabled,
                            {296, 0, 18, 24});
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: widget_gallery <output folder>\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QApplication::setFont(JapaneseUiFont());
    QTextStream(stdout) << "font: " << JapaneseUiFontFamily() << "\n";

    for (const QString& style : {u"Fusion"_s, u"Windows"_s}) {
        QApplication::setStyle(QStyleFactory::create(style));
        TGallery gallery(folder, style.toLower() + u"_"_s);
        RenderEdits(gallery);
        RenderTabs(gallery);
        RenderButtons(gallery);
        RenderPanels(gallery);
        RenderThemedParts(gallery);
    }
    return 0;
}
