#include "TrashStore.h"

#include "data/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <set>

namespace trash {

namespace {

// What one delete takes, gathered in two scratch tables of the connection, so that moving
// five thousand recipes is a handful of statements over sets, not a loop of row reads.
void gather(Database& db) {
    db.execScript("CREATE TEMP TABLE IF NOT EXISTS TrashSections (ID INTEGER PRIMARY KEY);"
                  "CREATE TEMP TABLE IF NOT EXISTS TrashItems (ID INTEGER PRIMARY KEY);"
                  "DELETE FROM temp.TrashSections; DELETE FROM temp.TrashItems;");
}

struct Level {
    int id;
    QString name;
};

// The sections from the top down to the one given. A damaged file whose sections point at
// each other ends the chain where it repeats.
std::vector<Level> chainTo(Database& db, int section) {
    std::vector<Level> chain;
    std::set<int> seen;
    Statement read(db, SqlText("SELECT Parent, Name FROM Catalog WHERE ID=?"));
    while (section != 0 && seen.insert(section).second) {
        read.reset();
        read.bind(1, qint64(section));
        if (!read.step())
            break;
        chain.insert(chain.begin(), Level{section, read.text(1)});
        section = int(read.int64(0));
    }
    return chain;
}

QString placeJson(const std::vector<Level>& chain) {
    QJsonArray levels;
    for (const Level& l : chain)
        levels.append(QJsonArray{l.id, l.name});
    return QString::fromUtf8(QJsonDocument(levels).toJson(QJsonDocument::Compact));
}

std::vector<Level> placeOf(const QString& json) {
    std::vector<Level> chain;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonArray level = v.toArray();
        if (level.size() == 2 && level[0].toInteger() > 0)
            chain.push_back(Level{int(level[0].toInteger()), level[1].toString()});
    }
    return chain;
}

QString placeText(const QString& json) {
    QStringList names;
    for (const Level& l : placeOf(json))
        names << l.name;
    return names.join(QStringLiteral(" / "));
}

// Copies what the scratch tables name into the trash under one entry and takes it out of
// the live tables; the live tables' triggers take photos and servings and note the text
// index's work.
qint64 moveGathered(Database& db, Kind kind, int item, const QString& name, int parent,
                    const QDateTime& now) {
    db.exec("INSERT INTO Trash (Kind, Item, Name, Place, Deleted) VALUES (?, ?, ?, ?, ?)",
            {qint64(kind), qint64(item), name, placeJson(chainTo(db, parent)),
             qint64(now.toSecsSinceEpoch())});
    const qint64 id = db.lastInsertRowId();
    db.exec("INSERT INTO TrashCatalog SELECT ?, ID, Parent, Name FROM Catalog "
            "WHERE ID IN (SELECT ID FROM temp.TrashSections)",
            {id});
    db.exec("INSERT INTO TrashRecipes SELECT ?, ID, Catalog, Name, Recipe FROM Recipes "
            "WHERE ID IN (SELECT ID FROM temp.TrashItems)",
            {id});
    db.exec("INSERT INTO TrashIngredients SELECT ?, i.ID, i.Recipe, i.Ingredient, i.Quantity, "
            "i.Unit, COALESCE(p.Name, ''), COALESCE(u.Name, '') FROM Ingredients i "
            "LEFT JOIN Ingredient p ON p.ID = i.Ingredient LEFT JOIN Units u ON u.ID = i.Unit "
            "WHERE i.Recipe IN (SELECT ID FROM temp.TrashItems)",
            {id});
    if (db.hasTable(QStringLiteral("RecipePhotos")))
        db.exec("INSERT INTO TrashPhotos SELECT ?, Recipe, Format, Width, Height, Image, Small "
                "FROM RecipePhotos WHERE Recipe IN (SELECT ID FROM temp.TrashItems)",
                {id});
    if (db.hasTable(QStringLiteral("RecipeServings")))
        db.exec("INSERT INTO TrashServings SELECT ?, Recipe, Servings, Note FROM RecipeServings "
                "WHERE Recipe IN (SELECT ID FROM temp.TrashItems)",
                {id});
    db.exec("DELETE FROM Ingredients WHERE Recipe IN (SELECT ID FROM temp.TrashItems)");
    db.exec("DELETE FROM Recipes WHERE ID IN (SELECT ID FROM temp.TrashItems)");
    db.exec("DELETE FROM Catalog WHERE ID IN (SELECT ID FROM temp.TrashSections)");
    return id;
}

} // namespace

std::vector<int> sectionPath(Database& db, int section) {
    std::vector<int> ids;
    for (const Level& l : chainTo(db, section))
        ids.push_back(l.id);
    return ids;
}

