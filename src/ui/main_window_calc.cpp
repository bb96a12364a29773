// The calculation commands of the main window: the calculation run, the result table, the
// figure and the report. Owned by the calculation part; wired here so that merges stay apart.
#include "ui/calculation_commands.h"
#include "ui/main_window.h"

namespace keltora::ui {

void MainWindow::wireCalculation()
{
    auto* commands = new CalculationCommands(*this);
    commands->setObjectName(QStringLiteral("CalculationCommands"));
    mine("CalRun", [commands] { commands->runCalculation(); });
    mine("Kekka", [commands] { commands->showResultTable(); });
    mine("PlotDraw", [commands] { commands->drawFigure(); });
    mine("PlotDxf", [commands] { commands->saveFigureDxf(); });
    mine("ReportPrint", [commands] { commands->printReport(); });
}

} // namespace keltora::ui
