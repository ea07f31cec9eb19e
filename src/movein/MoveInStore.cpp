#include "MoveInStore.h"

#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "intake/IntakeStore.h"
#include "photos/PhotoImage.h"
#include "photos/PhotoStore.h"
#include "ui/Progress.h"

#include <QFileInfo>
#include <QHash>
#include <map>

namespace movein {

namespace {

constexpr size_t kListed = 10;

QString skippedText(const std::vector<Skipped>& skipped) {
    QStringList out{QStringLiteral("Пропущено: %1").arg(skipped.size())};
    const size_t shown = std::min(skipped.size(), kListed);
    for (size_t i = 0; i < shown; ++i)
        out << QStringLiteral("  %1 — %2").arg(skipped[i].name, skipped[i].reason);
    if (skipped.size() > shown)
        out << QStringLiteral("  …и ещё %1").arg(skipped.size() - shown);
    return out.join(QLatin1Char('\n'));
}

qint64 rowCount(Database& db, SqlText sql) {
    const SqlValue v = db.scalar(sql);
    return std::holds_alternative<qint64>(v) ? std::get<qint64>(v) : 0;
}

std::vector<intake::MatchedLine> matched(const intake::Matcher& matcher,
                                         const std::vector<Line>& lines) {
    std::vector<intake::MatchedLine> out;
    QStringList written;
    auto flush = [&] {
        for (intake::MatchedLine& m : matcher.matchLines(written))
            out.push_back(std::move(m));
        written.clear();
    };
    for (const Line& line : lines) {
        if (!line.isSplit) {
            written << line.written;
            continue;
        }
        flush();
        intake::MatchedLine m = matcher.match(line.split);
        m.written = line.written;
        out.push_back(std::move(m));
    }
    flush();
    return out;
}

} // namespace

Summary importCollection(Database& db, const QString& path, int parent, Progress& progress,
                         const std::function<bool()>& cancelled) {
    CollectionReader reader(path);
    Summary summary;
    summary.sectionName = reader.sectionName();
    auto checkCancel = [&] {
        if (cancelled && cancelled())
            throw MoveInError(QStringLiteral("Импорт отменён"));
    };
    Transaction tx(db);
    const qint64 products = rowCount(db, "SELECT count(*) FROM Ingredient");
    const qint64 units = rowCount(db, "SELECT count(*) FROM Units");
    summary.section = catalog::createSection(db, parent, summary.sectionName);
    std::map<QString, int> categories;
    auto sectionFor = [&](const QString& category) {
        if (category.isEmpty())
            return summary.section;
        const QString key = category.toLower();
        const auto it = categories.find(key);
        if (it != categories.end())
            return it->second;
        return categories[key] = catalog::createSection(
                   db, summary.section, intake::cutAtWord(category, intake::kMaxName));
    };
    intake::Matcher matcher(db);
    progress.setRange(0, std::max(1, reader.candidates()));
    qint64 done = 0;
    QHash<QString, std::vector<int>> waitingForPhoto;
    auto addPhoto = [&](int recipe, const QByteArray& bytes, const QString& source) {
        try {
            photos::setPhoto(db, recipe, photos::normalise(bytes, source));
            ++summary.photos;
        } catch (const photos::PhotoError& e) {
            summary.skipped.push_back({source, e.message});
        }
    };
    QString lastEntry;
    reader.eachRecipe([&](Incoming&& in) {
        checkCancel();
        const std::vector<intake::MatchedLine> lines = matched(matcher, in.lines);
        intake::Made made;
        int recipe = 0;
        try {
            recipe = intake::storeRecipe(db, sectionFor(in.category), in.title, lines,
                                         intake::methodWithNotes(in.method, lines), nullptr, &made,
                                         in.yield);
        } catch (const intake::IntakeError& e) {
            summary.skipped.push_back({in.entry, e.message()});
            return;
        }
        matcher.learn(made);
        ++summary.recipes;
        for (const intake::MatchedLine& l : lines)
            if (l.usual)
                summary.toCheck.emplace_back(l.source(), l.product);
        if (!in.photo.isEmpty())
            addPhoto(recipe, in.photo, in.entry);
        else if (!in.photoEntry.isEmpty())
            waitingForPhoto[in.photoEntry].push_back(recipe);
        if (in.entry != lastEntry) {
            lastEntry = in.entry;
            progress.setPosition(++done);
        }
    });
    for (const Skipped& s : reader.skipped())
        summary.skipped.push_back(s);
    if (summary.recipes == 0) {
        // Why each file was passed over is what the user needs most when nothing came in.
        QString why;
        if (!summary.skipped.empty())
            why = QLatin1Char('\n') + skippedText(summary.skipped);
        throw MoveInError(QStringLiteral("В «%1» не нашлось ни одного рецепта.%2")
                              .arg(QFileInfo(path).fileName(), why));
    }
    const QList<QString> names = waitingForPhoto.keys();
    reader.eachEntry(QSet<QString>(names.begin(), names.end()),
                     [&](const QString& name, const QByteArray& bytes) {
                         checkCancel();
                         for (int recipe : waitingForPhoto.value(name))
                             addPhoto(recipe, bytes, name);
                     });
    checkCancel();
    summary.products = int(rowCount(db, "SELECT count(*) FROM Ingredient") - products);
    summary.units = int(rowCount(db, "SELECT count(*) FROM Units") - units);
    tx.commit();
    return summary;
}

QString summaryText(const Summary& s) {
    QStringList out{QStringLiteral("Раздел «%1»").arg(s.sectionName),
                    QStringLiteral("Рецептов: %1").arg(s.recipes),
                    QStringLiteral("Новых продуктов: %1").arg(s.products),
                    QStringLiteral("Новых единиц измерения: %1").arg(s.units),
                    QStringLiteral("Фотографий: %1").arg(s.photos)};
    if (!s.skipped.empty())
        out << skippedText(s.skipped);
    if (!s.toCheck.empty()) {
        out << QStringLiteral("Проверьте продукты, названные в рецептах иначе: %1")
                   .arg(s.toCheck.size());
        // A window must fit the screen: the first ones, and how many more.
        const size_t shown = std::min<size_t>(s.toCheck.size(), kListed);
        for (size_t i = 0; i < shown; ++i)
            out << QStringLiteral("  «%1» → %2").arg(s.toCheck[i].first, s.toCheck[i].second);
        if (s.toCheck.size() > shown)
            out << QStringLiteral("  …и ещё %1").arg(s.toCheck.size() - shown);
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace movein
