#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The recipe exchange file: plain text in code page 1251, CR LF line ends, one key per
// line. This part knows only the bytes; reading into and writing from a collection is in
// ExchangeStore.
namespace exchange {

inline constexpr const char* kHeader = "Ovelta 2.01";
inline constexpr const char* kOtherHeader = "Ovelta 2.02";
inline constexpr const char* kFileFilter = "Файлы рецептов (*.ovl)";

// Collects the bytes of a file line by line. Every LF of a line's text goes out as CR LF,
// so a stored line break (CR LF) reaches the file as CR CR LF, as other copies of the
// program write it.
class Writer {
public:
    void line(const QString& text);
    void line(const char* key, const QString& value);
    // A value encoded before (a name met many times), with the characters it replaced.
    void line(const char* key, const QByteArray& encoded, qsizetype replaced);
    // Characters code page 1251 lacks, written as "?".
    qsizetype replaced() const { return m_replaced; }
    QByteArray& bytes() { return m_bytes; }

private:
    void append(QByteArrayView encoded);
    QByteArray m_bytes;
    qsizetype m_replaced = 0;
};

// The lines of a file as the reader sees them: split at LF, one CR before the LF dropped,
// decoded as UTF-8 when the file is valid UTF-8 with some non-ASCII text, else as code
// page 1251.
class Lines {
public:
    explicit Lines(const QByteArray& bytes);
    bool isUtf8() const { return m_utf8; }
    // The next line; false at the end of the file. end is the offset just past the line.
    bool next(QString& text, qint64& end);
    // The raw bytes of the first line, for the header check.
    QByteArray firstLineBytes() const;
    int lineNumber() const { return m_number; }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    bool m_utf8 = false;
    int m_number = 0;
};

bool isAcceptedHeader(const QByteArray& firstLine);

// Where the reader puts what it recognises. Identifiers are the sink's own: the reader
// only hands them back (a section's as the parent of what it holds, a recipe's with its
// lines and description).
class ReaderSink {
public:
    virtual ~ReaderSink() = default;
    virtual int section(const QString& name, int parent) = 0; // parent 0: the top
    virtual int recipe(const QString& name, int section) = 0; // section 0: the root
    virtual int product(const QString& name) = 0;
    virtual int unit(const QString& name) = 0;
    // A finished ingredient line; quantity and unit are 0 when the block gave none.
    virtual void line(int recipe, int product, float quantity, int unit) = 0;
    // A recipe's whole description, once the recipe ends.
    virtual void description(int recipe, const QString& text) = 0;
    // The reader is about to handle a line: its number and the offset just past it.
    virtual void reached(int lineNumber, qint64 offset) {
        Q_UNUSED(lineNumber);
        Q_UNUSED(offset);
    }
};

// Reads every line after the header (checked by the caller) in the four contexts of the
// format: the first key text that occurs anywhere in a line decides, values are taken
// from fixed positions, and the end of the file closes whatever is open. A description
// line loses the carriage return of a stored line break, and the lines are joined with
// CR LF, so a description comes back exactly as it was stored.
void read(Lines& lines, ReaderSink& sink);

// The value of a key line: what stands after as many characters as the key has.
inline QString valueAfter(const QString& line, const char* key) {
    return line.mid(qsizetype(qstrlen(key)));
}

// Whether text written after a key reads back whole: false when the line also holds a key
// text that the reader looks for first where that line stands, so that the line is read
// as something else. The format has no escaping, so such text cannot be carried.
enum class LinePlace {
    RecipeAtRoot,    // "RECIPE=" + name, outside every section
    RecipeInSection, // "RECIPE=" + name, inside a section
    Product,         // "INGREDIENT=" + name
    Unit,            // "UNIT=" + name
    DescriptionLine, // one line of a description
    Subsection,      // "CATALOG=" + name, inside another section
};
bool readsBack(LinePlace place, QStringView text);
// The same for a whole description, line by line as the writer splits it.
bool descriptionReadsBack(QStringView text);

// "%g" input: leading white space, a sign, digits with a point, an exponent; the first
// character that does not fit ends the number. Nothing when no finite number is there.
std::optional<float> scanAmount(const QString& text);

// How an imported product name is compared with the stored ones: the upper-case words
// (split at single blanks) must all occur in the stored upper-case name, and the stored
// name without outer blanks must be exactly as long as the imported one without outer
// white space. Letters only, no patterns: "%" and "_" are themselves.
struct ProductKey {
    QStringList words;
    qsizetype length = 0;
};
ProductKey productKey(const QString& importedName);
bool productMatches(const ProductKey& key, const QString& storedName);
// A stored name's length without outer blanks, as the comparison counts it.
qsizetype storedTrimmedLength(const QString& storedName);

// An imported unit matches a stored one of the same length that equals it letter by
// letter, case aside, where each "." of the imported name stands for any one character.
bool unitMatches(const QString& importedName, const QString& storedName);

} // namespace exchange
