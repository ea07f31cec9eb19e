#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/vfs.h>

namespace backup {

namespace {

// The kinds statfs names for file systems of other machines.
bool networkKind(long kind) {
    switch (static_cast<unsigned long>(kind)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564C4041UL: // NCP
    case 0x65735546UL: // FUSE (sshfs and the like)
    case 0x01021997UL: // 9P
    case 0x47504653UL: // GPFS
    case 0x6B414653UL: // AFS
    case 0x73757245UL: // Coda
        return true;
    default:
        return false;
    }
}

bool syncedFolder(const QDir& dir) {
    // The marks each client leaves in the folder it watches.
    for (const char* mark :
         {".dropbox", ".dropbox.cache", ".stfolder", ".sync", ".owncloudsync.log",
          ".nextcloudsync.log", ".sync_journal.db", ".yandex.disk"})
        if (QFileInfo::exists(dir.filePath(QString::fromLatin1(mark))))
            return true;
    const QString name = dir.dirName().toLower();
    for (const char* client : {"dropbox", "nextcloud", "owncloud", "syncthing", "yandex.disk",
                               "yandexdisk", "google drive", "onedrive", "mega", "pcloud"})
        if (name == QLatin1String(client) ||
            name.startsWith(QLatin1String(client) + QLatin1Char(' ')))
            return true;
    return false;
}

} // namespace

Risk riskOf(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    struct statfs about {};
    if (::statfs(QFile::encodeName(folder).constData(), &about) == 0 && networkKind(about.f_type))
        return Risk::Network;
    for (QDir dir(folder);;) {
        if (syncedFolder(dir))
            return Risk::Synced;
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    return Risk::None;
}

QString riskText(Risk risk) {
    const QString why =
        QStringLiteral("Файл базы данных там может повредиться, если его запишут два компьютера "
                       "или программа синхронизации скопирует его на середине записи. Держите "
                       "коллекцию на своём диске, а для переноса между компьютерами пользуйтесь "
                       "«Экспортом всего содержания» или резервными копиями из папки backups.");
    switch (risk) {
    case Risk::Network:
        return QStringLiteral("Коллекция лежит на сетевом диске. ") + why;
    case Risk::Synced:
        return QStringLiteral("Коллекция лежит в папке, которую синхронизирует облачная "
                              "программа. ") +
               why;
    case Risk::None:
        break;
    }
    return {};
}

} // namespace backup
