#pragma once

// TStatusNotice: a status bar panel whose messages reach a screen reader as well as the eye.
// Screen readers do not follow what a status bar shows; this panel presents itself to them as a
// notification, and each message put up with Show is announced. The announcement waits until
// the events under way have been handled, after whatever they moved the focus to (the next grid
// cell after a refused date, say), so that the message is what the user hears last. Emptying
// the panel says nothing.

#include <QLabel>

class TStatusNotice : public QLabel {
    Q_OBJECT

public:
    explicit TStatusNotice(QWidget* parent = nullptr);

    // Shows `text`, and announces it when it is not empty.
    void Show(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    void Announce();

    bool pending_ = false;
};
