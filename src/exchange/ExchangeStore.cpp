#include "ExchangeStore.h"

#include "ExchangeFormat.h"
#include "data/Database.h"
#include "ui/Progress.h"

#include <QFileInfo>
#include <sqlite3.h>
#include <unordered_set>

// Resources of a static library are registered by hand, outside any namespace.
static void initSampleResource() {
    Q_INIT_RESOURCE(sample);
}

namespace exchange {

// --- import ----------------------------------------------------------------------------

namespace {

std::function<void(int)>& lineHook() {
    static std::function<void(int)> hook;
    return hook;
}

class Importer : public ReaderSink {
public:
    Importer(Database& db, Progress& progress)
        : m_db(db), m_progress(progress),
          m_addSection(db, SqlText("INSERT INTO Catalog (Parent, Name) VALUES (?, ?)")),
          m_addRecipe(db, SqlText("INSERT INTO Recipes (Catalog, Name) VALUES (?, ?)")),
          m_setText(db, SqlText("UPDATE Recipes SET Recipe=? WHERE ID=?")),
          m_addLine(db, SqlText("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, "
                                "Have) VALUES (?, ?, ?, ?, ?)")),
          m_productChoices{
              Statement(db, SqlText("INSERT INTO Ingredient (Name) VALUES (?)")),
              Statement(db, SqlText("INSERT INTO Import_Ingredient (Name, ID) VALUES (?, ?)")),
              {}},
          m_unitChoices{Statement(db, SqlText("INSERT INTO Units (Name) VALUES (?)")),
                        Statement(db, SqlText("INSERT INTO Import_Units (Name, ID) VALUES (?, ?)")),
                        {}} {
        Statement products(db, SqlText("SELECT ID, Name FROM Ingredient ORDER BY ID"));
        while (products.step())
            rememberProduct(int(products.int64(0)), products.text(1));
        Statement units(db, SqlText("SELECT ID, Name FROM Units ORDER BY ID"));
        while (units.step())
            m_units.push_back({int(units.int64(0)), units.text(1)});
        Statement available(db, SqlText("SELECT ID FROM Products UNION SELECT ID FROM "
                                        "ProductsAlways"));
        while (available.step())
            m_available.insert(int(available.int64(0)));
    }

    ImportResult& result() { return m_result; }
    int lineNumber() const { return m_line; }

    void reached(int lineNumber, qint64 offset) override {
        m_line = lineNumber;
        m_position = offset;
        if (lineHook())
            lineHook()(m_line);
    }

    int section(const QString& name, int parent) override {
        checkLength(QStringLiteral("название раздела"), name, kMaxNameLength);
        m_progress.setPosition(m_position);
        m_addSection.reset();
        m_addSection.bind(1, qint64(parent));
        m_addSection.bind(2, name);
        m_addSection.run();
        const int id = int(m_db.lastInsertRowId());
        if (parent == 0)
            m_result.topSections.push_back(id);
        ++m_result.sections;
        return id;
    }

    int recipe(const QString& name, int section) override {
        checkLength(QStringLiteral("название рецепта"), name, kMaxNameLength);
        m_progress.setPosition(m_position);
        m_addRecipe.reset();
        m_addRecipe.bind(1, qint64(section));
        m_addRecipe.bind(2, name);
        m_addRecipe.run();
        const int id = int(m_db.lastInsertRowId());
        if (section == 0)
            m_result.rootRecipes.push_back(id);
        ++m_result.recipes;
        return id;
    }

    void description(int recipe, const QString& text) override {
        checkLength(QStringLiteral("описание рецепта"), text, kMaxTextLength);
        m_setText.reset();
        m_setText.bind(1, text);
        m_setText.bind(2, qint64(recipe));
        m_setText.run();
    }

    void line(int recipe, int product, float quantity, int unit) override {
        m_addLine.reset();
        m_addLine.bind(1, qint64(recipe));
        m_addLine.bind(2, qint64(product));
        m_addLine.bind(3, double(quantity));
        m_addLine.bind(4, qint64(unit));
        m_addLine.bind(5, qint64(m_available.count(product) ? 1 : 0));
        m_addLine.run();
        ++m_result.lines;
    }

