// The message window of a running calculation: eight lines of progress text, a progress
// bar for the current grid and the abort control "計算中止".
#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QLabel;
class QProgressBar;
class QPushButton;

namespace keltora::ui {

class MessageWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kLines = 8;

    explicit MessageWindow(QWidget* parent = nullptr);

    // Line 1..8 (others are ignored).
    void setLine(int line, const QString& text);
    QString line(int line) const;
    void clearLines();
    // Progress of the current grid: `done` of `total` centres (total 0 = unknown).
    void setProgress(long long done, long long total);
    // Shows the window for a new run: lines cleared, abort control enabled and focused.
    void begin();
    // The abort control was used once; it stays disabled until the next begin().
    bool abortRequested() const { return abortRequested_; }

    QPushButton* stopControl() const { return stop_; }

  signals:
    // The user asked to stop the calculation (abort control, Escape or closing the window).
    void abortClicked();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void requestAbort();

    std::array<QLabel*, kLines> lines_{};
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool abortRequested_ = false;
};

} // namespace keltora::ui
