#include "LockKeys.h"

#include <QDir>
#include <QFile>

namespace {

// Any keyboard with the light lit counts: the lights of all keyboards follow one state.
std::optional<bool> readLed(const QDir& dir, const QString& suffix) {
    std::optional<bool> state;
    const QStringList entries =
        dir.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        QFile file(dir.filePath(entry + QStringLiteral("/brightness")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        bool lit = file.readAll().trimmed().toInt() > 0;
        state = state.value_or(false) || lit;
    }
    return state;
}

} // namespace

LockKeyState readLockKeys(const QString& ledDirectory) {
    QDir dir(ledDirectory);
    return {readLed(dir, QStringLiteral("capslock")), readLed(dir, QStringLiteral("numlock")),
            readLed(dir, QStringLiteral("scrolllock"))};
}