bool available(Database& db) {
    return db.hasTable(QStringLiteral("Trash")) && db.hasTable(QStringLiteral("TrashServings"));
}

qint64 moveRecipe(Database& db, int recipeId, const QDateTime& now) {
    if (!available(db))
        throw DbError(0, QStringLiteral("в этой коллекции нет корзины"));
    Transaction tx(db);
    Statement read(db, SqlText("SELECT Catalog, Name FROM Recipes WHERE ID=?"));
    read.bind(1, qint64(recipeId));
    if (!read.step())
        return 0;
    const int section = int(read.int64(0));
    const QString name = read.text(1);
    read.reset();
    gather(db);
    db.exec("INSERT INTO temp.TrashItems (ID) VALUES (?)", {qint64(recipeId)});
    const qint64 id = moveGathered(db, Kind::Recipe, recipeId, name, section, now);
    tx.commit();
    return id;
}

qint64 moveSection(Database& db, int sectionId, bool moveContentsUp, const QDateTime& now) {
    if (!available(db))
        throw DbError(0, QStringLiteral("в этой коллекции нет корзины"));
    Transaction tx(db);
    Statement read(db, SqlText("SELECT Parent, Name FROM Catalog WHERE ID=?"));
    read.bind(1, qint64(sectionId));
    if (!read.step())
        return 0;
    const int parent = int(read.int64(0));
    const QString name = read.text(1);
    read.reset();
    if (moveContentsUp) {
        db.exec("UPDATE Catalog SET Parent=? WHERE Parent=? AND ID<>?",
                {qint64(parent), qint64(sectionId), qint64(sectionId)});
        db.exec("UPDATE Recipes SET Catalog=? WHERE Catalog=?",
                {qint64(parent), qint64(sectionId)});
    }
    gather(db);
    // UNION, not UNION ALL: sections that point at each other are visited once.
    db.exec("INSERT INTO temp.TrashSections WITH RECURSIVE below(ID) AS (SELECT ? UNION "
            "SELECT c.ID FROM Catalog c JOIN below ON c.Parent = below.ID) SELECT ID FROM below",
            {qint64(sectionId)});
    db.exec("INSERT INTO temp.TrashItems SELECT ID FROM Recipes "
            "WHERE Catalog IN (SELECT ID FROM temp.TrashSections)");
    const qint64 id = moveGathered(db, Kind::Section, sectionId, name, parent, now);
    tx.commit();
    return id;
}

namespace {

Entry entryFrom(const Statement& s) {
    Entry e;
    e.id = s.int64(0);
    e.kind = s.int64(1) == qint64(Kind::Section) ? Kind::Section : Kind::Recipe;
    e.item = int(s.int64(2));
    e.name = s.text(3);
    e.place = placeText(s.text(4));
    e.deleted = QDateTime::fromSecsSinceEpoch(s.int64(5));
    e.recipes = int(s.int64(6));
    return e;
}

} // namespace

namespace {

// Every entry, the newest first, or the one with that ID.
std::vector<Entry> entriesWith(Database& db, qint64 id) {
    std::vector<Entry> out;
    if (!available(db))
        return out;
    Statement s(db,
                SqlText("SELECT t.ID, t.Kind, t.Item, t.Name, t.Place, t.Deleted, "
                        "(SELECT count(*) FROM TrashRecipes r WHERE r.Trash = t.ID) FROM Trash t "
                        "WHERE ?1 = 0 OR t.ID = ?1 ORDER BY t.Deleted DESC, t.ID DESC"));
    s.bind(1, id);
    while (s.step())
        out.push_back(entryFrom(s));
    return out;
}

} // namespace

std::vector<Entry> entries(Database& db) {
    return entriesWith(db, 0);
}

std::optional<Entry> entry(Database& db, qint64 id) {
    if (id <= 0)
        return std::nullopt;
    std::vector<Entry> one = entriesWith(db, id);
    if (one.empty())
        return std::nullopt;
    return std::move(one.front());
}

std::optional<qint64> entryOf(Database& db, Kind kind, int item) {
    if (!available(db))
        return std::nullopt;
    const SqlValue id = db.scalar("SELECT ID FROM Trash WHERE Kind=? AND Item=? ORDER BY ID DESC",
                                  {qint64(kind), qint64(item)});
    if (const qint64* v = std::get_if<qint64>(&id))
        return *v;
    return std::nullopt;
}

