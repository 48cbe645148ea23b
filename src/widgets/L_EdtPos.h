#pragma once

// L_EdtPos: small controls (TAlignSpeedButton, TNoPaintPanel, TThemePanelExt, TElidedLabel).
//
// Small controls of the main window: the flat tool button that reliably loses its hover look, the
// panel that starts without a caption, the panel that looks like a read-only edit box while
// visual styles are in use, and the one-line label that gives up room in a narrow window.

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QToolButton>

#include <optional>

class QTimer;

// A flat tool button. The desktop does not always report the pointer leaving a button when it moves
// quickly onto another window, so one timer shared by all buttons checks every 100 ms whether the
// pointer is still over the hovered button and, when it is not, makes the button leave.
class TAlignSpeedButton : public QToolButton {
    Q_OBJECT

public:
    static constexpr int HoverCheckInterval = 100;

    explicit TAlignSpeedButton(QWidget* parent = nullptr);
    ~TAlignSpeedButton() override;

    // The shared timer; created with the first button, it lives as long as the application.
    static QTimer* HoverTimer();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    static void CheckHover();
    static void MakeLeave(TAlignSpeedButton* button);

    static QPointer<TAlignSpeedButton> hovered_;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A panel: optional outer and inner bevels, a border between them in the panel's colour, and a
// single-line caption (empty when created). Without a colour of its own it shows its parent's.
class TNoPaintPanel : public QFrame {
    Q_OBJECT

public:
    explicit TNoPaintPanel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Horizontal alignment of the caption: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut bevel);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    QColor Color() const { return palette().color(QPalette::Window); }
    void SetColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The caption's flags: the alignment, vertically centred, one line.
    int CaptionFlags() const;

private:
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int borderWidth_ = 0;
};

// A panel that, while visual styles are in use, paints itself as a read-only themed edit box
// (disabled look when disabled) and takes the themed fill colour; when styles go off it gets its
// own colour back at the next paint. With both bevels none it paints as a plain panel.
class TThemePanelExt : public TNoPaintPanel {
    Q_OBJECT

public:
    explicit TThemePanelExt(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintThemed();
    void RestoreOwnColour();

    bool themedColorApplied_ = false;
    std::optional<QPalette> savedPalette_; // nothing: the palette was the parent's
    bool savedAutoFill_ = false;
};

// A one-line label that a narrow window may make narrower than its text: the text then ends in
// "…" and shows whole in the label's tool tip. Screen readers read the whole text either way.
class TElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit TElidedLabel(const QString& text, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString ShownText() const;
};
