#include "RecipeStore.h"

#include "RtfText.h"
#include "data/Records.h"
#include "data/TextOrder.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <memory>

namespace recipes {

std::optional<Recipe> readRecipe(Database& db, int recipeId) {
    CRecipesset rs(db);
    if (!rs.openFirst({"ID=?", recipeId}))
        return std::nullopt;
    return Recipe{rs.ID, rs.Catalog, rs.Name, rs.Recipe};
}

int insertRecipe(Database& db, int section, const QString& name, const QString& text) {
    CRecipesset rs(db);
    rs.openForAdding();
    rs.addNew();
    rs.Catalog = section;
    rs.Name = name;
    rs.Recipe = text;
    rs.update();
    return int(rs.lastInsertedId());
}

int createRecipe(Database& db, int section, const QString& name, const QString& text) {
    const int id = insertRecipe(db, section, name, text);
    CIngredients pending(db);
    pending.setFilter({"Recipe=0"});
    pending.open();
    for (; !pending.isEOF(); pending.moveNext()) {
        pending.edit();
        pending.Recipe = id;
        pending.update();
    }
    return id;
}

void updateRecipe(Database& db, int recipeId, const QString& name, const QString& text) {
    CRecipesset rs(db);
    if (!rs.openFirst({"ID=?", recipeId}))
        throw DbError(0, QStringLiteral("Рецепт %1 не найден в базе").arg(recipeId));
    rs.edit();
    rs.Name = name;
    rs.Recipe = text;
    rs.update();
}

bool deleteRecipe(Database& db, int recipeId) {
    CRecipesset rs(db);
    if (!rs.openFirst({"ID=?", recipeId}))
        return false;
    db.exec("DELETE FROM Ingredients WHERE Recipe=?", {qint64(recipeId)});
    rs.remove();
    return true;
}

namespace {

Line lineFrom(const CIngredientsFull& rs) {
    return Line{rs.ID, rs.Recipe, rs.Ingredient, rs.UnitID, rs.Name, rs.Quantity, rs.Unit};
}

} // namespace

std::optional<Line> readLine(Database& db, int lineId) {
    CIngredientsFull rs(db);
    if (!rs.openFirst({"ID=?", lineId}))
        return std::nullopt;
    return lineFrom(rs);
}

std::vector<Line> recipeLines(Database& db, int recipeId) {
    std::vector<Line> out;
    CIngredientsFull rs(db);
    rs.setFilter({"Recipe=?", recipeId});
    rs.open();
    for (; !rs.isEOF(); rs.moveNext())
        out.push_back(lineFrom(rs));
    return out;
}

QString lineText(const QString& product, float quantity, const QString& unit) {
    if (quantity == 0)
        return product;
    return QStringLiteral("%1 %2 %3")
        .arg(product, QString::fromLatin1(rtf::formatAmount(quantity)), unit);
}

bool productAvailable(Database& db, int productId) {
    CProducts onHand(db);
    onHand.setFilter({"ID=?", productId});
    if (onHand.count() > 0)
        return true;
    CProductsAlways always(db);
    always.setFilter({"ID=?", productId});
    return always.count() > 0;
}

int addLine(Database& db, int recipe, int product, float quantity, int unit) {
    CIngredients rs(db);
    rs.openForAdding();
    rs.addNew();
    rs.Recipe = recipe;
    rs.Ingredient = product;
    rs.Quantity = quantity;
    rs.Unit = unit;
    rs.Have = productAvailable(db, product);
    rs.update();
    return int(rs.lastInsertedId());
}

void changeLine(Database& db, int lineId, int product, float quantity, int unit,
                int productAtOpening) {
    CIngredients rs(db);
    if (!rs.openFirst({"ID=?", lineId}))
        throw DbError(0, QStringLiteral("Строка %1 не найдена в базе").arg(lineId));
    rs.edit();
    rs.Ingredient = product;
    rs.Quantity = quantity;
    rs.Unit = unit;
    if (product != productAtOpening)
        rs.Have = productAvailable(db, product);
    rs.update();
}

bool deleteLine(Database& db, int lineId) {
    CIngredients rs(db);
    if (!rs.openFirst({"ID=?", lineId}))
        return false;
    rs.remove();
    return true;
}

std::optional<float> parseAmount(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"
                       "[ \\t]*$"));
    // A Russian writes a decimal comma; a point still reads as it always did.
    QString typed = text;
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    const QRegularExpressionMatch m = number.match(typed);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = m.captured(1).toDouble(&ok);
    // An amount beyond what the column holds would be stored as infinity.
    if (!ok || !std::isfinite(value) || value > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

namespace {

std::unique_ptr<CIdNameRecord> openDictionary(Database& db, Dictionary which) {
    if (which == Dictionary::Products)
        return std::make_unique<CIngredient>(db);
    return std::make_unique<CUnits>(db);
}

} // namespace

std::vector<Entry> dictionary(Database& db, Dictionary which) {
    auto rs = openDictionary(db, which);
    rs->open();
    std::vector<Entry> out;
    for (; !rs->isEOF(); rs->moveNext())
        out.push_back({rs->ID, rs->Name});
    sortRussian(out, [](const Entry& e) { return e.name; });
    return out;
}

std::optional<QString> entryName(Database& db, Dictionary which, int id) {
    auto rs = openDictionary(db, which);
    if (!rs->openFirst({"ID=?", id}))
        return std::nullopt;
    return rs->Name;
}

int createEntry(Database& db, Dictionary which, const QString& name) {
    auto rs = openDictionary(db, which);
    rs->openForAdding();
    rs->addNew();
    rs->Name = name;
    rs->update();
    return int(rs->lastInsertedId());
}

void renameEntry(Database& db, Dictionary which, int id, const QString& name) {
    auto rs = openDictionary(db, which);
    if (!rs->openFirst({"ID=?", id}))
        throw DbError(0, QStringLiteral("Запись %1 не найдена в базе").arg(id));
    rs->edit();
    rs->Name = name;
    rs->update();
}

bool deleteEntry(Database& db, Dictionary which, int id) {
    auto rs = openDictionary(db, which);
    if (!rs->openFirst({"ID=?", id}))
        return false;
    Transaction tx(db);
    rs->remove();
    if (which == Dictionary::Products) {
        db.exec("DELETE FROM Products WHERE ID=?", {qint64(id)});
        db.exec("DELETE FROM ProductsAlways WHERE ID=?", {qint64(id)});
    }
    tx.commit();
    return true;
}

} // namespace recipes
