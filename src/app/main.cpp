#include "app/CCookbookApp.h"
#include "ui/Icons.h"
#include "app/OveltaApplication.h"

int main(int argc, char* argv[]) {
    OveltaApplication app(argc, argv);
    QApplication::setWindowIcon(applicationIcon());
    CCookbookApp cookbook;
    if (!cookbook.initInstance())
        return 1;
    return QApplication::exec();
}
