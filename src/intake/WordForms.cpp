#include "WordForms.h"

#include "data/RussianStemmer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <atomic>
#include <hunspell/hunspell.h>
#include <memory>
#include <mutex>
#include <thread>

namespace intake {

namespace {

// --- the dictionary -----------------------------------------------------------------

struct Analysis {
    QString lemma;
    QString flag; // the affix class that made the word; empty for a word as listed
};

const char* const kAff = "/usr/share/hunspell/ru_RU.aff";
const char* const kDic = "/usr/share/hunspell/ru_RU.dic";

class Dictionary {
public:
    // The whole dictionary, or (with a word list) only the entries that begin as the
    // listed words do. Russian forms differ from their dictionary form only at the end, so
    // a word's entry always begins with its first two letters; a part of a few thousand
    // entries loads in a few milliseconds, where the whole takes a tenth of a second.
    explicit Dictionary(const QSet<QString>& beginnings = {}) {
        if (!QFileInfo::exists(QString::fromLatin1(kAff)) ||
            !QFileInfo::exists(QString::fromLatin1(kDic)))
            return;
        if (beginnings.isEmpty()) {
            m_handle = Hunspell_create(kAff, kDic);
            return;
        }
        QFile whole(QString::fromLatin1(kDic));
        if (!whole.open(QIODevice::ReadOnly))
            return;
        const QByteArray all = whole.readAll();
        QByteArray part;
        int entries = 0;
        for (qsizetype at = all.indexOf('\n') + 1; at > 0 && at < all.size();) {
            qsizetype end = all.indexOf('\n', at);
            if (end < 0)
                end = all.size();
            const QByteArrayView line(all.constData() + at, end - at);
            // Two Cyrillic letters are four bytes of UTF-8.
            if (line.size() >= 4 && beginnings.contains(QString::fromUtf8(line.first(4)))) {
                part += line;
                part += '\n';
                ++entries;
            }
            at = end + 1;
        }
        m_part.setFileTemplate(QDir::tempPath() + QStringLiteral("/ovelta-words-XXXXXX.dic"));
        if (!m_part.open())
            return;
        m_part.write(QByteArray::number(std::max(entries, 1)) + '\n' + part);
        m_part.flush();
        m_handle = Hunspell_create(kAff, QFile::encodeName(m_part.fileName()).constData());
        m_beginnings = beginnings;
    }
    // The whole dictionary is never destroyed: freeing its hundred thousand entries at exit
    // would cost a third of what loading them did, and the process is ending anyway.
    ~Dictionary() {
        if (m_handle && !m_beginnings.isEmpty())
            Hunspell_destroy(m_handle);
    }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    const QSet<QString>& beginnings() const { return m_beginnings; }
    bool covers(const QString& word) const {
        return m_beginnings.isEmpty() || m_beginnings.contains(word.left(2));
    }

