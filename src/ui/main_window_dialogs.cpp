// The dialog commands of the main window: conditions, circle and line settings, drawing
// and display settings, table editors, the DXF import. Wired here so that merges stay apart.
#include "ui/main_window.h"

namespace keltora::ui {

void MainWindow::wireDialogs()
{
    // CalSet, CirSet, DrawSet, DispSet, Nen, Yaita, XYEdit, LNEdit, Dxf, BitBtnXY
}

} // namespace keltora::ui