namespace {

// The section the entry goes back into: the chain it was in, each level found by its ID
// or made again with it.
int placeBack(Database& db, const QString& placeJson, bool& made) {
    int parent = 0;
    for (const Level& level : placeOf(placeJson)) {
        if (std::holds_alternative<qint64>(
                db.scalar("SELECT ID FROM Catalog WHERE ID=?", {qint64(level.id)}))) {
            parent = level.id;
            continue;
        }
        db.exec("INSERT INTO Catalog (ID, Parent, Name) VALUES (?, ?, ?)",
                {qint64(level.id), qint64(parent), level.name});
        parent = level.id;
        made = true;
    }
    return parent;
}

// Products and units deleted while their lines were in the trash: the live row of the
// same name, or a new one.
void findNamesAgain(Database& db, qint64 id, bool product) {
    Statement missing(db, product ? SqlText("SELECT DISTINCT Ingredient, Product FROM "
                                            "TrashIngredients WHERE Trash=? AND Ingredient<>0 "
                                            "AND Ingredient NOT IN (SELECT ID FROM Ingredient)")
                                  : SqlText("SELECT DISTINCT Unit, UnitName FROM "
                                            "TrashIngredients WHERE Trash=? AND Unit<>0 "
                                            "AND Unit NOT IN (SELECT ID FROM Units)"));
    missing.bind(1, id);
    std::vector<std::pair<qint64, QString>> gone;
    while (missing.step())
        gone.emplace_back(missing.int64(0), missing.text(1));
    missing.reset();
    for (const auto& [old, name] : gone) {
        SqlValue found =
            product ? db.scalar("SELECT ID FROM Ingredient WHERE Name=? ORDER BY ID", {name})
                    : db.scalar("SELECT ID FROM Units WHERE Name=? ORDER BY ID", {name});
        qint64 now = 0;
        if (const qint64* v = std::get_if<qint64>(&found)) {
            now = *v;
        } else if (!name.isEmpty()) {
            if (product)
                db.exec("INSERT INTO Ingredient (Name) VALUES (?)", {name});
            else
                db.exec("INSERT INTO Units (Name) VALUES (?)", {name});
            now = db.lastInsertRowId();
        }
        if (product)
            db.exec("UPDATE TrashIngredients SET Ingredient=? WHERE Trash=? AND Ingredient=?",
                    {now, id, old});
        else
            db.exec("UPDATE TrashIngredients SET Unit=? WHERE Trash=? AND Unit=?", {now, id, old});
    }
}

// A recipe whose ID a live recipe holds (a file another program wrote to, say) comes back
// under a new one; its lines, photo and servings follow.
void renumberTakenRecipes(Database& db, qint64 id) {
    Statement taken(db, SqlText("SELECT ID FROM TrashRecipes WHERE Trash=? "
                                "AND ID IN (SELECT ID FROM Recipes)"));
    taken.bind(1, id);
    std::vector<qint64> ids;
    while (taken.step())
        ids.push_back(taken.int64(0));
    taken.reset();
    for (qint64 old : ids) {
        db.exec("INSERT INTO Recipes (Catalog, Name) VALUES (0, '')");
        const qint64 now = db.lastInsertRowId();
        db.exec("DELETE FROM Recipes WHERE ID=?", {now});
        db.exec("UPDATE TrashRecipes SET ID=? WHERE Trash=? AND ID=?", {now, id, old});
        db.exec("UPDATE TrashIngredients SET Recipe=? WHERE Trash=? AND Recipe=?", {now, id, old});
        db.exec("UPDATE TrashPhotos SET Recipe=? WHERE Trash=? AND Recipe=?", {now, id, old});
        db.exec("UPDATE TrashServings SET Recipe=? WHERE Trash=? AND Recipe=?", {now, id, old});
        db.exec("UPDATE Trash SET Item=? WHERE ID=? AND Kind=? AND Item=?",
                {now, id, qint64(Kind::Recipe), old});
    }
}

} // namespace

namespace {

// Takes the entries that the scratch table names out of the trash; returns how many.
int removeGoing(Database& db, bool forGood = true) {
    // Gone for good, their recipes' history goes too; put back, it is theirs again.
    if (forGood && db.hasTable(QStringLiteral("CookLog")))
        db.exec("DELETE FROM CookLog WHERE Recipe IN (SELECT ID FROM TrashRecipes WHERE Trash IN "
                "(SELECT ID FROM temp.TrashGoing))");
    for (SqlText sql :
         {SqlText("DELETE FROM TrashCatalog WHERE Trash IN (SELECT ID FROM temp.TrashGoing)"),
          SqlText("DELETE FROM TrashRecipes WHERE Trash IN (SELECT ID FROM temp.TrashGoing)"),
          SqlText("DELETE FROM TrashIngredients WHERE Trash IN (SELECT ID FROM temp.TrashGoing)"),
          SqlText("DELETE FROM TrashPhotos WHERE Trash IN (SELECT ID FROM temp.TrashGoing)"),
          SqlText("DELETE FROM TrashServings WHERE Trash IN (SELECT ID FROM temp.TrashGoing)")})
        db.exec(sql);
    const qint64 removed = std::get<qint64>(db.scalar("SELECT count(*) FROM Trash WHERE ID IN "
                                                      "(SELECT ID FROM temp.TrashGoing)"));
    db.exec("DELETE FROM Trash WHERE ID IN (SELECT ID FROM temp.TrashGoing)");
    return int(removed);
}

void beginGoing(Database& db) {
    db.execScript("CREATE TEMP TABLE IF NOT EXISTS TrashGoing (ID INTEGER PRIMARY KEY);"
                  "DELETE FROM temp.TrashGoing;");
}

} // namespace

