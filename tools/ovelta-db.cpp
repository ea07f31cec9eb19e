// ovelta-db: the command-line companion of Ovelta. Makes new collection files, writes
// recipes and the menu's product list out as documents, lists what can be cooked, and
// imports and exports exchange files.

#include "data/Database.h"
#include "data/Schema.h"
#include "data/WholeFile.h"
#include "exchange/ExchangeStore.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "kitchen/KitchenStore.h"
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

void print(FILE* out, const QString& text) {
    QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

const char* const kUsage = R"(Использование / usage:
  ovelta-db create [--version 1.01|2.01|2.02|3.01] [--sample] FILE
      Создаёт новый файл коллекции рецептов (по умолчанию версии 3.01); с --sample в нём
      сразу есть стартовая коллекция рецептов. Существующий файл не перезаписывается.
      Creates a new recipe collection file (version 3.01 unless given); with --sample it
      holds the starter recipes. An existing file is never overwritten.
  ovelta-db rtf [--db FILE] ID [OUT]
      Записывает рецепт номер ID в виде документа RTF (тот же, что показывает программа)
      в файл OUT или на стандартный вывод.
      Writes recipe ID as the RTF document the program shows, to OUT or standard output.
  ovelta-db menu-rtf [--db FILE] [OUT]
      Записывает список продуктов для меню документом RTF.
      Writes the menu's product list as the RTF document the program shows.
  ovelta-db cook [--db FILE] [--missing N]
      Перечисляет рецепты, которые можно приготовить из имеющихся продуктов: номер,
      табуляция, название. Lists what can be cooked: ID, a tab, the name.
      С --missing N (1-3) — рецепты, которым не хватает не больше N продуктов: номер,
      название, сколько не хватает и чего, через табуляцию.
      With --missing N (1-3): recipes lacking at most N products: ID, name, how many
      and which, tab-separated.
  ovelta-db import-recipe [--db FILE] [--section ID] FILE
      Добавляет рецепт из сохранённой веб-страницы (.html), файла schema.org Recipe (.json)
      или текста (.txt); продукты и единицы сопоставляются с имеющимися. Печатает номер
      и название нового рецепта.
      Adds a recipe from a saved web page, a schema.org Recipe JSON file or text, its
      products and units matched to the collection's; prints the new recipe's ID and name.
  ovelta-db find [--db FILE] [--text] TEXT
      Ищет рецепты, как поле поиска программы: по части названия или (с --text) по
      словам названия, продуктов и описания в любой форме. Номер, табуляция, название.
      Finds recipes as the program's search box does: by part of the name, or (--text) by
      the words of names, products and methods in any form. ID, a tab, the name.
  ovelta-db shopping-list [--db FILE] [OUT]
      Записывает список покупок (UTF-8, продукт на строку) в OUT или на стандартный вывод.
      Writes the shopping list as UTF-8 text, a product a line.
  ovelta-db import [--db FILE] IN
      Добавляет в коллекцию разделы и рецепты из файла обмена IN (всё или ничего).
      Adds the sections and recipes of exchange file IN, all or nothing.
  ovelta-db export [--db FILE] [--section ID] OUT
      Записывает раздел ID (или всю коллекцию) в файл обмена OUT.
      Writes section ID (or the whole collection) to exchange file OUT.
  ovelta-db --help
      Эта справка / this help.

База — FILE, по умолчанию data.db в текущей папке; --db FILE можно указать и перед командой.
The collection is FILE, data.db in the working folder unless given; --db may also come first.
Коды выхода / exit status: 0 успех / success, 1 ошибка / error, 2 неверный вызов / bad usage.
)";

int usageError(const QString& message) {
    print(stderr, QStringLiteral("ovelta-db: %1\n\n").arg(message));
    print(stderr, QString::fromUtf8(kUsage));
    return 2;
}

int failure(const QString& message) {
    print(stderr, QStringLiteral("ovelta-db: %1\n").arg(message));
    return 1;
}

// QCommandLineParser says what is wrong in English only; the tool speaks Russian first and
// keeps the English beside it, as its usage text does.
QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("неизвестный параметр / unknown option: --%1").arg(unknown.first());
    const QString english = parser.errorText();
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'"));
    static const QRegularExpression unexpected(QStringLiteral("^Unexpected value after '(.*)'"));
    if (const QRegularExpressionMatch m = missing.match(english); m.hasMatch())
        return QStringLiteral("нет значения после / missing value after %1").arg(m.captured(1));
    if (const QRegularExpressionMatch m = unexpected.match(english); m.hasMatch())
        return QStringLiteral("лишнее значение после / unexpected value after %1")
            .arg(m.captured(1));
    return QStringLiteral("неверный вызов / %1").arg(english);
}

// One command's options and arguments. Unknown options and a wrong number of
// arguments are usage errors.
struct Command {
    QCommandLineParser parser;
    QCommandLineOption db{QStringLiteral("db"), QString(), QStringLiteral("FILE"),
                          QStringLiteral("data.db")};

    QCommandLineOption section{QStringLiteral("section"), QString(), QStringLiteral("ID")};

