#pragma once

#include <QIcon>
#include <QPixmap>

// The toolbar picture of a command: the desktop theme's icon where the theme has one,
// otherwise our own drawing, so that no button is ever blank.
QIcon commandIcon(int id);
// Our own drawing of a command's picture (16 by 16 at size 16).
QPixmap drawnCommandPixmap(int id, int size = 16);
// The program's icon: a cooking pot over an open book.
QIcon applicationIcon();
QPixmap applicationPixmap(int size);
