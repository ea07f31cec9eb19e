#include "PhotoStore.h"

#include "data/Database.h"

namespace photos {

namespace {

// A file whose photo table could not be made (its recipes a view, say) has no photos.
bool hasTable(Database& db) {
    return db.hasTable(QStringLiteral("RecipePhotos"));
}

} // namespace

void setPhoto(Database& db, int recipe, const Photo& photo) {
    Transaction tx(db);
    if (!hasTable(db))
        throw DbError(0, QStringLiteral("В этой коллекции нет места для фотографий."));
    if (std::holds_alternative<std::monostate>(
            db.scalar("SELECT 1 FROM Recipes WHERE ID=?", {qint64(recipe)})))
        throw DbError(0, QStringLiteral("Нет рецепта с номером %1.").arg(recipe));
    Statement put(db, SqlText("INSERT OR REPLACE INTO RecipePhotos "
                              "(Recipe, Format, Width, Height, Image, Small) "
                              "VALUES (?, ?, ?, ?, ?, ?)"));
    put.bind(1, qint64(recipe));
    put.bind(2, QString::fromLatin1(photo.format));
    put.bind(3, qint64(photo.size.width()));
    put.bind(4, qint64(photo.size.height()));
    put.bindBlob(5, photo.image);
    put.bindBlob(6, photo.small);
    put.run();
    tx.commit();
}

bool removePhoto(Database& db, int recipe) {
    if (!hasPhoto(db, recipe))
        return false;
    Transaction tx(db);
    db.exec("DELETE FROM RecipePhotos WHERE Recipe=?", {qint64(recipe)});
    tx.commit();
    return true;
}

std::optional<QByteArray> photoBytes(Database& db, int recipe, Copy which) {
    if (!hasTable(db))
        return std::nullopt;
    Statement row(db, which == Copy::Full
                          ? SqlText("SELECT Image FROM RecipePhotos WHERE Recipe=?")
                          : SqlText("SELECT Small FROM RecipePhotos WHERE Recipe=?"));
    row.bind(1, qint64(recipe));
    if (!row.step())
        return std::nullopt;
    return row.blob(0);
}

std::optional<QSize> photoSize(Database& db, int recipe) {
    if (!hasTable(db))
        return std::nullopt;
    Statement row(db, SqlText("SELECT Width, Height FROM RecipePhotos WHERE Recipe=?"));
    row.bind(1, qint64(recipe));
    if (!row.step())
        return std::nullopt;
    return QSize(int(row.int64(0)), int(row.int64(1)));
}

bool hasPhoto(Database& db, int recipe) {
    return hasTable(db) && !std::holds_alternative<std::monostate>(db.scalar(
                               "SELECT 1 FROM RecipePhotos WHERE Recipe=?", {qint64(recipe)}));
}

int photoCount(Database& db) {
    if (!hasTable(db))
        return 0;
    return int(std::get<qint64>(db.scalar("SELECT count(*) FROM RecipePhotos")));
}

} // namespace photos
