// ovelta-db: the command-line companion of Ovelta. Makes new collection files.

#include "data/Database.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

void print(FILE* out, const QString& text) {
    QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

const char* const kUsage = R"(Использование / usage:
  ovelta-db create [--version 1.01|2.01|2.02|3.01] FILE
      Создаёт новый пустой файл коллекции рецептов (по умолчанию версии 3.01).
      Существующий файл не перезаписывается.
      Creates a new, empty recipe collection file (version 3.01 unless given).
      An existing file is never overwritten.
  ovelta-db --help
      Эта справка / this help.

Коды выхода / exit status: 0 успех / success, 1 ошибка / error, 2 неверный вызов / bad usage.
)";

int usageError(const QString& message) {
    print(stderr, QStringLiteral("ovelta-db: %1\n\n").arg(message));
    print(stderr, QString::fromUtf8(kUsage));
    return 2;
}

int create(const QStringList& args) {
    QString version = schema::currentVersion;
    QString file;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--version")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("после --version нужна версия / "
                                                 "--version needs a value"));
            version = args[++i];
        } else if (a.startsWith(QLatin1String("--version="))) {
            version = a.mid(10);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(QStringLiteral("неизвестный параметр / unknown option: %1").arg(a));
        } else if (file.isEmpty()) {
            file = a;
        } else {
            return usageError(QStringLiteral("лишний аргумент / extra argument: %1").arg(a));
        }
    }
    if (file.isEmpty())
        return usageError(QStringLiteral("не указан файл / no file given"));
    if (!schema::knownVersions().contains(version))
        return usageError(QStringLiteral("неизвестная версия / unknown version: %1 (%2)")
                              .arg(version, schema::knownVersions().join(QStringLiteral(", "))));
    if (QFile::exists(file)) {
        print(stderr, QStringLiteral("ovelta-db: файл уже существует, не перезаписываю / "
                                     "file exists, not overwriting: %1\n")
                          .arg(file));
        return 1;
    }
    Database db;
    try {
        db.open(file, Database::OpenMode::Create);
        schema::create(db, version);
        db.close();
    } catch (const DbError& e) {
        db.close();
        QFile::remove(file);
        print(stderr, QStringLiteral("ovelta-db: не удалось создать / cannot create %1: %2\n")
                          .arg(file, e.message()));
        return 1;
    }
    print(stdout, QStringLiteral("Создан файл %1 (версия %2)\n").arg(file, version));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("не указана команда / no command given"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        print(stdout, QString::fromUtf8(kUsage));
        return 0;
    }
    if (command == QLatin1String("create"))
        return create(args);
    return usageError(QStringLiteral("неизвестная команда / unknown command: %1").arg(command));
}
