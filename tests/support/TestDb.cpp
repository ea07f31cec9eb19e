#include "TestDb.h"

#include "catalog/CatalogStore.h"
#include "data/Records.h"
#include "data/Schema.h"
#include "recipes/RecipeStore.h"

#include <QFile>

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
    CIngredients rs(db);
    rs.open();
    rs.addNew();
    rs.Recipe = recipe;
    rs.Ingredient = product;
    rs.Quantity = quantity;
    rs.Unit = unit;
    rs.Have = have;
    rs.update();
    return int(rs.lastInsertedId());
}

qint64 number(Database& db, SqlText sql, const SqlValues& params) {
    const SqlValue v = db.scalar(sql, params);
    return std::holds_alternative<qint64>(v) ? std::get<qint64>(v) : -1;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
