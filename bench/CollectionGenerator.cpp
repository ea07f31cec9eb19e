#include "CollectionGenerator.h"

#include "data/Database.h"

#include <QStringList>
#include <random>
#include <vector>

namespace {

class Words {
public:
    explicit Words(unsigned seed) : m_rng(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    QString word(int minSyllables = 2, int maxSyllables = 4) {
        static const char* const syllables[] = {
            "ба", "ве", "ги", "до",  "жу",  "за",  "ки",  "ло",  "ма",  "не",  "по", "ру", "са",
            "ти", "фу", "ха", "це",  "ча",  "ша",  "щи",  "ля",  "ню",  "ёр",  "ка", "мо", "ре",
            "ну", "ды", "ль", "ска", "тра", "пле", "кро", "вин", "гор", "шок", "лад"};
        const int n = minSyllables + pick(maxSyllables - minSyllables + 1);
        QString w;
        for (int i = 0; i < n; ++i)
            w += QString::fromUtf8(syllables[pick(int(std::size(syllables)))]);
        return w;
    }

    QString title(int words) {
        QStringList parts;
        for (int i = 0; i < words; ++i)
            parts << word();
        QString t = parts.join(QLatin1Char(' '));
        t[0] = t[0].toUpper();
        return t;
    }

    QString method() {
        QStringList lines;
        const int n = 2 + pick(6);
        for (int i = 0; i < n; ++i)
            lines << title(4 + pick(10)) + QLatin1Char('.');
        return lines.join(QStringLiteral("\r\n"));
    }

    std::mt19937& rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};

} // namespace

GeneratedCollection generateCollection(Database& db, const CollectionSize& size) {
    Words words(size.seed);
    GeneratedCollection out;
    Transaction tx(db);

    std::vector<int> products;
    {
        Statement st(db, SqlText("INSERT INTO Ingredient (Name) VALUES (?)"));
        for (int i = 0; i < size.products; ++i) {
            st.bind(1, words.title(1 + words.pick(2)) + QStringLiteral(" %1").arg(i));
            st.run();
            st.reset();
            products.push_back(int(db.lastInsertRowId()));
        }
    }
    std::vector<int> units;
    {
        Statement st(db, SqlText("INSERT INTO Units (Name) VALUES (?)"));
        for (int i = 0; i < size.units; ++i) {
            st.bind(1, words.word(1, 2) + QLatin1Char('.'));
            st.run();
            st.reset();
            units.push_back(int(db.lastInsertRowId()));
        }
    }
    // Sections: each new one goes under a random earlier one that is not yet too deep.
    std::vector<int> sections;
    std::vector<int> depth;
    {
        Statement st(db, SqlText("INSERT INTO Catalog (Parent, Name) VALUES (?, ?)"));
        for (int i = 0; i < size.sections; ++i) {
            int parent = 0, d = 1;
            if (!sections.empty() && words.pick(4) != 0) {
                size_t p = size_t(words.pick(int(sections.size())));
                if (depth[p] < size.maxDepth) {
                    parent = sections[p];
                    d = depth[p] + 1;
                }
            }
            st.bind(1, qint64(parent));
            st.bind(2, words.title(1 + words.pick(2)));
            st.run();
            st.reset();
            sections.push_back(int(db.lastInsertRowId()));
            depth.push_back(d);
        }
        if (size.bigSectionRecipes > 0) {
            st.bind(1, qint64(0));
            st.bind(2, QStringLiteral("Большой раздел"));
            st.run();
            out.bigSection = int(db.lastInsertRowId());
        }
    }
    std::vector<int> recipes;
    {
        Statement st(db, SqlText("INSERT INTO Recipes (Catalog, Name, Recipe) VALUES (?, ?, ?)"));
        for (int i = 0; i < size.recipes; ++i) {
            int section = 0;
            if (i < size.bigSectionRecipes)
                section = out.bigSection;
            else if (!sections.empty() && words.pick(20) != 0)
                section = sections[size_t(words.pick(int(sections.size())))];
            st.bind(1, qint64(section));
            st.bind(2, words.title(1 + words.pick(3)));
            st.bind(3, words.method());
            st.run();
            st.reset();
            recipes.push_back(int(db.lastInsertRowId()));
        }
    }
    {
        Statement st(db, SqlText("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, "
                                 "Have) VALUES (?, ?, ?, ?, 0)"));
        auto line = [&](int recipe) {
            st.bind(1, qint64(recipe));
            st.bind(2, qint64(products[size_t(words.pick(int(products.size())))]));
            st.bind(3, words.pick(5) == 0 ? 0.0 : double(float(1 + words.pick(500)) / 2));
            st.bind(4, qint64(units[size_t(words.pick(int(units.size())))]));
            st.run();
            st.reset();
        };
        int written = 0;
        if (!recipes.empty()) {
            out.recipeWith30Lines = recipes.back();
            for (int i = 0; i < 30; ++i, ++written)
                line(out.recipeWith30Lines);
        }
        for (; written < size.lines && recipes.size() > 1; ++written)
            line(recipes[size_t(words.pick(int(recipes.size()) - 1))]);
    }
    {
        Statement st(db, SqlText("INSERT OR IGNORE INTO Menu (Recipe, Quantity) VALUES (?, ?)"));
        for (int i = 0; i < size.menuDishes && !recipes.empty(); ++i) {
            st.bind(1, qint64(recipes[size_t(words.pick(int(recipes.size())))]));
            st.bind(2, qint64(1 + words.pick(6)));
            st.run();
            st.reset();
        }
    }
    tx.commit();
    return out;
}
