#pragma once

#include <QString>
#include <QStringList>

class Database;

namespace schema {

inline const QString currentVersion = QStringLiteral("3.01");
// Known versions, oldest first.
QStringList knownVersions();

// Creates every table, stored query and index of a collection at the given version
// (versions before 3.01 have no Menu table) and writes the "Ver" row.
void create(Database& db, const QString& version = currentVersion);

// Tables and stored queries a collection file must have to be opened at all.
QStringList requiredTables();
// True when opening the file would change it: an older version, or tables it lacks.
bool needsUpgrade(Database& db);
// The names among requiredTables() that the open file lacks.
QStringList missingTables(const Database& db);

struct UpgradeResult {
    QString from; // the version found ("" when there is no "Ver" row)
    QString to;   // the version the file has now
    bool changed() const { return from != to; }
};

// Brings an older file up to the current version in one transaction: on any failure the
// file is left exactly as it was and DbError is thrown. Unknown versions are left alone.
UpgradeResult upgrade(Database& db);

} // namespace schema
