#pragma once

// TFeedCheckList: the findings of a feed check in a small list window, one line per finding with
// its kind (error or warning), its place (row or channel), its field and its message. A double
// click on a line, or Enter, emits FindingChosen with the finding's index and closes the window;
// 閉じる or Escape closes it without a choice. The window only shows findings: going to the field
// is its owner's business. SetFindings replaces what it shows.

#include "document/FeedCheck.h"

#include <QDialog>

#include <vector>

class QLabel;
class QTableWidget;

class TFeedCheckList : public QDialog {
    Q_OBJECT

public:
    explicit TFeedCheckList(QWidget* parent = nullptr);

    void SetFindings(const std::vector<TFeedFinding>& findings);
    const std::vector<TFeedFinding>& Findings() const { return findings_; }

    QLabel* Summary;
    QTableWidget* List;

signals:
    void FindingChosen(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Choose(int index);

    std::vector<TFeedFinding> findings_;
};
