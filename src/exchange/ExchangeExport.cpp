// Export: sections, recipes and lines written out as the exchange file, byte for byte, into
// a file that is put in place only when whole.

#include "ExchangeStore.h"

#include "ExchangeFormat.h"
#include "data/Database.h"
#include "recipes/RtfText.h"

#include <QFileInfo>
#include <QSaveFile>
#include <unordered_set>

namespace exchange {

// --- export ----------------------------------------------------------------------------

namespace {

class Exporter {
public:
    // With a sink the file is written as it is made, a megabyte at a time, so that memory
    // stays the same whatever the collection's size; without one it collects the bytes.
    explicit Exporter(Database& db, QIODevice* sink = nullptr)
        : m_sink(sink), m_section(db, SqlText("SELECT Name FROM Catalog WHERE ID=?")),
          m_children(db, SqlText("SELECT ID FROM Catalog WHERE Parent=? ORDER BY ID")),
          m_recipes(db, SqlText("SELECT ID, Name, Recipe FROM Recipes WHERE Catalog=? "
                                "ORDER BY ID")),
          m_lines(db,
                  SqlText("SELECT i.Recipe, i.Ingredient, i.Quantity, i.Unit FROM Ingredients i "
                          "JOIN Recipes r ON r.ID = i.Recipe WHERE r.Catalog=? "
                          "ORDER BY r.ID, i.ID")),
          m_productName(db, SqlText("SELECT Name FROM Ingredient WHERE ID=?")),
          m_unitName(db, SqlText("SELECT Name FROM Units WHERE ID=?")) {
        m_out.line(QString::fromLatin1(kHeader));
        // The format has no place for photos: those of the recipes written are counted, so
        // the user learns they stay behind. Few recipes have one; their numbers fit in memory.
        if (db.hasTable(QStringLiteral("RecipePhotos"))) {
            Statement photos(db, SqlText("SELECT Recipe FROM RecipePhotos"));
            while (photos.step())
                m_withPhoto.insert(photos.int64(0));
        }
    }

    // Sends what is collected to the sink. Throws ExchangeError when the sink refuses it.
    void flush() {
        if (!m_sink || m_out.bytes().isEmpty())
            return;
        if (m_sink->write(m_out.bytes()) != m_out.bytes().size())
            throw ExchangeError(ExchangeError::Kind::File, m_sink->errorString());
        m_out.bytes().clear();
    }

    // A section record with everything below it. Sections are walked with a stack of
    // their own, so neither deep nesting nor a loop of sections can exhaust anything.
    void section(int id) {
        struct Frame {
            int id;
            std::vector<int> children;
            size_t next = 0;
        };
        std::vector<Frame> stack;
        auto open = [&](int sectionId) {
            if (!m_written.insert(sectionId).second)
                return;
            m_section.reset();
            m_section.bind(1, qint64(sectionId));
            if (!m_section.step())
                return;
            const QString name = m_section.text(0);
            m_out.line("CATALOG=", name);
            m_section.reset();
            if (!stack.empty() && !readsBack(LinePlace::Subsection, name) &&
                m_result.sectionsCutShort++ == 0)
                m_result.firstSectionCutShort = name;
            ++m_result.sections;
            Frame f{sectionId, {}, 0};
            m_children.reset();
            m_children.bind(1, qint64(sectionId));
            while (m_children.step())
                f.children.push_back(int(m_children.int64(0)));
            m_children.reset();
            stack.push_back(std::move(f));
        };
        open(id);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next < top.children.size()) {
                open(top.children[top.next++]);
                continue;
            }
            recipesOf(top.id, true);
            m_out.line(QStringLiteral("~CATALOG"));
            stack.pop_back();
        }
    }

    void recipesOf(int sectionId, bool inSection) {
        // The section's recipes and their lines come from two queries in the same order of
        // recipe, walked side by side: one recipe's lines are in memory at a time, so a
        // section of a hundred thousand recipes costs no more memory than one of ten.
        m_recipes.reset();
        m_recipes.bind(1, qint64(sectionId));
        m_lines.reset();
        m_lines.bind(1, qint64(sectionId));
        bool lineReady = m_lines.step();
        std::vector<LineRow> lines;
        while (m_recipes.step()) {
            const qint64 id = m_recipes.int64(0);
            lines.clear();
            while (lineReady && m_lines.int64(0) <= id) {
                if (m_lines.int64(0) == id)
                    lines.push_back({m_lines.int64(1), float(m_lines.real(2)), m_lines.int64(3)});
                lineReady = m_lines.step();
            }
            recipe(lines, m_recipes.text(1), m_recipes.text(2), inSection);
            m_result.photosLeft += m_withPhoto.count(id) != 0 ? 1 : 0;
        }
        m_recipes.reset();
        m_lines.reset();
    }

    void rootSections() {
        std::vector<int> top;
        m_children.reset();
        m_children.bind(1, qint64(0));
        while (m_children.step())
            top.push_back(int(m_children.int64(0)));
        m_children.reset();
        for (int id : top)
            section(id);
    }