    explicit Command(bool withDb, bool withSection = false) {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        if (withDb)
            parser.addOption(db);
        if (withSection)
            parser.addOption(section);
    }
    // "--section ID": the number when given; an error text when ID is no section number.
    QString readSection(std::optional<int>& id) const {
        if (!parser.isSet(section))
            return {};
        bool ok = false;
        id = parser.value(section).toInt(&ok);
        if (!ok || *id <= 0)
            return QStringLiteral("неверный номер раздела / bad section ID: %1")
                .arg(parser.value(section));
        return {};
    }
    // An error text, empty when the arguments fit.
    QString parse(const QStringList& args, int minArgs, int maxArgs) {
        if (!parser.parse(QStringList{QStringLiteral("ovelta-db")} + args))
            return parseError(parser);
        const qsizetype n = parser.positionalArguments().size();
        if (n < minArgs)
            return QStringLiteral("не хватает аргументов / missing arguments");
        if (n > maxArgs)
            return QStringLiteral("лишний аргумент / extra argument: %1")
                .arg(parser.positionalArguments().value(maxArgs));
        return {};
    }
    QString arg(int i) const { return parser.positionalArguments().value(i); }
    qsizetype argCount() const { return parser.positionalArguments().size(); }
};

// True for no section, or one the collection has.
// 0 when no --section was given or it names a section; otherwise says so and gives 1.
int missingSection(Database& db, std::optional<int> section) {
    if (!section || !std::holds_alternative<std::monostate>(
                        db.scalar("SELECT 1 FROM Catalog WHERE ID=?", {qint64(*section)})))
        return 0;
    return failure(QStringLiteral("Раздел не найден в базе данных / no section %1").arg(*section));
}

// Prints the rows a command lists; 1 when standard output refuses them.
int printRows(const QString& rows) {
    print(stdout, rows);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

bool openDb(Database& db, const QString& path, QString& error) {
    try {
        db.open(path, Database::OpenMode::Existing);
        return true;
    } catch (const DbError& e) {
        error = QStringLiteral("не могу открыть базу / cannot open %1: %2").arg(path, e.message());
        return false;
    }
}

// Writes bytes to a file, or to standard output when path is empty. A failed write
// leaves no partial file.
int writeOut(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QString why;
    if (!writeWholeFile(path, bytes, &why))
        return failure(QStringLiteral("не могу записать / cannot write %1: %2").arg(path, why));
    return 0;
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
            kitchen::addHouseholdStaples(db);
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

// Opens the collection the command names and runs its work on it; a failure to open or
// to read ends the command with the reason.
int onCollection(Command& c, const std::function<int(Database&)>& work) {
    Database db;
    QString error;
    if (!openDb(db, c.parser.value(c.db), error))
        return failure(error);
    try {
        return work(db);
    } catch (const DbError& e) {
        return failure(QStringLiteral("не могу прочитать базу / cannot read %1: %2")
                           .arg(c.parser.value(c.db), e.message()));
    }
}

int rtfCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 2); !e.isEmpty())
        return usageError(e);
    bool ok = false;
    const int id = c.arg(0).toInt(&ok);
    if (!ok || id <= 0)
        return usageError(
            QStringLiteral("неверный номер рецепта / bad recipe ID: %1").arg(c.arg(0)));
    return onCollection(c, [&](Database& db) {
        const QByteArray doc = recipeRtf(db, id);
        if (doc.isEmpty())
            return failure(QStringLiteral("нет рецепта с номером %1 / no recipe %1").arg(id));
        return writeOut(c.arg(1), doc);
    });
}

int menuRtfCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 1); !e.isEmpty())
        return usageError(e);
    return onCollection(
        c, [&](Database& db) { return writeOut(c.arg(0), kitchen::menuProductListRtf(db)); });
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

int importRecipeCommand(const QStringList& args) {
    Command c(true, true);
    std::optional<int> section;
    if (QString e = c.parse(args, 1, 1); !e.isEmpty() || !(e = c.readSection(section)).isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        if (const int code = missingSection(db, section))
            return code;
        const int sectionId = section.value_or(0);
        try {
            const intake::ReadRecipe read = intake::readFile(c.arg(0));
            const std::vector<intake::MatchedLine> lines =
                intake::Matcher(db).matchLines(read.ingredients);
            const QString title =
                read.title.isEmpty() ? QFileInfo(c.arg(0)).completeBaseName() : read.title;
            const int id = intake::storeRecipe(db, sectionId, title, lines,
                                               intake::methodWithNotes(read.method, lines));
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
    return onCollection(c, [&](Database& db) {
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
            print(stdout, exchange::importSummary(r) + QLatin1Char('\n'));
            return 0;
        } catch (const exchange::ExchangeError& e) {
            return failure(QStringLiteral("%1: %2").arg(c.arg(0), e.message()));
        }
    });
}

int exportCommand(const QStringList& args) {
    Command c(true, true);
    std::optional<int> id;
    if (QString e = c.parse(args, 1, 1); !e.isEmpty() || !(e = c.readSection(id)).isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        if (const int code = missingSection(db, id))
            return code;
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
    return usageError(QStringLiteral("неизвестная команда / unknown command: %1").arg(command));
}
