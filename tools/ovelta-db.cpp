// ovelta-db: the command-line companion of Ovelta. Makes new collection files, writes
// recipes and the menu's product list out as documents, lists what can be cooked, and
// imports and exports exchange files.

#include "DbTool.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/WholeFile.h"
#include "exchange/ExchangeStore.h"
#include "intake/IntakeStore.h"
#include "intake/PageFetch.h"
#include "intake/RecipeReader.h"
#include "kitchen/KitchenStore.h"
#include "movein/MoveInStore.h"
#include "nutrition/NutritionStore.h"
#include "photos/PhotoImage.h"
#include "recipes/RecipeDocument.h"
#include "search/SearchStore.h"
#include "search/TextIndex.h"
#include "ui/Progress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

// True for no section, or one the collection has.
// 0 when no --section was given or it names a section; otherwise says so and gives 1.
int missingSection(Database& db, std::optional<int> section) {
    if (!section || !std::holds_alternative<std::monostate>(
                        db.scalar("SELECT 1 FROM Catalog WHERE ID=?", {qint64(*section)})))
        return 0;
    return failure(QStringLiteral("Раздел не найден в базе данных / no section %1").arg(*section));
}

// A command of one argument with "--db FILE" and "--section ID": the work runs on the
// collection once the section, when given, is known to be there.
int onSection(const QStringList& args,
              const std::function<int(Command&, Database&, std::optional<int>)>& work) {
    Command c(true, true);
    std::optional<int> section;
    if (QString e = c.parse(args, 1, 1); !e.isEmpty() || !(e = c.readSection(section)).isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        if (const int code = missingSection(db, section))
            return code;
        return work(c, db, section);
    });
}

// Prints the rows a command lists; 1 when standard output refuses them.
int printRows(const QString& rows) {
    print(stdout, rows);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Progress on a terminal: a percentage on standard error, rewritten in place.
class TerminalProgress : public Progress {
public:
    explicit TerminalProgress(const char* what) : m_what(what), m_on(isatty(2)) {}
    ~TerminalProgress() override { finish(); }
    // Ends the progress line, so that what is printed next starts on a line of its own.
    void finish() {
        if (m_on && m_shown >= 0)
            std::fputs("\n", stderr);
        m_shown = -1;
    }
    void setRange(qint64 low, qint64 high) override {
        m_low = low;
        m_high = high;
    }
    void setPosition(qint64 value) override {
        if (!m_on)
            return;
        const int percent = m_high > m_low ? int((value - m_low) * 100 / (m_high - m_low)) : 100;
        if (percent == m_shown)
            return;
        m_shown = percent;
        std::fprintf(stderr, "\r%s: %d%%", m_what, percent);
        std::fflush(stderr);
    }

private:
    const char* m_what;
    bool m_on;
    qint64 m_low = 0, m_high = 0;
    int m_shown = -1;
};

int create(const QStringList& args) {
    Command c(false);
    QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"),
                               schema::currentVersion);
    QCommandLineOption sample(QStringLiteral("sample"));
    c.parser.addOption(version);
    c.parser.addOption(sample);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return usageError(e);
    const QString file = c.arg(0);
    const QString v = c.parser.value(version);
    if (!schema::knownVersions().contains(v))
        return usageError(QStringLiteral("неизвестная версия / unknown version: %1 (%2)")
                              .arg(v, schema::knownVersions().join(QStringLiteral(", "))));
    if (c.parser.isSet(sample) && v != schema::currentVersion)
        return usageError(QStringLiteral("--sample только для версии / only for version %1")
                              .arg(schema::currentVersion));
    if (QFile::exists(file))
        return failure(QStringLiteral("файл уже существует, не перезаписываю / "
                                      "file exists, not overwriting: %1")
                           .arg(file));
    Database db;
    // A half-made collection is worse than none.
    auto giveUp = [&](const QString& why) {
        db.close();
        QFile::remove(file);
        return failure(QStringLiteral("не удалось создать / cannot create %1: %2").arg(file, why));
    };
    try {
        db.open(file, Database::OpenMode::Create);
        schema::create(db, v);
        if (c.parser.isSet(sample)) {
            NoProgress quiet;
            exchange::importBytes(db, exchange::starterCollection(), quiet);
            exchange::giveStarterServings(db);
            kitchen::addHouseholdStaples(db);
            nutrition::fillFromTable(db);
        }
        db.close();
    } catch (const DbError& e) {
        return giveUp(e.message());
    } catch (const exchange::ExchangeError& e) {
        return giveUp(e.message());
    }
    print(stdout, QStringLiteral("Создан файл %1 (версия %2)\n").arg(file, v));
    return 0;
}

int rtfCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 2); !e.isEmpty())
        return usageError(e);
    int id = 0;
    if (QString e = readRecipeId(c.arg(0), id); !e.isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        const QByteArray doc = recipeRtf(db, id);
        if (doc.isEmpty())
            return failure(QStringLiteral("нет рецепта с номером %1 / no recipe %1").arg(id));
        return writeOut(c.arg(1), doc);
    });
}

int menuRtfCommand(const QStringList& args) {
    Command c(true);
    QCommandLineOption grams(QStringLiteral("grams"));
    c.parser.addOption(grams);
    if (QString e = c.parse(args, 0, 1); !e.isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        return writeOut(c.arg(0), kitchen::menuProductListRtf(db, c.parser.isSet(grams)));
    });
}

int cookCommand(const QStringList& args) {
    Command c(true);
    QCommandLineOption missing(QStringLiteral("missing"), QString(), QStringLiteral("N"));
    c.parser.addOption(missing);
    if (QString e = c.parse(args, 0, 0); !e.isEmpty())
        return usageError(e);
    int maxMissing = -1;
    if (c.parser.isSet(missing)) {
        bool ok = false;
        maxMissing = c.parser.value(missing).toInt(&ok);
        if (!ok || maxMissing < 1 || maxMissing > kitchen::kMaxMissing)
            return usageError(
                QStringLiteral("--missing: число от 1 до 3 / a number from 1 to 3: %1")
                    .arg(c.parser.value(missing)));
    }
    if (maxMissing > 0)
        return onCollection(c, [&](Database& db) {
            NoProgress quiet;
            QString out;
            for (const kitchen::MissingDish& d : kitchen::whatIsMissing(db, maxMissing, quiet))
                out +=
                    QStringLiteral("%1\t%2\t%3\t%4\n")
                        .arg(QString::number(d.recipe), d.name, QString::number(d.missing.size()),
                             d.missing.join(QStringLiteral(", ")));
            return printRows(out);
        });
    return onCollection(c, [&](Database& db) {
        NoProgress quiet;
        const std::vector<kitchen::Dish> found = kitchen::whatToCook(db, quiet);
        if (found.empty()) {
            print(stderr, QStringLiteral("Не знаю, что можно приготовить из ваших продуктов\n"));
            return 0;
        }
        QString out;
        for (const kitchen::Dish& d : found)
            out += QStringLiteral("%1\t%2\n").arg(QString::number(d.recipe), d.name);
        return printRows(out);
    });
}

int importCollectionCommand(const QStringList& args) {
    return onSection(args, [](Command& c, Database& db, std::optional<int> section) {
        try {
            NoProgress quiet;
            const movein::Summary summary =
                movein::importCollection(db, c.arg(0), section.value_or(0), quiet);
            nutrition::fillFromTable(db);
            print(stdout, movein::summaryText(summary) + QLatin1Char('\n'));
            return 0;
        } catch (const movein::MoveInError& e) {
            return failure(e.message());
        } catch (const DbError& e) {
            return failure(QStringLiteral("не могу записать рецепты в базу / cannot write the "
                                          "recipes to %1: %2")
                               .arg(c.parser.value(c.db), e.message()));
        }
    });
}

int importRecipeCommand(const QStringList& args) {
    return onSection(args, [](Command& c, Database& db, std::optional<int> section) {
        const int sectionId = section.value_or(0);
        try {
            // A link is fetched with its photo; a file is read as it is.
            const bool link = intake::looksLikeLink(c.arg(0));
            const intake::ReadRecipe read =
                link ? intake::readLink(c.arg(0)) : intake::readFile(c.arg(0));
            std::optional<photos::Photo> photo;
            if (link && !read.photo.isEmpty()) {
                try {
                    photo = photos::normalise(read.photo, read.photoSource);
                } catch (const photos::PhotoError& e) {
                    print(stderr, e.message + QLatin1Char('\n'));
                }
            }
            const std::vector<intake::MatchedLine> lines =
                intake::Matcher(db).matchLines(read.ingredients);
            const QString title =
                read.title.isEmpty() ? QFileInfo(c.arg(0)).completeBaseName() : read.title;
            const int id = intake::storeRecipe(db, sectionId, title, lines,
                                               intake::methodWithNotes(read.method, lines),
                                               photo ? &*photo : nullptr, nullptr, read.yield);
            nutrition::fillFromTable(db);
            if (!read.notice.isEmpty())
                print(stderr, read.notice + QLatin1Char('\n'));
            print(stdout, QStringLiteral("%1\t%2\n").arg(QString::number(id), title));
            return 0;
        } catch (const intake::IntakeError& e) {
            return failure(e.message());
        } catch (const DbError& e) {
            return failure(QStringLiteral("не могу записать рецепт в базу / cannot write the "
                                          "recipe to %1: %2")
                               .arg(c.parser.value(c.db), e.message()));
        }
    });
}

