#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// How well the intake reads recipes that other people wrote, measured on a set of real
// ingredient lines with the answers a cook would give, and on saved pages with what a
// careful reader finds on each. Used by `ovelta-measure` and by the suite's floor check.
namespace measure {

// Which rows of a line set are measured: they are split by source into two sets that are
// kept apart, one to work against and one to check the result on.
enum class Part { All, Dev, Check };

struct LineResult {
    QString line;
    QString expected; // "product | amount | unit"
    QString got;
    bool right = false;
    bool wrongNumber = false; // a non-zero amount that is not the line's
};

struct LineScore {
    int rows = 0; // measured rows (those marked uncertain are left out)
    int right = 0;
    int wrongNumbers = 0;
    std::vector<LineResult> results;
    double share() const { return rows == 0 ? 0 : double(right) / rows; }
};

// Reads a tab-separated set (line, product, amount, unit, source, optional "?") and sends
// each source's lines as one pasted recipe through the intake into a fresh copy of the
// starter collection. Throws std::runtime_error when the file cannot be read.
LineScore measureLines(const QString& tsvPath, Part part);

// Whether a product, amount and unit that the intake stored answer the expected ones:
// products case-blind with е = ё, word order and endings free (the first five letters of
// each word decide), extra words allowed; units with spaces and dots aside.
bool productAnswers(const QString& got, const QString& expected);
bool unitAnswers(const QString& got, const QString& expected);

// The shipped food table held to the grams that recipe sites print beside a line ("1,5 ст. л.
// = 37,5 г"): for each such line in a unit other than a mass, the product as the answer names
// it, its row in the table, and the grams the table's figures give for the amount.
struct WeightScore {
    int stated = 0;        // lines that state their grams, in a unit that is no mass
    int known = 0;         // of those, the table knows the product
    int weighed = 0;       // and can weigh the amount
    int close = 0;         // within a quarter of the stated grams
    int products = 0;      // distinct products the answers name
    int productsKnown = 0; // of those, the table knows
    QStringList far;       // "line: stated g, table g"
};
WeightScore measureWeights(const QString& tsvPath, Part part);

struct PageScore {
    int pages = 0;
    int withMarkup = 0; // pages that have an expected answer
    int found = 0;      // of those, read as a recipe
    int titles = 0;
    int lineCounts = 0;
    int amounts = 0;      // pages whose every line's first number is the expected one
    int methods = 0;      // method read with the expected number of steps
    int imagesWanted = 0; // pages whose answer names the photo's address
    int images = 0;       // of those, the address read first
    int imagesListed = 0; // or read among others
    QStringList failures;
};

// Saved pages NAME.html, each beside NAME.json with the expected title, ingredients and
// instructions; a page without a JSON answer only counts when it is found.
PageScore measurePages(const QString& dir);

} // namespace measure
