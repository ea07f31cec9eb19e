#include "IntakeMeasure.h"

#include "nutrition/NutritionStore.h"
#include "nutrition/UnitNames.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "exchange/ExchangeStore.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "recipes/RecipeStore.h"
#include "ui/Progress.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <stdexcept>

namespace measure {

namespace {

QString folded(const QString& text) {
    return text.toLower().replace(QChar(0x0451), QChar(0x0435)); // ё as е
}

QStringList wordKeys(const QString& text) {
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]+"));
    QStringList keys;
    for (auto it = word.globalMatch(folded(text)); it.hasNext();)
        keys << it.next().captured().left(5);
    return keys;
}

// A source's rows go to the check set by a hash that does not depend on the order of the
// file, so adding rows never moves a source from one set to the other.
bool inCheckSet(const QString& source) {
    quint32 h = 2166136261u;
    for (const char c : source.toUtf8()) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return h % 3 == 0;
}

QString amountText(double amount) {
    return QString::number(amount, 'g', 6);
}

struct Row {
    QString line, product, unit;
    double amount = 0;
};

} // namespace

bool productAnswers(const QString& got, const QString& expected) {
    QStringList have = wordKeys(got);
    const QStringList want = wordKeys(expected);
    if (want.isEmpty())
        return have.isEmpty();
    for (const QString& w : want) {
        const qsizetype at = have.indexOf(w);
        if (at < 0)
            return false;
        have.removeAt(at);
    }
    return true;
}

bool unitAnswers(const QString& got, const QString& expected) {
    auto bare = [](QString u) {
        return folded(u.remove(QLatin1Char('.')).remove(QLatin1Char(' ')));
    };
    return bare(got) == bare(expected);
}

// The rows of a line set that belong to the part: line, product, amount, unit, source. Rows
// whose answer is marked uncertain ("?") are left out. Throws when the file cannot be read.
std::vector<QStringList> rowsOf(const QString& tsvPath, Part part) {
    QFile file(tsvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + tsvPath.toStdString());
    std::vector<QStringList> rows;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QStringList f = QString::fromUtf8(raw).split(QLatin1Char('\t'));
        if (f.size() < 5 || f[0].trimmed().isEmpty())
            continue;
        if (f.size() > 5 && f[5].trimmed() == QLatin1String("?"))
            continue;
        if (part != Part::All && inCheckSet(f[4]) != (part == Part::Check))
            continue;
        rows.push_back(f);
    }
    return rows;
}

WeightScore measureWeights(const QString& tsvPath, Part part) {
    static const QRegularExpression stated(
        QStringLiteral("=\\s*([0-9]+(?:[.,][0-9]+)?)\\s*г\\s*$"));
    WeightScore score;
    QSet<QString> products;
    for (const QStringList& f : rowsOf(tsvPath, part)) {
        const QString product = f[1].trimmed();
        if (!product.isEmpty() && !products.contains(product.toLower())) {
            products.insert(product.toLower());
            ++score.products;
            score.productsKnown += nutrition::tableRowFor(product) != nullptr;
        }
        const auto m = stated.match(f[0].trimmed());
        const double amount = f[2].toDouble();
        const QString unit = f[3].trimmed();
        if (!m.hasMatch() || amount <= 0 || unit.isEmpty() ||
            nutrition::unitSize(nutrition::usualUnit(unit)).measure == nutrition::Measure::Mass)
            continue;
        const double grams = m.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        if (grams <= 0)
            continue;
        ++score.stated;
        const nutrition::TableRow* row = nutrition::tableRowFor(product);
        if (!row)
            continue;
        ++score.known;
        const std::optional<double> ours = nutrition::gramsOf(row->figures, amount, unit);
        if (!ours)
            continue;
        ++score.weighed;
        if (std::abs(*ours - grams) <= grams / 4)
            ++score.close;
        else
            score.far << QStringLiteral("%1: %2 г, по справочнику %3 г")
                             .arg(f[0].trimmed(), QString::number(grams), QString::number(*ours));
    }
    return score;
}