std::optional<Restored> restore(Database& db, qint64 id) {
    Transaction tx(db);
    const std::optional<Entry> e = entry(db, id);
    if (!e)
        return std::nullopt;
    Restored r;
    r.kind = e->kind;
    r.name = e->name;
    const SqlValue place = db.scalar("SELECT Place FROM Trash WHERE ID=?", {id});
    r.section = placeBack(db, std::get<QString>(place), r.sectionsMade);
    renumberTakenRecipes(db, id);
    findNamesAgain(db, id, true);
    findNamesAgain(db, id, false);
    r.item = int(std::get<qint64>(db.scalar("SELECT Item FROM Trash WHERE ID=?", {id})));

    // A section made again while this one was away (by restoring something that was in it)
    // is the same section: what it held joins it.
    db.exec("INSERT OR IGNORE INTO Catalog (ID, Parent, Name) SELECT ID, "
            "CASE WHEN ID=? THEN ? ELSE Parent END, Name FROM TrashCatalog WHERE Trash=?",
            {qint64(e->kind == Kind::Section ? r.item : 0), qint64(r.section), id});
    db.exec("INSERT INTO Recipes (ID, Catalog, Name, Recipe) SELECT ID, "
            "CASE WHEN ID=? THEN ? ELSE Catalog END, Name, Recipe FROM TrashRecipes "
            "WHERE Trash=? ORDER BY ID",
            {qint64(e->kind == Kind::Recipe ? r.item : 0), qint64(r.section), id});
    // Lines keep their order; whether a product is at hand is as it is today.
    db.exec("INSERT INTO Ingredients (ID, Recipe, Ingredient, Quantity, Unit, Have) SELECT "
            "CASE WHEN t.ID IN (SELECT ID FROM Ingredients) THEN NULL ELSE t.ID END, t.Recipe, "
            "t.Ingredient, t.Quantity, t.Unit, (t.Ingredient IN (SELECT ID FROM Products) OR "
            "t.Ingredient IN (SELECT ID FROM ProductsAlways)) FROM TrashIngredients t "
            "WHERE t.Trash=? ORDER BY t.ID",
            {id});
    if (db.hasTable(QStringLiteral("RecipePhotos")))
        db.exec("INSERT OR REPLACE INTO RecipePhotos SELECT Recipe, Format, Width, Height, "
                "Image, Small FROM TrashPhotos WHERE Trash=?",
                {id});
    if (db.hasTable(QStringLiteral("RecipeServings")))
        db.exec("INSERT OR REPLACE INTO RecipeServings SELECT Recipe, Servings, Note "
                "FROM TrashServings WHERE Trash=?",
                {id});
    beginGoing(db);
    db.exec("INSERT INTO temp.TrashGoing VALUES (?)", {id});
    removeGoing(db, false);
    tx.commit();
    return r;
}

int remove(Database& db, qint64 id) {
    if (!available(db))
        return 0;
    Transaction tx(db);
    beginGoing(db);
    db.exec("INSERT INTO temp.TrashGoing SELECT ID FROM Trash WHERE ID=?", {id});
    const int removed = removeGoing(db);
    tx.commit();
    return removed;
}

int purgeBefore(Database& db, const QDateTime& before) {
    if (!available(db))
        return 0;
    Transaction tx(db);
    beginGoing(db);
    db.exec("INSERT INTO temp.TrashGoing SELECT ID FROM Trash WHERE Deleted < ?",
            {qint64(before.toSecsSinceEpoch())});
    const int removed = removeGoing(db);
    tx.commit();
    return removed;
}

int empty(Database& db) {
    if (!available(db))
        return 0;
    Transaction tx(db);
    beginGoing(db);
    db.exec("INSERT INTO temp.TrashGoing SELECT ID FROM Trash");
    const int removed = removeGoing(db);
    tx.commit();
    return removed;
}

} // namespace trash