    int product(const QString& name) override {
        checkLength(QStringLiteral("название продукта"), name, kMaxNameLength);
        return choose(
            m_productChoices, name, m_result.newProducts,
            [&] {
                const ProductKey key = productKey(name);
                const auto bucket = m_productsByLength.find(key.length);
                if (bucket != m_productsByLength.end())
                    for (const auto& stored : bucket->second)
                        if (productMatches(key, stored.second))
                            return stored.first;
                return 0;
            },
            [&](int id) { rememberProduct(id, name); });
    }

    int unit(const QString& name) override {
        checkLength(QStringLiteral("название единицы"), name, kMaxNameLength);
        return choose(
            m_unitChoices, name, m_result.newUnits,
            [&] {
                for (const auto& stored : m_units)
                    if (unitMatches(name, stored.second))
                        return stored.first;
                return 0;
            },
            [&](int id) {
                m_units.push_back({id, name});
            });
    }

private:
    static constexpr qsizetype kMaxNameLength = 255;
    static constexpr qsizetype kMaxTextLength = 65535;

    // The collection's limits, said in words rather than in the engine's English.
    static void checkLength(const QString& what, const QString& text, qsizetype limit) {
        if (text.size() <= limit)
            return;
        const qsizetype length = text.toUcs4().size(); // the engine counts characters
        if (length <= limit)
            return;
        throw DbError(SQLITE_CONSTRAINT, QStringLiteral("%1 «%2…» длиннее %3 знаков (в нём %4)")
                                             .arg(what, text.left(40), QString::number(limit),
                                                  QString::number(length)));
    }

    // How the names of one dictionary met in the file are decided: the choice made for each
    // name (also kept in the work table), and the statements that add a new entry and
    // record a choice.
    struct NameChoices {
        Statement add;
        Statement record;
        std::unordered_map<QString, int> chosen;
    };

    // The entry for a name as written: the one chosen before, else the first stored entry
    // that matches, else a new one.
    template <class Match, class Made>
    int choose(NameChoices& names, const QString& name, int& created, Match match, Made made) {
        if (auto it = names.chosen.find(name); it != names.chosen.end())
            return it->second;
        int id = match();
        if (id == 0) {
            names.add.reset();
            names.add.bind(1, name);
            names.add.run();
            id = int(m_db.lastInsertRowId());
            made(id);
            ++created;
        }
        names.record.reset();
        names.record.bind(1, name);
        names.record.bind(2, qint64(id));
        names.record.run();
        names.chosen.emplace(name, id);
        return id;
    }

    void rememberProduct(int id, const QString& name) {
        m_productsByLength[storedTrimmedLength(name)].push_back({id, name});
    }

    Database& m_db;
    Progress& m_progress;
    Statement m_addSection, m_addRecipe, m_setText, m_addLine;
    NameChoices m_productChoices, m_unitChoices;

    // The dictionaries as the import matches them, kept in step with what it adds; the
    // work tables hold the same choices, as the file format's other readers expect.
    std::unordered_map<qsizetype, std::vector<std::pair<int, QString>>> m_productsByLength;
    std::vector<std::pair<int, QString>> m_units;
    std::unordered_set<int> m_available;

