#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to a file all at once or not at all: beside the target first, put in place
// only when every byte reached the disk. False, with the reason, when it could not.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why);

class QFileDevice;

// Why the file at path cannot be read as a file, in Russian: missing, a folder, something
// that is no regular file (a pipe, a device, which would hang a reader) or not readable.
// Empty when it is a readable regular file.
QString fileProblem(const QString& path);
// Why a file operation failed, in Russian, the system's own words after it in brackets.
QString fileError(const QFileDevice& file);
