#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to a file all at once or not at all: beside the target first, put in place
// only when every byte reached the disk. False, with the reason, when it could not.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why);