int findCommand(const QStringList& args) {
    Command c(true);
    QCommandLineOption text(QStringLiteral("text"));
    c.parser.addOption(text);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return usageError(e);
    return readingCollection(c, [&](Database& db) {
        std::vector<search::Found> found;
        if (c.parser.isSet(text)) {
            // As the program does at start-up: the file brought to the current version (with
            // the index when it has none), and the recipes changed since the index was last
            // brought up to date indexed first.
            schema::upgrade(db);
            TerminalProgress progress("Индекс");
            search::refreshTextIndex(db, progress);
            progress.finish();
            found = search::findByText(db, c.arg(0));
        } else {
            found = search::findByNameAsTyped(db, c.arg(0));
        }
        QString out;
        for (const search::Found& f : found)
            out += QStringLiteral("%1\t%2\n").arg(QString::number(f.recipe), f.name);
        return printRows(out);
    });
}

int shoppingListCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 1); !e.isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        return writeOut(c.arg(0), kitchen::shoppingListText(db).toUtf8());
    });
}

int importCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        try {
            TerminalProgress progress("Импорт");
            const exchange::ImportResult r = exchange::importFile(db, c.arg(0), progress);
            progress.finish();
            nutrition::fillFromTable(db);
            print(stdout, exchange::importSummary(r) + QLatin1Char('\n'));
            return 0;
        } catch (const exchange::ExchangeError& e) {
            return failure(QStringLiteral("%1: %2").arg(c.arg(0), e.message()));
        }
    });
}

int exportCommand(const QStringList& args) {
    return onSection(args, [](Command& c, Database& db, std::optional<int> id) {
        try {
            const exchange::ExportResult r = exchange::exportToFile(db, id, c.arg(0));
            QStringList out{QStringLiteral("Разделов: %1, рецептов: %2, строк: %3, заменено "
                                           "символов: %4")
                                .arg(QString::number(r.sections), QString::number(r.recipes),
                                     QString::number(r.lines), QString::number(r.replaced))};
            out << exchange::exportWarnings(r);
            print(stdout, out.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            return 0;
        } catch (const exchange::ExchangeError& e) {
            return failure(e.message());
        }
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    // "--db FILE" may stand before the command as well as after it.
    QStringList leading;
    auto isDb = [](const QString& a) {
        return a == QLatin1String("--db") || a == QLatin1String("-db");
    };
    while (!args.isEmpty() &&
           (isDb(args.first()) || args.first().startsWith(QLatin1String("--db=")))) {
        const bool separate = isDb(args.first());
        leading << args.takeFirst();
        if (separate && !args.isEmpty())
            leading << args.takeFirst();
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("не указана команда / no command given"));
    const QString command = args.takeFirst();
    args = leading + args;
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        print(stdout, QString::fromUtf8(kUsage));
        return 0;
    }
    if (command == QLatin1String("create"))
        return create(args);
    if (command == QLatin1String("rtf"))
        return rtfCommand(args);
    if (command == QLatin1String("menu-rtf"))
        return menuRtfCommand(args);
    if (command == QLatin1String("cook"))
        return cookCommand(args);
    if (command == QLatin1String("import-recipe"))
        return importRecipeCommand(args);
    if (command == QLatin1String("find"))
        return findCommand(args);
    if (command == QLatin1String("shopping-list"))
        return shoppingListCommand(args);
    if (command == QLatin1String("import"))
        return importCommand(args);
    if (command == QLatin1String("export"))
        return exportCommand(args);
    if (command == QLatin1String("backup"))
        return backupCommand(args);
    if (command == QLatin1String("backups"))
        return backupsCommand(args);
    if (command == QLatin1String("restore"))
        return restoreCommand(args);
    if (command == QLatin1String("check"))
        return checkCommand(args);
    if (command == QLatin1String("delete"))
        return deleteCommand(args);
    if (command == QLatin1String("trash"))
        return trashCommand(args);
    if (command == QLatin1String("undelete"))
        return undeleteCommand(args);
    if (command == QLatin1String("cooked"))
        return cookedCommand(args);
    if (command == QLatin1String("history"))
        return historyCommand(args);
    if (command == QLatin1String("plan"))
        return planCommand(args);
    if (command == QLatin1String("recipe"))
        return recipeCommand(args);
    if (command == QLatin1String("photo"))
        return photoCommand(args);
    if (command == QLatin1String("import-collection"))
        return importCollectionCommand(args);
    if (command == QLatin1String("nutrition"))
        return nutritionCommand(args);
    if (command == QLatin1String("product"))
        return productCommand(args);
    return usageError(QStringLiteral("неизвестная команда / unknown command: %1").arg(command));
}
