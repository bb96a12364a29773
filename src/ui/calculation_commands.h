// The calculation commands of the main window: the calculation on the worker thread with
// the message window, the result table, the figure and the report. One object per main
// window, created by its wireCalculation().
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "ui/calculation_worker.h"
#include "ui/external_launch.h"

class QAction;

namespace keltora::ui {

class MainWindow;
class MessageWindow;
class ResultTableDialog;

class CalculationCommands : public QObject {
    Q_OBJECT
  public:
    explicit CalculationCommands(MainWindow& window);
    ~CalculationCommands() override;

    // "安定検討計算(&A)": starts the calculation of the document's model on the worker
    // thread. Nothing happens while one is running.
    void runCalculation();
    // "計算結果の表示(&D)": the result table, modal.
    void showResultTable();
    // "計算対象図の作図(&D)" and "計算書の印刷(&P)": files into the start directory, then
    // the plotter or the report viewer, waited for on a thread.
    void drawFigure();
    void printReport();
    // "計算対象図をDXFで保存(&X)...": the same composed figure as the plotter's, written
    // as a DXF drawing under a name the user chooses. False when cancelled or not written
    // (the reason is shown).
    bool saveFigureDxf();

    bool isCalculating() const { return worker_->isRunning(); }
    CalculationWorker& worker() { return *worker_; }
    MessageWindow& messageWindow() { return *messageWindow_; }
    ResultTableDialog& resultTable() { return *resultTable_; }
    ExternalLauncher& launcher() { return *launcher_; }

  signals:
    // The run has been applied to the document and its messages shown.
    void calculationFinished();

  private:
    void onProgress(const CalculationProgress& progress);
    void onFinished(const CalculationRun& run);
    void onLaunchFinished(ExternalLauncher::Job job, const LaunchOutcome& outcome);
    void setBusy(bool busy);
    void updateLaunchCommands();

    MainWindow& window_;
    CalculationWorker* worker_ = nullptr;
    MessageWindow* messageWindow_ = nullptr;
    ResultTableDialog* resultTable_ = nullptr;
    ExternalLauncher* launcher_ = nullptr;
    std::vector<QPointer<QAction>> disabled_; // what setBusy(true) disabled
};

} // namespace keltora::ui
