#include "WholeFile.h"

#include <QFileInfo>
#include <QSaveFile>

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    QSaveFile file(path);
    // The temporary file goes beside the target, so the rename cannot cross devices.
    file.setDirectWriteFallback(false);
    // Unbuffered: a write the disk refuses fails here, not unseen in a later flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError ||
        !file.commit()) {
        if (why)
            *why = fileError(file);
        file.cancelWriting();
        return false;
    }
    return true;
}

QString fileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("файла нет");
    if (info.isDir())
        return QStringLiteral("это папка, а не файл");
    if (!info.isFile())
        return QStringLiteral("это не обычный файл");
    if (!info.isReadable())
        return QStringLiteral("нет прав на чтение");
    return {};
}

QString fileError(const QFileDevice& file) {
    QString russian;
    switch (file.error()) {
    case QFileDevice::ReadError:
        russian = QStringLiteral("ошибка чтения");
        break;
    case QFileDevice::WriteError:
        russian = QStringLiteral("ошибка записи (нет места на диске?)");
        break;
    case QFileDevice::OpenError:
        russian = QStringLiteral("файл не открывается");
        break;
    case QFileDevice::PermissionsError:
        russian = QStringLiteral("нет прав");
        break;
    case QFileDevice::ResourceError:
        russian = QStringLiteral("не хватает места или памяти");
        break;
    default:
        russian = QStringLiteral("ошибка файла");
        break;
    }
    const QString system = file.errorString();
    return system.isEmpty() ? russian : QStringLiteral("%1 (%2)").arg(russian, system);
}
