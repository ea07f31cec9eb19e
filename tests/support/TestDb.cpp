#include "TestDb.h"

#include "catalog/CatalogStore.h"
#include "data/Schema.h"
#include "recipes/RecipeStore.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>

TestDb::TestDb(const QString& version) {
    db.open(path(), Database::OpenMode::Create);
    schema::create(db, version);
}

int TestDb::addSection(const QString& name, int parent) {
    return catalog::createSection(db, parent, name);
}

int TestDb::addRecipe(const QString& name, int section, const QString& text) {
    return recipes::createRecipe(db, section, name, text);
}

int TestDb::addProduct(const QString& name) {
    return recipes::createEntry(db, recipes::Dictionary::Products, name);
}

int TestDb::addUnit(const QString& name) {
    return recipes::createEntry(db, recipes::Dictionary::Units, name);
}

int TestDb::addLine(int recipe, int product, float quantity, int unit, bool have) {
    // Stored as the program stores an amount: the single-precision value.
    db.exec("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, Have) "
            "VALUES (?, ?, ?, ?, ?)",
            {recipe, product, double(quantity), unit, int(have)});
    return int(db.lastInsertRowId());
}

int TestDb::product(const QString& name) {
    const SqlValue id = db.scalar("SELECT ID FROM Ingredient WHERE Name=?", {name});
    return std::holds_alternative<qint64>(id) ? int(std::get<qint64>(id)) : addProduct(name);
}

int TestDb::unit(const QString& name) {
    const SqlValue id = db.scalar("SELECT ID FROM Units WHERE Name=?", {name});
    return std::holds_alternative<qint64>(id) ? int(std::get<qint64>(id)) : addUnit(name);
}

int TestDb::recipe(const QString& name, std::initializer_list<Line> lines, int section,
                   const QString& text) {
    const int id = addRecipe(name, section, text);
    for (const Line& l : lines)
        addLine(id, product(l.product), l.amount, l.unit.isEmpty() ? 0 : unit(l.unit), l.have);
    return id;
}

qint64 number(Database& db, SqlText sql, const SqlValues& params) {
    const SqlValue v = db.scalar(sql, params);
    if (const qint64* n = std::get_if<qint64>(&v))
        return *n;
    // A sentinel here could equal what a test expects and hide a fault.
    ADD_FAILURE() << "not an integer: " << sql.c_str();
    return std::numeric_limits<qint64>::min();
}

QString textOf(Database& db, SqlText sql, const SqlValues& params) {
    const SqlValue v = db.scalar(sql, params);
    if (const QString* text = std::get_if<QString>(&v))
        return *text;
    if (const qint64* n = std::get_if<qint64>(&v))
        return QString::number(*n);
    if (const double* d = std::get_if<double>(&v))
        return QString::number(*d);
    return QString();
}

QString lineMarks(Database& db) {
    return textOf(db,
                  "SELECT group_concat(Have, '') FROM (SELECT Have FROM Ingredients ORDER BY ID)");
}

QString snapshot(Database& db) {
    QString out;
    for (SqlText sql :
         {SqlText("SELECT group_concat(ID||':'||Parent||':'||Name, '|') FROM Catalog"),
          SqlText(
              "SELECT group_concat(ID||':'||Catalog||':'||Name||':'||Recipe, '|') FROM Recipes"),
          SqlText("SELECT group_concat(ID||':'||Recipe||':'||Ingredient||':'||Quantity||':'||"
                  "Unit||':'||Have, '|') FROM Ingredients"),
          SqlText("SELECT group_concat(ID||':'||Name, '|') FROM Ingredient"),
          SqlText("SELECT group_concat(ID||':'||Name, '|') FROM Units"),
          SqlText("SELECT group_concat(ID, '|') FROM Products"),
          SqlText("SELECT group_concat(ID, '|') FROM ProductsAlways"),
          SqlText("SELECT count(*) FROM Import_Ingredient"),
          SqlText("SELECT count(*) FROM Import_Units")})
        out += textOf(db, sql) + QLatin1Char('\n');
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}