    std::vector<Analysis> analyse(const QString& word) {
        std::vector<Analysis> out;
        if (!m_handle)
            return out;
        const std::lock_guard lock(m_mutex);
        char** list = nullptr;
        const QByteArray utf8 = word.toUtf8();
        const int n = Hunspell_analyze(m_handle, &list, utf8.constData());
        for (int i = 0; i < n; ++i) {
            Analysis a;
            for (const QString& field :
                 QString::fromUtf8(list[i]).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                if (field.startsWith(QLatin1String("st:")))
                    a.lemma = field.mid(3);
                else if (field.startsWith(QLatin1String("fl:")))
                    a.flag = field.mid(3);
            }
            if (!a.lemma.isEmpty())
                out.push_back(a);
        }
        if (list)
            Hunspell_free_list(m_handle, &list, n);
        return out;
    }

private:
    Hunhandle* m_handle = nullptr;
    QSet<QString> m_beginnings; // empty: the whole dictionary
    QTemporaryFile m_part;
    std::mutex m_mutex;
};

std::once_flag g_loadOnce;
std::atomic<Dictionary*> g_dictionary{nullptr};
std::mutex g_partMutex;
std::unique_ptr<Dictionary> g_part;
std::vector<std::unique_ptr<Dictionary>> g_spentParts;

Dictionary& wholeDictionary() {
    std::call_once(g_loadOnce, [] { g_dictionary = new Dictionary; });
    return *g_dictionary.load();
}

// The dictionary that knows the word: the whole one when it is loaded, else a part made
// for the words about to be asked, else the whole one, loaded now.
Dictionary& dictionaryFor(const QString& word) {
    if (Dictionary* whole = g_dictionary.load())
        return *whole;
    {
        const std::lock_guard lock(g_partMutex);
        if (g_part && g_part->covers(word))
            return *g_part;
    }
    return wholeDictionary();
}

// --- Russian grammar, as much as product names need -----------------------------------

QString folded(const QString& word) {
    QString w = word.toLower();
    w.replace(QChar(0x0451), QChar(0x0435));
    return w;
}

// Nouns that have no singular a cook would write, and plural forms the dictionary lists
// without their singular.
const QHash<QString, QString>& irregularNouns() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        // The dictionary form, then the forms written for it.
        const char* const rows[] = {
            "сливки сливок сливками сливкам", "дрожжи дрожжей", "макароны макарон",
            "семечки семечек", "отруби отрубей", "хлопья хлопьев", "спагетти", "консервы консервов",
            "яйцо яиц яйца яйцами", "яблоко яблок яблоки", "сухари сухарей", "специи специй",
            "пряности пряностей", "травы трав", "грибы грибов грибами",
            // Diminutives, as home cooks write them, name the product itself.
            "огурец огурчик огурчика огурчики огурчиков",
            "помидор помидорчик помидорчика помидорчики помидорчиков", "лук лучок лучка",
            "чеснок чесночок чесночка", "перец перчик перчика перчики перчиков",
            "лимон лимончик лимончика", "укроп укропчик укропчика", "яйцо яичко яичка яички яичек",
            "сметана сметанка сметанки", "морковь морковка морковки морковок",
            "грибы грибочки грибочков",
            // A piece named for itself is the product counted.
            "лук луковица луковицы луковиц луковичка луковички",
            "картофель картофелина картофелины картофелин картофелинка картофелинки"};
        for (const char* row : rows) {
            const QStringList forms = QString::fromUtf8(row).split(QLatin1Char(' '));
            for (const QString& f : forms)
                t.insert(f, forms.front());
        }
        return t;
    }();
    return table;
}

// Words that say how a product is rather than which: a size, a state, a temperature.
bool isDescriptive(const QString& lemma) {
    static const QStringList words = [] {
        QStringList w;
        for (const char* s :
             {"большой",      "больший",      "маленький", "средний",     "небольшой",
              "крупный",      "мелкий",       "целый",     "спелый",      "ароматный",
              "очищенный",    "охлажденный",  "холодный",  "теплый",      "горячий",
              "растопленный", "размягченный", "комнатный", "крупненький", "хороший"})
            w << QString::fromUtf8(s);
        return w;
    }();
    return words.contains(folded(lemma));
}

bool endsWithAny(const QString& word, std::initializer_list<const char*> endings) {
    for (const char* e : endings)
        if (word.endsWith(QString::fromUtf8(e)))
            return true;
    return false;
}

bool looksAdjective(const QString& word) {
    return endsWithAny(folded(word),
                       {"ый",  "ий",  "ой",  "ая", "яя", "ое", "ее", "ые", "ие", "ого",
                        "его", "ому", "ему", "ым", "им", "ых", "их", "ую", "юю", "ей"});
}

enum class Gender { Masculine, Feminine, Neuter, Plural };

// The adjective's dictionary form (masculine) put in the gender of its noun.
QString agree(const QString& lemma, Gender g) {
    if (g == Gender::Masculine || lemma.size() < 3)
        return lemma;
    const QString stem = lemma.left(lemma.size() - 2);
    const QString end = lemma.right(2);
    const QChar last = stem.back();
    const bool velar = QStringLiteral("гкх").contains(last);
    const bool hushing = QStringLiteral("жшчщ").contains(last);
    const bool soft = end == QStringLiteral("ий") && !velar && !hushing;
    switch (g) {
    case Gender::Feminine:
        return stem + (soft ? QStringLiteral("яя") : QStringLiteral("ая"));
    case Gender::Neuter:
        return stem + (soft || (hushing && end == QStringLiteral("ий")) ? QStringLiteral("ее")
                                                                        : QStringLiteral("ое"));
    case Gender::Plural:
        return stem + (velar || hushing || end == QStringLiteral("ий") ? QStringLiteral("ие")
                                                                       : QStringLiteral("ые"));
    case Gender::Masculine:
        break;
    }
    return lemma;
}

struct Word {
    QString written;
    QString lemma; // empty: stays as written
    bool adjective = false;
    bool noun = false;
    bool plural = false; // a noun written in the plural
};

