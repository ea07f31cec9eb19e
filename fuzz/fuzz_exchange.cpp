// libFuzzer target: the exchange file reader, reading into a collection held in memory.
// Every input is read as a file another copy of the program (or anybody) could hand us,
// in either encoding, and what it yields must hang together.

#include "exchange/ExchangeFormat.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

struct Collection : exchange::ReaderSink {
    std::vector<std::pair<QString, int>> sections; // name, parent
    std::vector<std::pair<QString, int>> recipes;  // name, section
    std::map<QString, int> products, units;
    std::vector<QString> descriptions;
    size_t lines = 0;
    qint64 lastOffset = 0;

    int section(const QString& name, int parent) override {
        check(parent >= 0 && parent <= int(sections.size()));
        sections.emplace_back(name, parent);
        return int(sections.size());
    }
    int recipe(const QString& name, int section) override {
        check(section >= 0 && section <= int(sections.size()));
        recipes.emplace_back(name, section);
        descriptions.emplace_back();
        return int(recipes.size());
    }
    int product(const QString& name) override {
        return products.emplace(name, int(products.size()) + 1).first->second;
    }
    int unit(const QString& name) override {
        return units.emplace(name, int(units.size()) + 1).first->second;
    }
    void line(int recipe, int product, float quantity, int unit) override {
        check(recipe >= 1 && recipe <= int(recipes.size()));
        check(product >= 1 && product <= int(products.size()));
        check(unit >= 0 && unit <= int(units.size()));
        (void)quantity;
        ++lines;
    }
    void description(int recipe, const QString& text) override {
        check(recipe >= 1 && recipe <= int(recipes.size()));
        descriptions[size_t(recipe - 1)] = text;
    }
    void reached(int, qint64 offset) override {
        check(offset > lastOffset); // every line moves the reader on
        lastOffset = offset;
    }
    static void check(bool ok) {
        if (!ok)
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    exchange::Lines lines(bytes);
    if (bytes.isEmpty() || !exchange::isAcceptedHeader(lines.firstLineBytes()))
        return 0;
    Collection c;
    exchange::read(lines, c);
    Collection::check(c.lastOffset <= qint64(size));
    // What was read writes out again.
    exchange::Writer out;
    for (const auto& s : c.sections)
        out.line("CATALOG=", s.first);
    for (const QString& d : c.descriptions)
        out.line(d);
    return 0;
}
