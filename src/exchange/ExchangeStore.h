#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

class Database;
class Progress;

// Export to and import from the recipe exchange file. No widgets here.
namespace exchange {

struct ExportResult {
    int sections = 0;
    int recipes = 0;
    int lines = 0;
    qsizetype replaced = 0; // characters the code page lacks, written as "?"
    // Recipes holding a key text of the format in a name or a description line: the file
    // cannot carry them, and reading it back would cut them short.
    int cutShort = 0;
    QString firstCutShort;
    // Sections inside others whose name holds a key text: reading the file back would end
    // their parent there and put their recipes elsewhere.
    int sectionsCutShort = 0;
    QString firstSectionCutShort;
    int photosLeft = 0; // photos of the recipes written, which the format cannot carry
};

// What the user is told beyond "Экспорт завершен": a line for each kind of loss, none when
// the file carries everything.
QStringList exportWarnings(const ExportResult& result);

// The file for one section with everything below it, or (nullopt) for the whole
// collection. A section that is not there gives just the header.
QByteArray exportBytes(Database& db, std::optional<int> section, ExportResult* result = nullptr);

// Writes the file beside the target first and puts it in place only when complete.
// Throws ExchangeError (with the reason in Russian) when it cannot; nothing is left then.
ExportResult exportToFile(Database& db, std::optional<int> section, const QString& path);

struct ImportResult {
    std::vector<int> topSections; // created with parent 0, in creation order
    std::vector<int> rootRecipes; // created at the root, in creation order
    int sections = 0;
    int recipes = 0;
    int lines = 0;
    int newProducts = 0;
    int newUnits = 0;
    bool utf8 = false; // the file was read as UTF-8 rather than code page 1251
};

// What an import read, in one line, as the program and the companion tool both say it.
QString importSummary(const ImportResult& result);

// A failure that names what went wrong, and for an import the line of the file.
class ExchangeError : public std::runtime_error {
public:
    enum class Kind { Format, File, Data };
    ExchangeError(Kind kind, const QString& message, int line = 0)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message),
          m_line(line) {}
    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }
    int line() const { return m_line; }

private:
    Kind m_kind;
    QString m_message;
    int m_line;
};

// Reads the bytes of an exchange file into the collection, all or nothing: on any
// failure nothing is stored and ExchangeError says which line and why. A header that is
// not one of the two accepted ones is Kind::Format. Progress counts bytes.
ImportResult importBytes(Database& db, const QByteArray& bytes, Progress& progress);
ImportResult importFile(Database& db, const QString& path, Progress& progress);
// A file is read whole. One this large is no collection anybody keeps (ten thousand recipes
// with ten lines each export to 10 MB), and holding it would cost gigabytes of memory.
inline constexpr qint64 kMaxImportBytes = qint64(1) << 30;

// The starter collection that a new user's first start shows: an exchange file of our
// own household recipes, shipped inside the program.
QByteArray starterCollection();
// The starter recipes' servings, which the exchange file has no place for: given to the
// recipes of those names that say none yet.
void giveStarterServings(Database& db);

// For tests: called before each line is handled, with its number; may throw to force a
// failure at that line.
void setLineHook(std::function<void(int)> hook);

} // namespace exchange