// A hunspell flag that belongs to adjectives.
bool adjectiveFlag(const QString& flag) {
    return flag == QLatin1String("A") || flag == QLatin1String("Z");
}

// The noun's singular dictionary form, where the dictionary or the rules above know one.
QString nounLemma(const QString& lower, const std::vector<Analysis>& found, NamePlace place,
                  bool& plural) {
    if (const auto it = irregularNouns().find(lower); it != irregularNouns().end()) {
        plural = *it != lower;
        return *it;
    }
    // Genitive plurals with a dropped vowel ("огурцов", "перцев"), which the dictionary
    // lists as words of their own.
    if (endsWithAny(lower, {"ов", "ев"}) && lower.size() > 4) {
        const QString stem = lower.left(lower.size() - 2);
        const QString withVowel = stem.left(stem.size() - 1) + QStringLiteral("е") + stem.back();
        for (const Analysis& a : dictionaryFor(withVowel).analyse(withVowel))
            if (a.lemma == withVowel && a.flag.isEmpty()) {
                plural = true;
                return withVowel;
            }
    }
    QString best;
    for (const Analysis& a : found) {
        // An adjective, or a verb ("соли" is also "to salt"); nouns in -ть ("мякоть",
        // "соль") have affix classes of their own.
        const bool verb = a.lemma.endsWith(QStringLiteral("ть")) && a.flag != QLatin1String("F") &&
                          a.flag != QLatin1String("N");
        if (adjectiveFlag(a.flag) || verb)
            continue;
        if (a.lemma.left(2) != lower.left(2))
            continue;
        // After an amount "манки" is the genitive of "манка": a masculine lemma ("манок")
        // would make it a plural, which no amount is followed by.
        if (place == NamePlace::AfterAmount && endsWithAny(lower, {"и", "ы"}) &&
            !endsWithAny(a.lemma, {"а", "я", "ь", "и", "ы"}))
            continue;
        if (best.isEmpty() || a.flag.isEmpty() == false)
            best = a.lemma;
    }
    // After an amount, a feminine genitive the dictionary gives no singular for ("манки",
    // "моцареллы") is the word with the nominative's "а".
    if (best.isEmpty() && place == NamePlace::AfterAmount && lower.size() > 3) {
        const QChar before = lower[lower.size() - 2];
        if (lower.endsWith(QChar(0x044B)) ||
            (lower.endsWith(QChar(0x0438)) && QStringLiteral("гкхжшчщ").contains(before)))
            best = lower.left(lower.size() - 1) + QStringLiteral("а");
    }
    if (best.isEmpty())
        return {};
    plural = endsWithAny(lower, {"ы", "и"}) && !endsWithAny(best, {"ы", "и"});
    return best;
}

