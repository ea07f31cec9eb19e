#pragma once

#include <QMainWindow>
#include <QStatusBar>

// Says something in the status bar of the main window that holds parent, for ms
// milliseconds (0: until something else is said). Nothing where there is no such window.
inline void sayInStatusBar(QWidget* parent, const QString& text, int ms = 0) {
    if (auto window = qobject_cast<QMainWindow*>(parent ? parent->window() : nullptr))
        window->statusBar()->showMessage(text, ms);
}
