// ovelta-measure: how well the intake reads recipes that other people wrote.
//   ovelta-measure lines FILE.tsv [--part dev|check|all] [--wrong]
//   ovelta-measure pages DIR [DIR...]
//   ovelta-measure weights FILE.tsv [--part dev|check|all] [--far]
//   ovelta-measure parse < LINES

#include "IntakeMeasure.h"
#include "intake/IngredientLine.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

namespace {

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int usage() {
    print(QStringLiteral("usage: ovelta-measure lines FILE.tsv [--part dev|check|all] [--wrong]\n"
                         "       ovelta-measure pages DIR [DIR...]\n"
                         "       ovelta-measure weights FILE.tsv [--part dev|check|all] [--far]\n"
                         "       ovelta-measure parse < LINES\n"));
    return 2;
}

// The arguments of a measurement over a line set: the file, "--part dev|check|all", and
// the one flag the measurement takes. False when they do not fit.
bool readLineSetArgs(const QStringList& args, const char* flagName, QString& file,
                     measure::Part& part, bool& flag) {
    part = measure::Part::All;
    flag = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String(flagName)) {
            flag = true;
        } else if (args[i] == QLatin1String("--part") && i + 1 < args.size()) {
            const QString p = args[++i];
            if (p == QLatin1String("dev"))
                part = measure::Part::Dev;
            else if (p == QLatin1String("check"))
                part = measure::Part::Check;
            else if (p != QLatin1String("all"))
                return false;
        } else if (file.isEmpty()) {
            file = args[i];
        } else {
            return false;
        }
    }
    return !file.isEmpty();
}

int lines(const QStringList& args) {
    measure::Part part;
    bool wrong;
    QString file;
    if (!readLineSetArgs(args, "--wrong", file, part, wrong))
        return usage();
    const measure::LineScore s = measure::measureLines(file, part);
    if (wrong)
        for (const measure::LineResult& r : s.results)
            if (!r.right)
                print(QStringLiteral("%1\n    want %2\n    got  %3%4\n")
                          .arg(r.line, r.expected, r.got,
                               r.wrongNumber ? QStringLiteral("   (wrong number)") : QString()));
    print(QStringLiteral("lines: %1 of %2 right (%3%), %4 with a wrong non-zero number\n")
              .arg(s.right)
              .arg(s.rows)
              .arg(100.0 * s.share(), 0, 'f', 1)
              .arg(s.wrongNumbers));
    // The targets beside the figures, so that a report never leaves them to memory.
    print(QStringLiteral("target: at least 97% right and no wrong number: %1\n")
              .arg(s.share() >= 0.97 && s.wrongNumbers == 0 ? QStringLiteral("met")
                                                            : QStringLiteral("NOT met")));
    return 0;
}

int weights(const QStringList& args) {
    measure::Part part;
    bool far;
    QString file;
    if (!readLineSetArgs(args, "--far", file, part, far))
        return usage();
    const measure::WeightScore s = measure::measureWeights(file, part);
    if (far)
        for (const QString& line : s.far)
            print(line + QLatin1Char('\n'));
    print(QStringLiteral("products: %1 of %2 known to the table; lines stating grams in another "
                         "unit: %3, product known %4, weighed %5, within a quarter %6\n")
              .arg(s.productsKnown)
              .arg(s.products)
              .arg(s.stated)
              .arg(s.known)
              .arg(s.weighed)
              .arg(s.close));
    return 0;
}

int pages(const QStringList& dirs) {
    if (dirs.isEmpty())
        return usage();
    for (const QString& dir : dirs) {
        const measure::PageScore s = measure::measurePages(dir);
        for (const QString& f : s.failures)
            print(QStringLiteral("  %1\n").arg(f));
        print(QStringLiteral(
                  "%1: %2 pages, %3 with markup: found %4, title %5, lines %6, "
                  "amounts %7, method %8, photo address %9 of %10 first, %11 among others\n")
                  .arg(dir)
                  .arg(s.pages)
                  .arg(s.withMarkup)
                  .arg(s.found)
                  .arg(s.titles)
                  .arg(s.lineCounts)
                  .arg(s.amounts)
                  .arg(s.methods)
                  .arg(s.images)
                  .arg(s.imagesWanted)
                  .arg(s.imagesListed));
    }
    return 0;
}

// Every product each line of standard input names, with its amount, unit and note: what a
// new line class needs to be looked at, before it is a row of a test.
int parse() {
    QTextStream in(stdin);
    in.setEncoding(QStringConverter::Utf8);
    for (QString line; in.readLineInto(&line);) {
        print(line + QLatin1Char('\n'));
        for (const intake::ParsedLine& p : intake::parseProducts(line))
            print(QStringLiteral("    %1 | %2 | %3%4\n")
                      .arg(p.product)
                      .arg(double(p.amount))
                      .arg(p.unit,
                           p.note.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(p.note)));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("lines"))
            return lines(args);
        if (command == QLatin1String("pages"))
            return pages(args);
        if (command == QLatin1String("weights"))
            return weights(args);
        if (command == QLatin1String("parse"))
            return parse();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ovelta-measure: %s\n", e.what());
        return 1;
    }
    return usage();
}
