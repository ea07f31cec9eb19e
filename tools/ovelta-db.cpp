// ovelta-db: the command-line companion of Ovelta. Makes new collection files and writes
// recipes out as documents.

#include "data/Database.h"
#include "data/Schema.h"
#include "recipes/RecipeDocument.h"

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
  ovelta-db rtf [--db FILE] ID [OUT]
      Записывает рецепт номер ID в виде документа RTF (тот же, что показывает программа)
      в файл OUT или на стандартный вывод. База — FILE, по умолчанию data.db.
      Writes recipe ID as the RTF document the program shows, to OUT or standard output,
      from the collection FILE (data.db unless given).
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

int rtfCommand(QStringList args) {
    QString dbPath = QStringLiteral("data.db");
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--db")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("после --db нужен файл / --db needs a file"));
            dbPath = args[++i];
        } else if (args[i].startsWith(QLatin1String("--db="))) {
            dbPath = args[i].mid(5);
        } else {
            rest << args[i];
        }
    }
    if (rest.isEmpty() || rest.size() > 2)
        return usageError(QStringLiteral("нужен номер рецепта / a recipe ID is needed"));
    bool ok = false;
    const int id = rest[0].toInt(&ok);
    if (!ok || id <= 0)
        return usageError(
            QStringLiteral("неверный номер рецепта / bad recipe ID: %1").arg(rest[0]));
    Database db;
    QByteArray doc;
    try {
        db.open(dbPath, Database::OpenMode::Existing);
        doc = recipeRtf(db, id);
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("ovelta-db: не могу прочитать базу / cannot read %1: %2\n")
                          .arg(dbPath, e.message()));
        return 1;
    }
    if (doc.isEmpty()) {
        print(stderr,
              QStringLiteral("ovelta-db: нет рецепта с номером %1 / no recipe %1\n").arg(id));
        return 1;
    }
    if (rest.size() == 1) {
        std::fwrite(doc.constData(), 1, size_t(doc.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QFile out(rest[1]);
    if (!out.open(QIODevice::WriteOnly) || out.write(doc) != doc.size() || !out.flush()) {
        print(stderr, QStringLiteral("ovelta-db: не могу записать / cannot write %1: %2\n")
                          .arg(rest[1], out.errorString()));
        out.close();
        out.remove();
        return 1;
    }
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
    if (command == QLatin1String("rtf"))
        return rtfCommand(args);
    return usageError(QStringLiteral("неизвестная команда / unknown command: %1").arg(command));
}
