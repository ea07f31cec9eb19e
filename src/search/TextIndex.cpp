#include "TextIndex.h"

#include "data/Database.h"
#include "data/TextOrder.h"
#include "ui/Progress.h"

#include <QRegularExpression>

namespace search {

namespace {

bool hasTextIndex(Database& db) {
    return db.hasTable(QStringLiteral("RecipeTextDirty"));
}

} // namespace

qint64 textIndexBacklog(Database& db) {
    if (!hasTextIndex(db))
        return 0;
    const SqlValue n = db.scalar("SELECT count(*) FROM RecipeTextDirty");
    return std::holds_alternative<qint64>(n) ? std::get<qint64>(n) : 0;
}

namespace {

// Indexes again up to limit of the recipes noted as changed, the lowest IDs first, and takes
// them off the list; returns how many. The caller holds the transaction.
qint64 indexSome(Database& db, qint64 limit, Progress* progress) {
    Statement drop(db, SqlText("DELETE FROM RecipeText WHERE rowid=?"));
    Statement add(db, SqlText("INSERT INTO RecipeText (rowid, Body) VALUES (?, ?)"));
    // One pass gives each changed recipe with its products; a recipe that is gone has no
    // row here and only leaves the index.
    Statement bodies(db,
                     SqlText("SELECT d.Recipe, r.Name, r.Recipe, (SELECT group_concat(p.Name, ' ') "
                             "FROM Ingredients i JOIN Ingredient p ON p.ID = i.Ingredient "
                             "WHERE i.Recipe = d.Recipe), r.ID IS NOT NULL "
                             "FROM (SELECT Recipe FROM RecipeTextDirty ORDER BY Recipe LIMIT ?) d "
                             "LEFT JOIN Recipes r ON r.ID = d.Recipe"));
    bodies.bind(1, limit);
    qint64 done = 0;
    const qint64 step = std::max<qint64>(1, limit / 50);
    qint64 last = 0;
    while (bodies.step()) {
        const qint64 id = bodies.int64(0);
        last = id;
        drop.reset();
        drop.bind(1, id);
        drop.run();
        if (bodies.int64(4) != 0) {
            add.reset();
            add.bind(1, id);
            add.bind(2, bodies.text(1) + QLatin1Char('\n') + bodies.text(3) + QLatin1Char('\n') +
                            bodies.text(2));
            add.run();
        }
        ++done;
        if (progress && done % step == 0)
            progress->setPosition(done);
    }
    bodies.reset();
    db.exec("DELETE FROM RecipeTextDirty WHERE Recipe <= ?", {last});
    return done;
}

} // namespace

void refreshTextIndex(Database& db, Progress& progress) {
    const qint64 total = textIndexBacklog(db);
    if (total == 0)
        return;
    progress.setRange(0, total);
    Transaction tx(db);
    indexSome(db, total, &progress);
    tx.commit();
    progress.setPosition(total);
}

qint64 indexSomeRecipes(Database& db, qint64 count) {
    if (textIndexBacklog(db) == 0)
        return 0;
    Transaction tx(db);
    const qint64 done = indexSome(db, count, nullptr);
    tx.commit();
    return done;
}

std::vector<Found> findByText(Database& db, const QString& words, bool lastWordUnfinished) {
    std::vector<Found> out;
    if (!hasTextIndex(db))
        return out;
    // Each word a phrase of its own, so that nothing typed is read as query syntax; the
    // phrases together must all match.
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]+"));
    QStringList phrases;
    for (auto it = word.globalMatch(words); it.hasNext();)
        phrases << QLatin1Char('"') + it.next().captured() + QLatin1Char('"');
    if (phrases.isEmpty())
        return out;
    if (lastWordUnfinished && !words.back().isSpace())
        phrases.last() += QLatin1Char('*');
    NoProgress quiet;
    refreshTextIndex(db, quiet);
    Statement rows(db, SqlText("SELECT r.Name, r.ID FROM RecipeText t JOIN Recipes r ON "
                               "r.ID = t.rowid WHERE RecipeText MATCH ? ORDER BY r.ID"));
    rows.bind(1, phrases.join(QLatin1Char(' ')));
    while (rows.step())
        out.push_back({rows.text(0), int(rows.int64(1))});
    sortRussian(out, [](const Found& f) { return f.name; });
    return out;
}

} // namespace search