    ExportResult& result() {
        m_result.replaced = m_out.replaced();
        return m_result;
    }
    QByteArray& bytes() { return m_out.bytes(); }

private:
    // A product's or a unit's name as the file carries it, encoded once however many lines
    // use it. A name that is gone is empty, as the stored queries give it.
    struct Name {
        QByteArray encoded;
        qsizetype replaced = 0;
        bool readsBack = true;
    };
    const Name& nameOf(std::unordered_map<qint64, Name>& cache, Statement& query, qint64 id,
                       LinePlace place) {
        auto it = cache.find(id);
        if (it != cache.end())
            return it->second;
        query.reset();
        query.bind(1, id);
        const QString text = query.step() ? query.text(0) : QString();
        query.reset();
        Name name;
        name.encoded = rtf::toCp1251Lossy(text, &name.replaced);
        name.readsBack = readsBack(place, text);
        return cache.emplace(id, std::move(name)).first->second;
    }

    struct LineRow {
        qint64 product;
        float quantity;
        qint64 unit;
    };

    void recipe(const std::vector<LineRow>& lines, const QString& name, const QString& text,
                bool inSection) {
        m_out.line("RECIPE=", name);
        bool whole =
            readsBack(inSection ? LinePlace::RecipeInSection : LinePlace::RecipeAtRoot, name) &&
            descriptionReadsBack(text);
        for (const LineRow& l : lines) {
            const Name& product = nameOf(m_products, m_productName, l.product, LinePlace::Product);
            const Name& unit = nameOf(m_units, m_unitName, l.unit, LinePlace::Unit);
            m_out.line("INGREDIENT=", product.encoded, product.replaced);
            m_out.line("QUANTITY=", rtf::formatAmount(l.quantity), 0);
            m_out.line("UNIT=", unit.encoded, unit.replaced);
            m_out.line("~INGREDIENT", QByteArray(), 0);
            whole = whole && product.readsBack && unit.readsBack;
            ++m_result.lines;
        }
        m_out.line(text);
        m_out.line(QStringLiteral("~RECIPE"));
        ++m_result.recipes;
        if (!whole && m_result.cutShort++ == 0)
            m_result.firstCutShort = name;
        if (m_out.bytes().size() >= kFlushBytes)
            flush();
    }

    static constexpr qsizetype kFlushBytes = 1 << 20;
    std::unordered_set<qint64> m_withPhoto;
    QIODevice* m_sink;
    Writer m_out;
    Statement m_section, m_children, m_recipes, m_lines, m_productName, m_unitName;
    std::unordered_map<qint64, Name> m_products, m_units;
    std::unordered_set<int> m_written;
    ExportResult m_result;
};

} // namespace

namespace {

void exportInto(Exporter& ex, std::optional<int> section) {
    if (section) {
        ex.section(*section);
    } else {
        ex.rootSections();
        ex.recipesOf(0, false);
    }
}

} // namespace

QByteArray exportBytes(Database& db, std::optional<int> section, ExportResult* result) {
    // One read transaction: the file is locked once, and the export sees one state of it.
    Transaction reading(db);
    Exporter ex(db);
    exportInto(ex, section);
    if (result)
        *result = ex.result();
    return std::move(ex.bytes());
}

QStringList exportWarnings(const ExportResult& result) {
    QStringList lines;
    if (result.replaced > 0)
        lines << QStringLiteral("Символов, которых нет в кодировке 1251, заменено на «?»: %1")
                     .arg(result.replaced);
    if (result.cutShort > 0)
        lines << QStringLiteral("Рецептов, которые не прочитаются из файла целиком: %1 (первый — "
                                "«%2»): в названии или тексте есть служебное слово формата.")
                     .arg(QString::number(result.cutShort), result.firstCutShort);
    if (result.sectionsCutShort > 0)
        lines << QStringLiteral("Разделов, которые не прочитаются из файла: %1 (первый — «%2»): "
                                "в названии есть служебное слово формата, и их рецепты при "
                                "чтении попадут в другой раздел.")
                     .arg(QString::number(result.sectionsCutShort), result.firstSectionCutShort);
    if (result.photosLeft > 0)
        lines << QStringLiteral("Фотографии в файл обмена не записываются: %1")
                     .arg(result.photosLeft);
    return lines;
}

ExportResult exportToFile(Database& db, std::optional<int> section, const QString& path) {
    QSaveFile file(path);
    // The temporary file goes beside the target, so the rename cannot cross devices.
    file.setDirectWriteFallback(false);
    auto cannotWrite = [&](const QString& why) {
        file.cancelWriting();
        return ExchangeError(
            ExchangeError::Kind::File,
            QStringLiteral("Не могу записать файл %1: %2").arg(QFileInfo(path).fileName(), why));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(file.errorString());
    ExportResult result;
    try {
        // One read transaction: the export sees one state of the collection.
        Transaction reading(db);
        Exporter ex(db, &file);
        exportInto(ex, section);
        ex.flush();
        result = ex.result();
    } catch (const ExchangeError& e) {
        throw cannotWrite(e.message());
    }
    if (!file.flush() || file.error() != QFileDevice::NoError || !file.commit())
        throw cannotWrite(file.errorString());
    return result;
}

} // namespace exchange