LineScore measureLines(const QString& tsvPath, Part part) {
    // Sources in the order the file first names them, each with its rows.
    std::vector<std::pair<QString, std::vector<Row>>> sources;
    std::map<QString, size_t> sourceAt;
    for (const QStringList& f : rowsOf(tsvPath, part)) {
        auto [it, added] = sourceAt.emplace(f[4], sources.size());
        if (added)
            sources.push_back({f[4], {}});
        sources[it->second].second.push_back({f[0].trimmed(), f[1], f[3], f[2].toDouble()});
    }

    QTemporaryDir dir;
    Database db;
    db.open(dir.filePath(QStringLiteral("data.db")), Database::OpenMode::Create);
    schema::create(db, schema::currentVersion);
    NoProgress quiet;
    exchange::importBytes(db, exchange::starterCollection(), quiet);

    LineScore score;
    int n = 0;
    for (const auto& [source, rows] : sources) {
        // Pasted as a cook would paste it: a title, the products under their heading, the
        // method under its own.
        QString text = QStringLiteral("Рецепт %1\nИнгредиенты:\n").arg(++n);
        for (const Row& r : rows)
            text += r.line + QLatin1Char('\n');
        text += QStringLiteral("Приготовление:\nСмешать и подать.\n");
        std::vector<recipes::Line> stored;
        std::vector<intake::MatchedLine> matched;
        try {
            const intake::ReadRecipe read = intake::readText(text);
            matched = intake::Matcher(db).matchLines(read.ingredients);
            const int id = intake::storeRecipe(db, 0, read.title, matched,
                                               intake::methodWithNotes(read.method, matched));
            stored = recipes::recipeLines(db, id);
        } catch (const std::exception&) {
            // Nothing stored: every row of the source counts as wrong.
        }
        for (const Row& r : rows) {
            LineResult result;
            result.line = r.line;
            result.expected =
                QStringLiteral("%1 | %2 | %3").arg(r.product, amountText(r.amount), r.unit);
            // The first stored line that came from this row (a row may give two products).
            for (size_t i = 0; i < matched.size() && i < stored.size(); ++i) {
                if (matched[i].written.simplified() != r.line.simplified())
                    continue;
                const recipes::Line& s = stored[i];
                result.got = QStringLiteral("%1 | %2 | %3")
                                 .arg(s.productName, amountText(s.quantity), s.unitName);
                const bool sameNumber = std::fabs(double(s.quantity) - r.amount) < 1e-3;
                result.wrongNumber = s.quantity != 0 && !sameNumber;
                result.right = sameNumber && productAnswers(s.productName, r.product) &&
                               unitAnswers(s.unitName, r.unit);
                break;
            }
            ++score.rows;
            score.right += result.right ? 1 : 0;
            score.wrongNumbers += result.wrongNumber ? 1 : 0;
            score.results.push_back(result);
        }
    }
    return score;
}

PageScore measurePages(const QString& dirPath) {
    PageScore score;
    const QDir dir(dirPath);
    static const QRegularExpression markup(
        QStringLiteral("schema\\.org/Recipe|\"@type\"\\s*:\\s*\\[?[^\\]}]{0,80}\"Recipe\""));
    static const QRegularExpression number(QStringLiteral("\\d+(?:[.,]\\d+)?"));
    auto firstNumber = [](const QString& line) {
        return number.match(line).captured().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    };
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        ++score.pages;
        const QString path = dir.filePath(name);
        QFile html(path);
        const bool hasMarkup = html.open(QIODevice::ReadOnly) &&
                               markup.match(QString::fromUtf8(html.readAll())).hasMatch();
        QFile answer(path.left(path.size() - 5) + QStringLiteral(".json"));
        QJsonObject want;
        if (answer.open(QIODevice::ReadOnly))
            want = QJsonDocument::fromJson(answer.readAll()).object();
        if (!hasMarkup)
            continue;
        ++score.withMarkup;
        intake::ReadRecipe got;
        try {
            got = intake::readFile(path);
        } catch (const intake::IntakeError& e) {
            score.failures << name + QStringLiteral(": not found: ") + e.message();
            continue;
        }
        ++score.found;
        if (want.isEmpty()) {
            // No answer beside it: a title, lines and a method is what can be asked.
            score.titles += got.title.isEmpty() ? 0 : 1;
            score.lineCounts += got.ingredients.isEmpty() ? 0 : 1;
            score.amounts += got.ingredients.isEmpty() ? 0 : 1;
            score.methods += got.method.isEmpty() ? 0 : 1;
            if (got.title.isEmpty() || got.ingredients.isEmpty() || got.method.isEmpty())
                score.failures << QStringLiteral("%1: title %2, lines %3, steps %4")
                                      .arg(name, got.title)
                                      .arg(got.ingredients.size())
                                      .arg(got.method.size());
            continue;
        }
        auto fail = [&](const char* what, const QString& detail) {
            score.failures << QStringLiteral("%1: %2: %3").arg(name, QLatin1String(what), detail);
        };
        const QString wantTitle = want.value(QLatin1String("title")).toString().simplified();
        if (folded(got.title) == folded(wantTitle))
            ++score.titles;
        else
            fail("title", got.title + QStringLiteral(" / ") + wantTitle);
        QStringList wantLines;
        for (const QJsonValue& v : want.value(QLatin1String("ingredients")).toArray())
            wantLines << v.toString().simplified();
        if (got.ingredients.size() == wantLines.size()) {
            ++score.lineCounts;
            bool amounts = true;
            for (qsizetype i = 0; i < wantLines.size(); ++i)
                amounts = amounts && firstNumber(got.ingredients[i]) == firstNumber(wantLines[i]);
            score.amounts += amounts ? 1 : 0;
            if (!amounts)
                fail("amounts", got.ingredients.join(QStringLiteral("; ")));
        } else {
            fail("lines",
                 QStringLiteral("%1 / %2").arg(got.ingredients.size()).arg(wantLines.size()));
        }
        const QJsonArray steps = want.value(QLatin1String("instructions_list")).toArray();
        if (!got.method.isEmpty() && (steps.isEmpty() || got.method.size() >= steps.size()))
            ++score.methods;
        else
            fail("method", QStringLiteral("%1 / %2").arg(got.method.size()).arg(steps.size()));
        const QString wantImage = want.value(QLatin1String("image")).toString();
        if (!wantImage.isEmpty()) {
            ++score.imagesWanted;
            if (got.images.value(0) == wantImage)
                ++score.images;
            else if (got.images.contains(wantImage))
                ++score.imagesListed;
            else
                fail("image", got.images.value(0) + QStringLiteral(" / ") + wantImage);
        }
    }
    return score;
}

} // namespace measure