Word readWord(const QString& written, NamePlace place) {
    Word w{written, {}, false, false, false};
    const QString lower = written.toLower();
    // "кисло-сладкие": an adjective of two, agreeing by its last part.
    static const QRegularExpression compound(QStringLiteral("^([а-яё]+-)([а-яё]+)$"));
    if (const QRegularExpressionMatch m = compound.match(lower); m.hasMatch()) {
        if (const Word last = readWord(m.captured(2), place);
            last.adjective && !last.lemma.isEmpty()) {
            w.adjective = true;
            w.lemma = m.captured(1) + last.lemma;
        }
        return w;
    }
    static const QRegularExpression letters(QStringLiteral("^[а-яё]+$"));
    if (!letters.match(lower).hasMatch())
        return w; // a number, a Latin word, a hyphenated name: as written
    const std::vector<Analysis> found = dictionaryFor(lower).analyse(lower);
    // "дрожжей" ends as an adjective does; the nouns known apart are nouns.
    if (looksAdjective(lower) && !irregularNouns().contains(lower)) {
        // The dictionary makes some adjective forms ("сухих" of "сухой") by classes of its
        // own: a lemma in an adjective's ending says as much as the class.
        static const QRegularExpression adjectiveLemma(QStringLiteral("(?:ый|ий|ой)$"));
        for (const Analysis& a : found)
            if (adjectiveFlag(a.flag) || (a.flag.isEmpty() && looksAdjective(a.lemma)) ||
                (a.lemma != lower && adjectiveLemma.match(a.lemma).hasMatch())) {
                w.adjective = true;
                w.lemma = a.lemma;
                break;
            }
    }
    // An adjective the dictionary lacks ("свежесваренного"): its masculine by the ending.
    if (!w.adjective && found.empty() && lower.size() > 5) {
        static const std::pair<const char*, const char*> endings[] = {
            {"ого", "ый"}, {"ому", "ый"}, {"ая", "ый"},  {"ую", "ый"}, {"ые", "ый"}, {"ых", "ый"},
            {"ыми", "ый"}, {"его", "ий"}, {"ему", "ий"}, {"яя", "ий"}, {"ие", "ий"}, {"их", "ий"}};
        for (const auto& [end, masculine] : endings)
            if (lower.endsWith(QString::fromUtf8(end))) {
                const QString lemma = lower.left(lower.size() - QString::fromUtf8(end).size()) +
                                      QString::fromUtf8(masculine);
                w.adjective = true;
                w.lemma = lemma;
                break;
            }
    }
    if (w.adjective)
        return w;
    w.noun = !found.empty() || irregularNouns().contains(lower);
    // A word the dictionary lacks (a loan word, a trade name) after an amount is mostly a
    // genitive singular: its nominative by the ending, so that "моцареллы" makes
    // "Моцарелла" and "разрыхлителя" makes "Разрыхлитель".
    if (!w.noun && place == NamePlace::AfterAmount && lower.size() > 4) {
        static const std::pair<const char*, const char*> endings[] = {
            {"ллы", "лла"}, {"ы", "а"},   {"ки", "ка"}, {"ги", "га"}, {"хи", "ха"}, {"жи", "жа"},
            {"ши", "ша"},   {"чи", "ча"}, {"ля", "ль"}, {"ря", "рь"}, {"ия", "ия"}, {"а", ""}};
        for (const auto& [end, nominative] : endings) {
            const QString e = QString::fromUtf8(end);
            if (!lower.endsWith(e))
                continue;
            const QString stem = lower.left(lower.size() - e.size());
            // "-а" drops only after a consonant: "пармезана", "бекона"
            if (e == QStringLiteral("а") && QStringLiteral("аеёиоуыэюяьй").contains(stem.back()))
                break;
            w.lemma = stem + QString::fromUtf8(nominative);
            w.noun = true;
            return w;
        }
    }
    if (place == NamePlace::First) {
        // Written first, a name is in the nominative: only a plural is made singular
        // ("Яйца", "Помидоры"), and a word the dictionary lists as it is stays ("Манка").
        // A regular genitive written first ("Сыра — 30 г", "муки 2 стакана", "масла 50 г") is
        // read as one too: the word is its dictionary form's stem and an ending.
        bool plural = false;
        const QString lemma = nounLemma(lower, found, place, plural);
        const bool listed = std::any_of(found.begin(), found.end(), [&](const Analysis& a) {
            return a.lemma == lower && a.flag.isEmpty();
        });
        QString stem = lemma;
        if (!stem.isEmpty() && QStringLiteral("аеёиоуыэюяьй").contains(stem.back()))
            stem.chop(1);
        const bool genitive = !listed && stem.size() >= 3 && lower.startsWith(stem) &&
                              lower.size() - stem.size() <= 2;
        if ((plural || genitive) && lemma != lower) {
            w.lemma = lemma;
            w.plural = true; // re-made: the words beside it agree with it again
        }
        return w;
    }
    w.lemma = nounLemma(lower, found, place, w.plural);
    return w;
}

Gender genderOf(const QString& noun, const QString& adjectiveWritten) {
    const QString n = folded(noun);
    if (irregularNouns().contains(n) && irregularNouns().value(n) == n &&
        endsWithAny(n, {"и", "ы", "я"}) && n != QStringLiteral("яйца"))
        return Gender::Plural;
    if (endsWithAny(n, {"а", "я"}))
        return Gender::Feminine;
    if (endsWithAny(n, {"о", "е"}))
        return Gender::Neuter;
    if (n.endsWith(QChar(0x044C))) { // ь: the adjective written beside it tells
        const QString a = folded(adjectiveWritten);
        return endsWithAny(a, {"ого", "его", "ый", "ий", "ому", "ему"}) ? Gender::Masculine
                                                                        : Gender::Feminine;
    }
    return Gender::Masculine;
}

QString capitalised(QString s) {
    if (!s.isEmpty())
        s[0] = s[0].toUpper();
    return s;
}

} // namespace

