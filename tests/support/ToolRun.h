#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of ovelta-db: its exit code (-1 when it crashed or hung), and what it wrote.
struct ToolRun {
    int exitCode;
    QString out;
    QString err;
    QByteArray bytes; // standard output as written
};

inline ToolRun runTool(const QStringList& args, const QString& workingDir = {}) {
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.start(QStringLiteral(OVELTA_DB_TOOL), args);
    p.waitForFinished(60000);
    const QByteArray out = p.readAllStandardOutput();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(out),
            QString::fromUtf8(p.readAllStandardError()), out};
}
