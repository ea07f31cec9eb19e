#include "OveltaApplication.h"

#include "ui/Prompts.h"
#include "data/DbError.h"

OveltaApplication::OveltaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Ovelta"));
    setApplicationDisplayName(QStringLiteral("Ovelta"));
    setDesktopFileName(QStringLiteral("ovelta"));
}

bool OveltaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& e) {
        Prompts::databaseError(activeWindow(), e.message());
    } catch (const std::exception& e) {
        Prompts::error(activeWindow(), QStringLiteral("Внутренняя ошибка программы:\n%1")
                                           .arg(QString::fromLocal8Bit(e.what())));
    }
    return false;
}
