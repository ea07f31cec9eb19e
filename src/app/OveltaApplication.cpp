#include "OveltaApplication.h"

#include "data/DbError.h"
#include "ui/DialogPlacement.h"
#include "ui/Prompts.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

OveltaApplication::OveltaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Settings land in ~/.config/Ovelta/Ovelta.conf, as the guide says.
    setOrganizationName(QStringLiteral("Ovelta"));
    setApplicationName(QStringLiteral("Ovelta"));
    // No display name: the window system would append it to every window title.
    setDesktopFileName(QStringLiteral("ovelta"));
    installEventFilter(new DialogPlacement(this));
    // Qt's own texts (standard buttons, print dialogs, text field menus) in Russian,
    // whatever the system's language.
    m_qtTranslator = new QTranslator(this);
    if (m_qtTranslator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                             QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(m_qtTranslator);
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
