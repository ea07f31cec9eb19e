#include "OveltaApplication.h"

#include "data/DbError.h"
#include "ui/DialogPlacement.h"
#include "ui/Prompts.h"

#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt's Russian texts leave key names in English, so a menu would say "Return": the keys a
// menu names are given the names Russian keyboards and manuals use.
class KeyNames : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QShortcut") != 0)
            return {};
        static const QHash<QByteArray, QString> names = {
            {"Return", QStringLiteral("Ввод")}, {"Enter", QStringLiteral("Ввод")},
            {"Del", QStringLiteral("Delete")},  {"Ins", QStringLiteral("Insert")},
            {"Esc", QStringLiteral("Esc")},     {"Space", QStringLiteral("Пробел")}};
        return names.value(source);
    }
};

} // namespace

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
    installTranslator(new KeyNames(this));
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