    qint64 m_position = 0;
    int m_line = 1;
    ImportResult m_result;
};

// Failures of the engine or the disk rather than of what a line of the file holds: the
// line that happened to be read then is no help to the user.
bool isEngineFailure(int code) {
    switch (code & 0xff) {
    case SQLITE_PERM:
    case SQLITE_ABORT:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_INTERRUPT:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_NOTADB:
        return true;
    default:
        return false;
    }
}

void emptyWorkTables(Database& db) {
    db.exec("DELETE FROM Import_Ingredient");
    db.exec("DELETE FROM Import_Units");
}

} // namespace

QString importSummary(const ImportResult& r) {
    return QStringLiteral("Разделов: %1, рецептов: %2, строк: %3, новых продуктов: %4, новых "
                          "единиц: %5; файл прочитан в кодировке %6")
        .arg(QString::number(r.sections), QString::number(r.recipes), QString::number(r.lines),
             QString::number(r.newProducts), QString::number(r.newUnits),
             r.utf8 ? QStringLiteral("UTF-8") : QStringLiteral("1251"));
}

void giveStarterServings(Database& db) {
    static const std::pair<const char*, int> kServings[] = {{"Борщ домашний", 6},
                                                            {"Щи из свежей капусты", 6},
                                                            {"Куриный суп с лапшой", 6},
                                                            {"Окрошка на квасе", 4},
                                                            {"Каша гречневая рассыпчатая", 4},
                                                            {"Каша манная на молоке", 2},
                                                            {"Каша пшённая с тыквой", 4},
                                                            {"Овсянка с яблоком", 2},
                                                            {"Блины на молоке", 4},
                                                            {"Оладьи на кефире", 4},
                                                            {"Сырники", 4},
                                                            {"Шарлотка с яблоками", 8},
                                                            {"Винегрет", 6},
                                                            {"Салат из свежих овощей", 4},
                                                            {"Салат оливье", 6},
                                                            {"Яичница-глазунья", 2},
                                                            {"Картофель отварной с укропом", 4}};
    Transaction tx(db);
    for (const auto& [name, count] : kServings)
        db.exec("INSERT OR IGNORE INTO RecipeServings (Recipe, Servings) "
                "SELECT ID, ? FROM Recipes WHERE Name=?",
                {qint64(count), QString::fromUtf8(name)});
    tx.commit();
}

QByteArray starterCollection() {
    ::initSampleResource();
    QFile file(QStringLiteral(":/sample/starter.ovl"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setLineHook(std::function<void(int)> hook) {
    lineHook() = std::move(hook);
}

ImportResult importBytes(Database& db, const QByteArray& bytes, Progress& progress) {
    progress.setRange(0, bytes.size());
    if (bytes.isEmpty())
        throw ExchangeError(ExchangeError::Kind::Format, QStringLiteral("Файл пуст"), 1);
    Lines lines(bytes);
    if (!isAcceptedHeader(lines.firstLineBytes()))
        throw ExchangeError(ExchangeError::Kind::Format,
                            QStringLiteral("Формат файла не поддерживается"), 1);
    int line = 0; // the line being read when a failure came; 0 before and after reading
    try {
        Transaction tx(db);
        emptyWorkTables(db);
        Importer importer(db, progress);
        try {
            read(lines, importer);
        } catch (...) {
            line = importer.lineNumber();
            throw;
        }
        progress.setPosition(bytes.size());
        emptyWorkTables(db);
        ImportResult result = std::move(importer.result());
        result.utf8 = lines.isUtf8();
        tx.commit();
        return result;
    } catch (const DbError& e) {
        // The work tables may hold rows from an import that another program broke off.
        // Only when there is something to delete: an empty write would still touch the file.
        try {
            const SqlValue left = db.scalar("SELECT EXISTS (SELECT 1 FROM Import_Ingredient) "
                                            "OR EXISTS (SELECT 1 FROM Import_Units)");
            if (std::holds_alternative<qint64>(left) && std::get<qint64>(left) != 0)
                emptyWorkTables(db);
        } catch (const DbError&) {
        }
        if (line > 0 && !isEngineFailure(e.code()))
            throw ExchangeError(ExchangeError::Kind::Data,
                                QStringLiteral("Строка %1 файла не сохранена: %2. Ничего из файла "
                                               "не добавлено.")
                                    .arg(QString::number(line), e.message()),
                                line);
        throw ExchangeError(ExchangeError::Kind::Data,
                            QStringLiteral("Импорт не выполнен: %1\nНичего из файла не добавлено.")
                                .arg(e.message()));
    }
}

ImportResult importFile(Database& db, const QString& path, Progress& progress) {
    QFile file(path);
    const QFileInfo info(path);
    const QString name = info.fileName();
    auto cannotOpen = [&](const QString& why) {
        return ExchangeError(ExchangeError::Kind::File,
                             QStringLiteral("Не могу открыть файл %1: %2").arg(name, why));
    };
    if (info.isDir())
        throw cannotOpen(QStringLiteral("это папка"));
    // A device or a pipe may never end, and reading one would fill the memory or hang.
    if (info.exists() && !info.isFile())
        throw cannotOpen(QStringLiteral("это не обычный файл"));
    if (info.size() > kMaxImportBytes)
        throw cannotOpen(
            QStringLiteral("файл больше %1 МБ, это не файл обмена").arg(kMaxImportBytes >> 20));
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ExchangeError(
            ExchangeError::Kind::File,
            QStringLiteral("Не могу прочитать файл %1: %2").arg(name, file.errorString()));
    return importBytes(db, bytes, progress);
}

} // namespace exchange
