#include "WholeFile.h"

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
            *why = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
