#include "app/CCookbookApp.h"
#include "app/OveltaApplication.h"
#include "ui/Icons.h"

int main(int argc, char* argv[]) {
    OveltaApplication app(argc, argv);
    QApplication::setWindowIcon(applicationIcon());
    CCookbookApp cookbook;
    if (!cookbook.initInstance())
        return 1;
    return QApplication::exec();
}
