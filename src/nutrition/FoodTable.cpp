#include "FoodTable.h"

#include "UnitNames.h"
#include "data/RussianStemmer.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

// Resources of a static library are registered by hand, outside any namespace.
static void initNutritionResource() {
    Q_INIT_RESOURCE(nutrition);
}

namespace nutrition {

std::optional<double> Figures::weightOf(const QString& usualUnit) const {
    for (const auto& [unit, grams] : weights)
        if (unit == usualUnit)
            return grams;
    return std::nullopt;
}

namespace {

std::optional<double> number(const QString& field) {
    if (field.trimmed().isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

std::optional<TableRow> readRow(const QString& line) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 9)
        return std::nullopt;
    TableRow row;
    for (const QString& form : fields[0].split(QLatin1Char('|')))
        if (!form.trimmed().isEmpty())
            row.forms << form.trimmed();
    if (row.forms.isEmpty())
        return std::nullopt;
    row.name = row.forms.front();
    const auto kcal = number(fields[1]), protein = number(fields[2]), fat = number(fields[3]),
               carbs = number(fields[4]);
    if (!kcal || !protein || !fat || !carbs)
        return std::nullopt;
    row.figures.per100 = FoodValue{*kcal, *protein, *fat, *carbs};
    if (!fields[5].trimmed().isEmpty()) {
        row.figures.density = number(fields[5]);
        if (!row.figures.density || *row.figures.density == 0)
            return std::nullopt;
    }
    for (const QString& pair : fields[6].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString written = pair.left(eq).trimmed();
        const QString usual = usualUnit(written);
        const auto grams = eq > 0 ? number(pair.mid(eq + 1)) : std::nullopt;
        if (!grams || *grams == 0)
            return std::nullopt;
        row.figures.weights.emplace_back(usual.isEmpty() ? written : usual, *grams);
    }
    row.figures.counted = fields[7].trimmed() == QStringLiteral("шт");
    if (row.figures.counted && !row.figures.weightOf(QStringLiteral("шт")))
        return std::nullopt;
    row.figures.source = fields[8].trimmed();
    return row;
}

struct Index {
    struct Form {
        const TableRow* row;
        QStringList keys;
    };
    std::vector<Form> forms;
    QHash<QString, const TableRow*> exact;
};

const Index& tableIndex() {
    static const Index index = [] {
        Index out;
        for (const TableRow& row : foodTable())
            for (const QString& form : row.forms) {
                const QStringList keys = stemKeys(form);
                out.forms.push_back({&row, keys});
                // The first row to claim a form keeps it.
                const QString joined = keys.join(QLatin1Char(' '));
                if (!out.exact.contains(joined))
                    out.exact.insert(joined, &row);
            }
        return out;
    }();
    return index;
}

} // namespace

std::vector<TableRow> readFoodTable(const QByteArray& text, int* unread) {
    std::vector<TableRow> rows;
    int bad = 0;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (auto row = readRow(line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line))
            rows.push_back(std::move(*row));
        else
            ++bad;
    }
    if (unread)
        *unread = bad;
    return rows;
}

const std::vector<TableRow>& foodTable() {
    static const std::vector<TableRow> table = [] {
        initNutritionResource();
        QFile file(QStringLiteral(":/nutrition/products.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return std::vector<TableRow>();
        return readFoodTable(file.readAll());
    }();
    return table;
}

const TableRow* tableRowFor(const QString& productName) {
    const Index& index = tableIndex();
    const QStringList keys = stemKeys(productName);
    if (keys.isEmpty())
        return nullptr;
    if (const auto it = index.exact.find(keys.join(QLatin1Char(' '))); it != index.exact.end())
        return *it;
    const QStringList head =
        stemKeys(productName.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
    const TableRow* best = nullptr;
    qsizetype bestSize = 0;
    for (const Index::Form& form : index.forms) {
        if (form.keys.size() <= bestSize || form.keys.size() >= keys.size() ||
            (!head.isEmpty() && !form.keys.contains(head.front())))
            continue;
        // Both lists are sorted: every key of the form is among the name's.
        if (std::includes(keys.begin(), keys.end(), form.keys.begin(), form.keys.end())) {
            best = form.row;
            bestSize = form.keys.size();
        }
    }
    return best;
}

QString sourceText(const QString& stored) {
    // Rows name their USDA record by number since the table was checked against a second copy;
    // products stored before that carry the name alone.
    static const QRegularExpression usda(
        QStringLiteral("^USDA (FDC SR Legacy|SR24)( [0-9]{5}(?:(?:, | и )[0-9]{5})*)?: (.*)$"));
    const QRegularExpressionMatch m = usda.match(stored);
    if (!m.hasMatch())
        return stored;
    const QString numbers = m.captured(2).trimmed();
    QString record = m.captured(3).trimmed();
    // Our own remark after the record's name ("(ближайший: крахмал)") stays outside the quotes.
    QString remark;
    if (const qsizetype open = record.lastIndexOf(QStringLiteral(" ("));
        open > 0 && record.endsWith(')') &&
        record.mid(open).contains(QRegularExpression(QStringLiteral("[а-яё]")))) {
        remark = record.mid(open);
        record.truncate(open);
    }
    const QString table =
        m.captured(1) == QLatin1String("SR24")
            ? QStringLiteral("USDA National Nutrient Database for Standard Reference (выпуск 24, "
                             "общественное достояние)")
            : QStringLiteral("USDA FoodData Central (SR Legacy, общественное достояние)");
    // One record's number is five digits; more are several records.
    const QString entry = numbers.isEmpty()    ? QStringLiteral("запись")
                          : numbers.size() > 5 ? QStringLiteral("записи %1").arg(numbers)
                                               : QStringLiteral("запись %1").arg(numbers);
    return QStringLiteral("пищевая ценность — таблица %1, %2 «%3»%4; вес единиц — русские "
                          "кулинарные таблицы мер и весов")
        .arg(table, entry, record, remark);
}

} // namespace nutrition
