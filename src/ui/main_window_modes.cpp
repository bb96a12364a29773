// The mouse edit modes of the main window: points, lines, blocks, constructions, label
// placements, checks, undo. Wired here so that merges stay apart.
#include "ui/main_window.h"

namespace keltora::ui {

void MainWindow::wireEditModes()
{
    // Undo, Redo, PAdd.., LAdd.., LDel.., Tanten.., KAdd.., BAdd.., Kessen, BlkCheck,
    // Waku, Name, LDraw, LNotDraw, DJTate, DJYoko, K1..K6, G1U..G3B, Y01..Y64, Anzen, Circ
}

} // namespace keltora::ui
