// The calculation commands of the main window: the calculation run, the result table, the
// figure and the report. Owned by the calculation part; wired here so that merges stay apart.
#include "ui/main_window.h"

namespace keltora::ui {

void MainWindow::wireCalculation()
{
    // CalRun, Kekka, PlotDraw, ReportPrint
}

} // namespace keltora::ui
