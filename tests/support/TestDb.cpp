#include "TestDb.h"

#include "data/Records.h"
#include "data/Schema.h"

#include <QFile>

TestDb::TestDb(const QString& version) {
    db.open(path(), Database::OpenMode::Create);
    schema::create(db, version);
}

int TestDb::addSection(const QString& name, int parent) {
    CCatalog rs(db);
    rs.open();
    rs.addNew();
    rs.Parent = parent;
    rs.Name = name;
    rs.update();
    return int(rs.lastInsertedId());
}

int TestDb::addRecipe(const QString& name, int section, const QString& text) {
    CRecipesset rs(db);
    rs.open();
    rs.addNew();
    rs.Catalog = section;
    rs.Name = name;
    rs.Recipe = text;
    rs.update();
    return int(rs.lastInsertedId());
}

int TestDb::addProduct(const QString& name) {
    CIngredient rs(db);
    rs.open();
    rs.addNew();
    rs.Name = name;
    rs.update();
    return int(rs.lastInsertedId());
}

int TestDb::addUnit(const QString& name) {
    CUnits rs(db);
    rs.open();
    rs.addNew();
    rs.Name = name;
    rs.update();
    return int(rs.lastInsertedId());
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

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
