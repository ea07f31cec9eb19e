#include "Database.h"
#include "TextOrder.h"

#include <QLocale>
#include <sqlite3.h>

QCollator newRussianCollator() {
    QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
}

const QCollator& russianCollator() {
    static const QCollator collator = newRussianCollator();
    return collator;
}

namespace {

// Letter case aside, and ё read as е, as Russian readers write it either way.
std::u32string foldedUcs4(QStringView text) {
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (char32_t c : text.toUcs4()) {
        c = QChar::toCaseFolded(c);
        out.push_back(c == U'ё' ? U'е' : c);
    }
    return out;
}

} // namespace

QString searchFolded(QStringView text) {
    QString out = text.toString().toCaseFolded();
    out.replace(QChar(0x0451), QChar(0x0435)); // ё -> е
    return out;
}

bool likeMatch(QStringView patternText, QStringView textView, char32_t escape) {
    const std::u32string p = foldedUcs4(patternText);
    const std::u32string t = foldedUcs4(textView);
    if (escape)
        escape = QChar::toCaseFolded(escape);
    // Greedy matching with backtracking to the last "%": linear in practice and never
    // exponential, whatever the pattern.
    size_t pi = 0, ti = 0;
    size_t starP = std::u32string::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size()) {
            char32_t c = p[pi];
            if (c == U'%' && !(escape && c == escape)) {
                starP = ++pi;
                starT = ti;
                continue;
            }
            bool literal = false;
            if (escape && c == escape && pi + 1 < p.size()) {
                c = p[pi + 1];
                literal = true;
            }
            if ((!literal && c == U'_') || c == t[ti]) {
                pi += literal ? 2 : 1;
                ++ti;
                continue;
            }
        }
        if (starP == std::u32string::npos)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == U'%' && !(escape && escape == U'%'))
        ++pi;
    return pi == p.size();
}

namespace {

QString argText(sqlite3_value* v) {
    auto data = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return data ? QString::fromUtf8(data, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& text) {
    QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void ucaseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, upperCase(argText(argv[0])));
}

void lenFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    auto data = sqlite3_value_text(argv[0]);
    int bytes = sqlite3_value_bytes(argv[0]);
    qint64 count = 0;
    for (int i = 0; i < bytes; ++i)
        if ((data[i] & 0xC0) != 0x80)
            ++count;
    sqlite3_result_int64(ctx, count);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return sqlite3_result_null(ctx);
    char32_t escape = 0;
    if (argc == 3) {
        QList<uint> esc = argText(argv[2]).toUcs4();
        if (esc.size() != 1)
            return sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
        escape = esc.front();
    }
    // The engine calls like(pattern, text) for "text LIKE pattern".
    sqlite3_result_int(ctx, likeMatch(argText(argv[0]), argText(argv[1]), escape) ? 1 : 0);
}

int russianCollation(void*, int la, const void* a, int lb, const void* b) {
    return russianCollator().compare(QString::fromUtf8(static_cast<const char*>(a), la),
                                     QString::fromUtf8(static_cast<const char*>(b), lb));
}

} // namespace

void registerSqlFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    auto check = [db](int rc) {
        if (rc != SQLITE_OK)
            throw DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
    };
    check(sqlite3_create_function(db, "UCase", 1, flags, nullptr, ucaseFunction, nullptr, nullptr));
    check(sqlite3_create_function(db, "Len", 1, flags, nullptr, lenFunction, nullptr, nullptr));
    check(sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr));
    check(sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr));
    check(sqlite3_create_collation(db, "RU", SQLITE_UTF8, nullptr, russianCollation));
}
