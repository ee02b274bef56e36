#pragma once
// The window's small pictures, drawn at start so that the program needs no image files.
#include <QPixmap>

namespace icons {

QPixmap LinkDown(int size);   // link inactive: grey, unplugged
QPixmap LinkUp(int size);     // link active: green, plugged
QPixmap Exit(int size);       // leave the program
QPixmap Infrared(int size);   // decoration: a module sending infrared
QPixmap Learn(int size);      // the learn button's picture
QPixmap Bracket(int height);  // red square bracket marking the rows the work mode uses
QPixmap LampOff(int size);    // port closed: a dark ring
QPixmap LampOn(int size);     // port open: a red dot
QPixmap ClearTrace(int size); // wipe one channel's waveform

} // namespace icons