DictionaryName dictionaryName(const QString& written, NamePlace place, bool mayWait) {
    const QStringList parts = written.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    if (!mayWait && !dictionaryReady())
        return {capitalised(written.simplified()), {}};
    std::vector<Word> words;
    for (const QString& p : parts)
        words.push_back(readWord(p, place));
    // The head is the first noun; the adjectives before it and right after it agree with it.
    qsizetype head = -1;
    for (size_t i = 0; i < words.size(); ++i)
        if (words[i].noun) {
            head = qsizetype(i);
            break;
        }
    QStringList left;
    if (head < 0) {
        // No noun the dictionary knows: the words as written, in their order.
        return {capitalised(written.simplified()), {}};
    }
    const Word& noun = words[size_t(head)];
    const QString nounForm = noun.lemma.isEmpty() ? noun.written.toLower() : noun.lemma;
    QString firstAdjective;
    for (const Word& w : words)
        if (w.adjective) {
            firstAdjective = w.written;
            break;
        }
    const Gender gender = genderOf(nounForm, firstAdjective);
    // A noun written in the plural, or one named only in it ("Сушеные грибы"), is made again
    // as product lists name things.
    const bool plural = noun.plural || gender == Gender::Plural;
    const bool reinflect = place == NamePlace::AfterAmount || plural;
    QStringList before, after, rest;
    std::vector<bool> noted(words.size(), false);
    for (size_t i = 0; i < words.size(); ++i) {
        const Word& w = words[i];
        if (qsizetype(i) == head)
            continue;
        // After the head, an adjective followed by a noun, or by more adjectives and then a
        // noun, belongs to that noun ("муки высшего сорта", "филе любой жирной рыбы"): it
        // stays as written.
        size_t next = i + 1;
        while (next < words.size() && words.at(next).adjective && !words.at(next).noun)
            ++next;
        const bool beforeNoun = next < words.size() && words.at(next).noun;
        const bool agreeing =
            w.adjective && (qsizetype(i) < head || (rest.isEmpty() && !beforeNoun));
        if (agreeing && isDescriptive(w.lemma)) {
            left << w.written;
            noted[i] = true;
            continue;
        }
        QString form = w.written;
        if (agreeing && reinflect && !w.lemma.isEmpty())
            form = agree(w.lemma, gender);
        if (qsizetype(i) < head)
            before << form.toLower();
        else if (agreeing)
            after << form.toLower();
        else
            rest << w.written;
    }
    QStringList out;
    if (place == NamePlace::AfterAmount) {
        // As product lists name things: the noun first, then what kind ("Масло сливочное").
        out << nounForm << before << after << rest;
    } else if (plural) {
        out << nounForm << before << after << rest;
    } else {
        // Written first and in the singular: the cook's own words, in the cook's order, less
        // what went to the note ("холодного копчения" is a kind, and stays).
        for (size_t i = 0; i < words.size(); ++i)
            if (!noted[i])
                out << words[i].written;
    }
    const QString name = out.join(QLatin1Char(' '));
    return {capitalised(name), left.join(QLatin1Char(' '))};
}

// The thread that loads the dictionary ahead is waited for at exit: it must not be loading
// while the program's statics are taken down.
struct AheadLoader {
    std::thread thread;
    ~AheadLoader() {
        if (thread.joinable())
            thread.join();
    }
};
AheadLoader g_ahead;

void loadDictionaryAhead() {
    if (g_dictionary.load() || g_ahead.thread.joinable())
        return;
    g_ahead.thread = std::thread([] { wholeDictionary(); });
}

void prepareDictionaryFor(const QStringList& names) {
    if (g_dictionary.load())
        return;
    static const QRegularExpression word(QStringLiteral("[а-яё]{2,}"));
    QSet<QString> beginnings;
    for (const QString& name : names)
        for (auto it = word.globalMatch(name.toLower()); it.hasNext();)
            beginnings.insert(it.next().captured().left(2));
    const std::lock_guard lock(g_partMutex);
    if (beginnings.isEmpty() ||
        (g_part && std::all_of(beginnings.begin(), beginnings.end(),
                               [](const QString& b) { return g_part->covers(b); })))
        return;
    // "яиц" is "яйцо": the irregular forms' entries begin otherwise.
    beginnings.insert(QStringLiteral("яй"));
    if (g_part) {
        beginnings.unite(g_part->beginnings());
        g_spentParts.push_back(std::move(g_part)); // a caller may still hold it
    }
    g_part = std::make_unique<Dictionary>(beginnings);
}

bool dictionaryReady() {
    return g_dictionary.load() != nullptr;
}

} // namespace intake
