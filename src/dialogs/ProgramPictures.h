#pragma once
#include <QPixmap>

// The program's own pictures, drawn in code (no image files ship with it), shared by the
// windows that show them.
QPixmap ProgramLogo(int size);   // a till drawer under a receipt, on the program's blue
QPixmap EuroPicture(int size);   // the euro sign on a blue disc
