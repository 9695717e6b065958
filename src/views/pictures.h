#pragma once

#include <QImage>

namespace cadenzo {

// The pictures the main window keeps for its views, drawn by Cadenzo itself at start and again
// for a screen of another device pixel ratio. Sizes are logical; the pictures are device-sized
// for `ratio`, their text drawn at the device's resolution.

// One fret cell, 50 x 120: white room for the fret number on rows 0..18, the wooden fingerboard
// on rows 19..114, six strings on rows 30, 45, ... 105 (the lower three wound), the fret wire at
// x = 2..6.
QImage makeFretCellPicture(qreal ratio);

// The whole neck background, 1250 x `height`: 25 fret cells, position dots and fret numbers.
QImage makeNeckImage(int height, qreal ratio);

// The piano roll's keyboard strip, 105 x 432, six rows per semitone, MIDI 107 on top.
QImage makeKeyboardPicture(qreal ratio);

// The background of the TAB & MML view, 120 x 177.
QImage makeTabPicture(qreal ratio);

} // namespace cadenzo
