#include "Schema.h"

#include "Database.h"
#include "Records.h"

namespace schema {

namespace {

// Limits of the text columns are checked by the engine, as the original file format did.
constexpr const char* kTables = R"sql(
CREATE TABLE Register (
    Name  TEXT CHECK (length(Name) <= 255),
    Value TEXT CHECK (length(Value) <= 255));
CREATE TABLE Catalog (
    ID     INTEGER PRIMARY KEY AUTOINCREMENT,
    Parent INTEGER NOT NULL DEFAULT 0,
    Name   TEXT NOT NULL DEFAULT '' CHECK (length(Name) <= 255));
CREATE TABLE Recipes (
    ID      INTEGER PRIMARY KEY AUTOINCREMENT,
    Catalog INTEGER NOT NULL DEFAULT 0,
    Name    TEXT NOT NULL DEFAULT '' CHECK (length(Name) <= 255),
    Recipe  TEXT NOT NULL DEFAULT '' CHECK (length(Recipe) <= 65535));
CREATE TABLE Ingredient (
    ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT NOT NULL DEFAULT '' CHECK (length(Name) <= 255));
CREATE TABLE Units (
    ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT NOT NULL DEFAULT '' CHECK (length(Name) <= 255));
CREATE TABLE Ingredients (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT,
    Recipe     INTEGER NOT NULL DEFAULT 0,
    Ingredient INTEGER NOT NULL DEFAULT 0,
    Quantity   REAL NOT NULL DEFAULT 0,
    Unit       INTEGER NOT NULL DEFAULT 0,
    Have       INTEGER NOT NULL DEFAULT 0);
CREATE TABLE Products (ID INTEGER NOT NULL);
CREATE TABLE ProductsAlways (ID INTEGER NOT NULL);
CREATE TABLE Import_Ingredient (
    Name TEXT CHECK (length(Name) <= 255),
    ID   INTEGER);
CREATE TABLE Import_Units (
    Name TEXT CHECK (length(Name) <= 255),
    ID   INTEGER);

CREATE INDEX Ingredients_Recipe ON Ingredients (Recipe);
CREATE INDEX Ingredients_Ingredient ON Ingredients (Ingredient);
CREATE INDEX Ingredients_Unit ON Ingredients (Unit);
CREATE INDEX Catalog_Parent ON Catalog (Parent);
CREATE INDEX Recipes_Catalog ON Recipes (Catalog);
CREATE INDEX Products_ID ON Products (ID);
CREATE INDEX ProductsAlways_ID ON ProductsAlways (ID);
CREATE INDEX Import_Ingredient_Name ON Import_Ingredient (Name);
CREATE INDEX Import_Units_Name ON Import_Units (Name);

-- Stored queries. A line whose product or unit is missing still appears, with an empty
-- name. Seq gives the order of rows when no sort is asked for: the order of the lines.
CREATE VIEW IngredientsFull AS
SELECT i.ID AS ID, i.Recipe AS Recipe, i.Ingredient AS Ingredient, i.Unit AS UnitID,
       COALESCE(p.Name, '') AS Name, i.Quantity AS Quantity, COALESCE(u.Name, '') AS Unit,
       i.ID AS Seq
FROM Ingredients i
LEFT JOIN Ingredient p ON p.ID = i.Ingredient
LEFT JOIN Units u ON u.ID = i.Unit;

CREATE VIEW RecipeIngredientsFull AS
SELECT i.Recipe AS ID, COALESCE(p.Name, '') AS Name, i.Quantity AS Quantity,
       COALESCE(u.Name, '') AS Unit, i.ID AS Seq
FROM Ingredients i
LEFT JOIN Ingredient p ON p.ID = i.Ingredient
LEFT JOIN Units u ON u.ID = i.Unit;

CREATE VIEW ProductsFull AS
SELECT pr.ID AS ID, COALESCE(p.Name, '') AS Name, pr.rowid AS Seq
FROM Products pr
LEFT JOIN Ingredient p ON p.ID = pr.ID;

CREATE VIEW ProductsAlwaysFull AS
SELECT pr.ID AS ID, COALESCE(p.Name, '') AS Name, pr.rowid AS Seq
FROM ProductsAlways pr
LEFT JOIN Ingredient p ON p.ID = pr.ID;

CREATE VIEW IngredientUse AS
SELECT r.ID AS ID, r.Name AS Name, i.Ingredient AS Ingredient, i.Have AS Have, i.ID AS Seq
FROM Ingredients i
JOIN Recipes r ON r.ID = i.Recipe;

CREATE VIEW UnitUse AS
SELECT r.ID AS ID, r.Name AS Name, i.Unit AS Unit, i.ID AS Seq
FROM Ingredients i
JOIN Recipes r ON r.ID = i.Recipe;
)sql";

constexpr const char* kMenu =
    "CREATE TABLE Menu (Recipe INTEGER, Quantity INTEGER, PRIMARY KEY(Recipe))";

// Products to buy: added by hand, or a mark on a product the menu needs (bought, or
// cleared from the list). A mark holds the need it was made for (the list's line, "Яйцо
// куриное 3 шт"): when the menu comes to need another amount, the mark no longer applies.
constexpr const char* kShoppingList =
    "CREATE TABLE ShoppingList (Product INTEGER PRIMARY KEY, Added INTEGER NOT NULL DEFAULT 0, "
    "Bought INTEGER NOT NULL DEFAULT 0, Cleared INTEGER NOT NULL DEFAULT 0, "
    "Need TEXT NOT NULL DEFAULT '')";

// Recipe photos, one row a recipe: the picture as shown and printed, and a small copy for
// quick showing. They go with their recipe however it is deleted (the sqlite3 shell too).
constexpr const char* kPhotos = R"sql(
CREATE TABLE IF NOT EXISTS RecipePhotos (
    Recipe INTEGER PRIMARY KEY,
    Format TEXT NOT NULL,
    Width  INTEGER NOT NULL,
    Height INTEGER NOT NULL,
    Image  BLOB NOT NULL,
    Small  BLOB NOT NULL);
CREATE TRIGGER IF NOT EXISTS RecipePhotoGone AFTER DELETE ON Recipes BEGIN
    DELETE FROM RecipePhotos WHERE Recipe = OLD.ID;
END;
)sql";

