// The pictures of the four sand pile shear strength formulas beside the up/down control of
// the calculation conditions dialog, drawn by us with QPainter.
#pragma once

#include <QPixmap>
#include <QSize>

namespace keltora::ui {

// The formula of code 0..3 (other codes draw code 3's), on a white card of `size`.
QPixmap sandPileFormulaPicture(int formula, QSize size, qreal devicePixelRatio = 1.0);

} // namespace keltora::ui
