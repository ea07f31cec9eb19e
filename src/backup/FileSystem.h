#pragma once

#include <QString>

// Where a collection file lies, as far as its safety goes: SQLite files on network file
// systems and in folders that sync clients copy behind the program's back can be damaged.
namespace backup {

enum class Risk { None, Network, Synced };
// What the folder of the file is; Synced when the file lies in a Dropbox, Nextcloud,
// ownCloud, Syncthing, Yandex.Disk or similar folder (by the client's marks or names).
Risk riskOf(const QString& file);
// What to tell the user, in Russian; empty for None.
QString riskText(Risk risk);

} // namespace backup