// How many servings a recipe makes, one row a recipe that says: 0 when the recipe gave only
// words ("на большую компанию"), kept in Note. It goes with its recipe.
constexpr const char* kServings = R"sql(
CREATE TABLE IF NOT EXISTS RecipeServings (
    Recipe   INTEGER PRIMARY KEY,
    Servings INTEGER NOT NULL DEFAULT 0,
    Note     TEXT NOT NULL DEFAULT '');
CREATE TRIGGER IF NOT EXISTS RecipeServingsGone AFTER DELETE ON Recipes BEGIN
    DELETE FROM RecipeServings WHERE Recipe = OLD.ID;
END;
)sql";

// When a recipe was cooked, with a rating (1 to 5, or none) and a note. A deleted recipe's
// rows stay, out of sight, so that it comes back from the trash with its history.
constexpr const char* kCookLog = R"sql(
CREATE TABLE IF NOT EXISTS CookLog (
    ID     INTEGER PRIMARY KEY AUTOINCREMENT,
    Recipe INTEGER NOT NULL,
    Day    TEXT NOT NULL CHECK (length(Day) = 10),
    Rating INTEGER CHECK (Rating BETWEEN 1 AND 5),
    Note   TEXT NOT NULL DEFAULT '' CHECK (length(Note) <= 4000));
CREATE INDEX IF NOT EXISTS CookLog_Recipe ON CookLog (Recipe, Day);
)sql";

// The dated plan: a recipe for a day's meal (0 breakfast, 1 lunch, 2 dinner, 3 snack) with
// its servings. An entry goes with its recipe however it is deleted.
constexpr const char* kMealPlan = R"sql(
CREATE TABLE IF NOT EXISTS MealPlan (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Day      TEXT NOT NULL CHECK (length(Day) = 10),
    Meal     INTEGER NOT NULL CHECK (Meal BETWEEN 0 AND 3),
    Recipe   INTEGER NOT NULL,
    Servings INTEGER NOT NULL CHECK (Servings BETWEEN 1 AND 1000));
CREATE INDEX IF NOT EXISTS MealPlan_Day ON MealPlan (Day, Meal);
CREATE INDEX IF NOT EXISTS MealPlan_Recipe ON MealPlan (Recipe);
CREATE TRIGGER IF NOT EXISTS MealPlanRecipeGone AFTER DELETE ON Recipes BEGIN
    DELETE FROM MealPlan WHERE Recipe = OLD.ID;
