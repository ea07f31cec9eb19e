#include "app/CCookbookApp.h"
#include "app/Icons.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovelta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ovelta"));
    QApplication::setDesktopFileName(QStringLiteral("ovelta"));
    QApplication::setWindowIcon(applicationIcon());
    CCookbookApp cookbook;
    if (!cookbook.initInstance())
        return 1;
    return QApplication::exec();
}