END;
)sql";

// Deleted recipes and sections, kept whole until the trash is emptied: each entry is what
// one delete took (a recipe, or a section with everything in it), with the chain of
// sections it was in, as [[ID, name], ...] from the top, so it can go back there. The rows
// keep their IDs, which the live tables never hand out again; a line keeps its product's
// and unit's names in case they are deleted meanwhile. None of this is in the live tables,
// so nothing that reads them (search, the menu, the exchange file) sees the trash.
constexpr const char* kTrash = R"sql(
CREATE TABLE IF NOT EXISTS Trash (
    ID      INTEGER PRIMARY KEY AUTOINCREMENT,
    Kind    INTEGER NOT NULL,
    Item    INTEGER NOT NULL,
    Name    TEXT NOT NULL DEFAULT '',
    Place   TEXT NOT NULL DEFAULT '[]',
    Deleted INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS TrashCatalog (
    Trash INTEGER NOT NULL, ID INTEGER NOT NULL, Parent INTEGER NOT NULL, Name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS TrashRecipes (
    Trash INTEGER NOT NULL, ID INTEGER NOT NULL, Catalog INTEGER NOT NULL, Name TEXT NOT NULL,
    Recipe TEXT NOT NULL, PRIMARY KEY (Trash, ID)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS TrashIngredients (
    Trash INTEGER NOT NULL, ID INTEGER NOT NULL, Recipe INTEGER NOT NULL,
    Ingredient INTEGER NOT NULL, Quantity REAL NOT NULL, Unit INTEGER NOT NULL,
    Product TEXT NOT NULL, UnitName TEXT NOT NULL, PRIMARY KEY (Trash, ID)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS TrashPhotos (
    Trash INTEGER NOT NULL, Recipe INTEGER NOT NULL, Format TEXT NOT NULL,
    Width INTEGER NOT NULL, Height INTEGER NOT NULL, Image BLOB NOT NULL, Small BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS TrashServings (
    Trash INTEGER NOT NULL, Recipe INTEGER NOT NULL, Servings INTEGER NOT NULL,
    Note TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS TrashCatalog_Trash ON TrashCatalog (Trash);
CREATE INDEX IF NOT EXISTS TrashPhotos_Trash ON TrashPhotos (Trash);
CREATE INDEX IF NOT EXISTS TrashServings_Trash ON TrashServings (Trash);
)sql";

// What a product weighs and gives: per 100 g (NULL where not known), the grams in one
// millilitre, whether it is counted in pieces, and the grams in one of each unit that is
// no measure of its own ("шт", "пучок"), by the unit's usual spelling. A row the user wrote
// (Own) is never overwritten by the shipped table; a row with nothing known says the table
// was asked and had nothing, so later start-ups do not ask again. A renamed product is asked
// again; its figures go with it when it is deleted.
constexpr const char* kProductFood = R"sql(
CREATE TABLE IF NOT EXISTS ProductFood (
    Product INTEGER PRIMARY KEY,
    Kcal    REAL,
    Protein REAL,
    Fat     REAL,
    Carbs   REAL,
    Density REAL,
    Counted INTEGER NOT NULL DEFAULT 0,
    Own     INTEGER NOT NULL DEFAULT 0,
    Source  TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS ProductWeights (
    Product INTEGER NOT NULL,
    Unit    TEXT NOT NULL,
    Grams   REAL NOT NULL,
    PRIMARY KEY (Product, Unit)) WITHOUT ROWID;
CREATE TRIGGER IF NOT EXISTS ProductFoodGone AFTER DELETE ON Ingredient BEGIN
    DELETE FROM ProductFood WHERE Product = OLD.ID;
    DELETE FROM ProductWeights WHERE Product = OLD.ID;
END;
CREATE TRIGGER IF NOT EXISTS ProductFoodRenamed AFTER UPDATE OF Name ON Ingredient
WHEN OLD.Name IS NOT NEW.Name AND
     NOT EXISTS (SELECT 1 FROM ProductFood WHERE Product = NEW.ID AND Own = 1) BEGIN
    DELETE FROM ProductFood WHERE Product = NEW.ID;
    DELETE FROM ProductWeights WHERE Product = NEW.ID;
END;
)sql";

// A list made before marks held their need gets the column; its old marks hold none, and
// so apply to no need until they are made again.
void addShoppingNeed(Database& db) {
    Statement columns(db, SqlText("SELECT 1 FROM pragma_table_info('ShoppingList') "
                                  "WHERE name='Need'"));
    if (!columns.step())
        db.exec("ALTER TABLE ShoppingList ADD COLUMN Need TEXT NOT NULL DEFAULT ''");
}

// The full-text index of the recipes, and the list of recipes whose text changed since it
// was last brought up to date. The triggers only note which recipes changed, in plain SQL:
// a file changed by the sqlite3 shell or an older copy of the program is caught up later,
// and none of them needs the program's tokenizer. The index itself is written by the
// program alone (search/TextIndex).
constexpr const char* kTextIndex = R"sql(
CREATE VIRTUAL TABLE RecipeText USING fts5(Body, tokenize='ovelta_ru');
CREATE TABLE RecipeTextDirty (Recipe INTEGER PRIMARY KEY);
CREATE TRIGGER RecipeTextRecipeAdded AFTER INSERT ON Recipes BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (NEW.ID);
END;
CREATE TRIGGER RecipeTextRecipeChanged AFTER UPDATE OF ID, Name, Recipe ON Recipes BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (OLD.ID);
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (NEW.ID);
END;
CREATE TRIGGER RecipeTextRecipeDeleted AFTER DELETE ON Recipes BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (OLD.ID);
END;
CREATE TRIGGER RecipeTextLineAdded AFTER INSERT ON Ingredients WHEN NEW.Recipe <> 0 BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (NEW.Recipe);
END;
CREATE TRIGGER RecipeTextLineChanged AFTER UPDATE OF Recipe, Ingredient ON Ingredients BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (OLD.Recipe);
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (NEW.Recipe);
END;
CREATE TRIGGER RecipeTextLineDeleted AFTER DELETE ON Ingredients BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty VALUES (OLD.Recipe);
END;
CREATE TRIGGER RecipeTextProductRenamed AFTER UPDATE OF Name ON Ingredient BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty SELECT Recipe FROM Ingredients WHERE Ingredient = NEW.ID;
END;
)sql";

// Every table the index reads marks its recipes for every kind of change: a product deleted
// or put back by hand (the sqlite3 shell) changes the text of each recipe that names it.
// Files made before these existed get them at start-up.
constexpr const char* kTextIndexProductTriggers = R"sql(
CREATE TRIGGER IF NOT EXISTS RecipeTextProductAdded AFTER INSERT ON Ingredient BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty SELECT Recipe FROM Ingredients WHERE Ingredient = NEW.ID;
END;
CREATE TRIGGER IF NOT EXISTS RecipeTextProductDeleted AFTER DELETE ON Ingredient BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty SELECT Recipe FROM Ingredients WHERE Ingredient = OLD.ID;
END;
CREATE TRIGGER IF NOT EXISTS RecipeTextProductMoved AFTER UPDATE OF ID ON Ingredient BEGIN
    INSERT OR IGNORE INTO RecipeTextDirty SELECT Recipe FROM Ingredients
        WHERE Ingredient IN (OLD.ID, NEW.ID);
END;
)sql";

// Indexes that hold what is read, so that reading needs no visit to the table: the names
// of a section's recipes (opening the top of a large collection reads a few pages, not one
// page of the table per recipe), and a recipe's lines in their order (the export reads a
// million lines as runs of one index, not as a million scattered rows). The second takes
// the place of the index on Recipe alone, so a line written costs no more index updates.
constexpr const char* kReadingIndexes = R"sql(
CREATE INDEX IF NOT EXISTS Recipes_CatalogName ON Recipes (Catalog, Name);
CREATE INDEX IF NOT EXISTS Ingredients_RecipeLines
    ON Ingredients (Recipe, ID, Ingredient, Quantity, Unit);
DROP INDEX IF EXISTS Ingredients_Recipe;
)sql";

// What a file can do without: the reading indexes (only speed depends on them) and the
// photo table. A file where they cannot be made (one whose Recipes is a view, say) opens
// without them, and says what is wrong when it is read.
void addIfPossible(Database& db, SqlText script) {
    try {
        Transaction tx(db);
        db.execScript(script);
        tx.commit();
    } catch (const DbError&) {
    }
}

// Adds the index to a file that has none, every recipe waiting to be indexed.
void addTextIndex(Database& db) {
    if (!db.hasTable(QStringLiteral("RecipeTextDirty"))) {
        db.execScript(kTextIndex);
        db.exec("INSERT OR IGNORE INTO RecipeTextDirty SELECT ID FROM Recipes");
    }
    db.execScript(kTextIndexProductTriggers);
}

} // namespace

QStringList knownVersions() {
    return {QStringLiteral("1.01"), QStringLiteral("2.01"), QStringLiteral("2.02"),
            QStringLiteral("3.01")};
}

QStringList requiredTables() {
    return {QStringLiteral("Register"),
            QStringLiteral("Catalog"),
            QStringLiteral("Recipes"),
            QStringLiteral("Ingredient"),
            QStringLiteral("Units"),
            QStringLiteral("Ingredients"),
            QStringLiteral("Products"),
            QStringLiteral("ProductsAlways"),
            QStringLiteral("Import_Ingredient"),
            QStringLiteral("Import_Units"),
            QStringLiteral("IngredientsFull"),
            QStringLiteral("RecipeIngredientsFull"),
            QStringLiteral("ProductsFull"),
            QStringLiteral("ProductsAlwaysFull"),
            QStringLiteral("IngredientUse"),
            QStringLiteral("UnitUse")};
}

QStringList missingTables(const Database& db) {
    QStringList missing;
    for (const QString& name : requiredTables())
        if (!db.hasTable(name))
            missing << name;
    return missing;
}

void create(Database& db, const QString& version) {
    if (!knownVersions().contains(version))
        throw DbError(0, QStringLiteral("unknown schema version: %1").arg(version));
    Transaction tx(db);
    db.execScript(kTables);
    if (version == currentVersion) {
        db.execScript(kMenu);
        db.execScript(kShoppingList);
        db.execScript(kPhotos);
        db.execScript(kServings);
        db.execScript(kProductFood);
        db.execScript(kTrash);
        db.execScript(kCookLog);
        db.execScript(kMealPlan);
        db.execScript(kReadingIndexes);
        addTextIndex(db);
    }
    CRegister reg(db);
    reg.open();
    reg.addNew();
    reg.Name = QStringLiteral("Ver");
    reg.Value = version;
    reg.update();
    tx.commit();
}

bool needsUpgrade(Database& db) {
    const SqlValue version = db.scalar("SELECT Value FROM Register WHERE Name='Ver'");
    if (!std::holds_alternative<QString>(version) || std::get<QString>(version) != currentVersion)
        return true;
    for (const char* table : {"Menu", "ShoppingList", "RecipePhotos", "RecipeServings",
                              "ProductFood", "RecipeTextDirty", "Trash", "CookLog", "MealPlan"})
        if (!db.hasTable(QString::fromLatin1(table)))
            return true;
    return false;
}

UpgradeResult upgrade(Database& db) {
    Transaction tx(db);
    CRegister reg(db);
    reg.setFilter({"Name='Ver'"});
    reg.open();
    UpgradeResult result;
    result.from = reg.isEOF() ? QString() : reg.Value;
    QString version = result.from;
    // Each step tests the version the step before wrote, so one start brings a file from
    // any older version to the current one.
    auto step = [&](const char* from, const char* to) {
        if (version != QLatin1String(from))
            return false;
        reg.edit();
        reg.Value = QString::fromLatin1(to);
        reg.update();
        version = reg.Value;
        return true;
    };
    step("1.01", "2.01");
    step("2.01", "2.02");
    step("2.02", "3.01");
    // A file may already hold the menu (made by hand, or an upgrade done elsewhere), or a
    // current file may lack it: the menu is made whenever it is missing.
    if (version == currentVersion && !db.hasTable(QStringLiteral("Menu")))
        db.execScript(kMenu);
    if (version == currentVersion && !db.hasTable(QStringLiteral("ShoppingList")))
        db.execScript(kShoppingList);
    if (version == currentVersion) {
        addShoppingNeed(db);
        addIfPossible(db, kPhotos);
        addIfPossible(db, kServings);
        addIfPossible(db, kProductFood);
        addIfPossible(db, kTrash);
        addIfPossible(db, kCookLog);
        addIfPossible(db, kMealPlan);
        addIfPossible(db, kReadingIndexes);
        addTextIndex(db);
    }
    reg.close();
    tx.commit();
    result.to = version;
    return result;
}

} // namespace schema
