// libFuzzer target: the recipe intake's readers (a saved page, a JSON file, text) and the
// ingredient-line parser, on anything a user could drop on the window. Nothing may crash,
// hang or run away with memory; what is read must hang together.

#include "intake/IngredientLine.h"
#include "intake/RecipeReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

void checkRead(const intake::ReadRecipe& r) {
    for (const QString& line : r.ingredients) {
        const intake::ParsedLine p = intake::parseLine(line);
        check(std::isfinite(p.amount) && p.amount >= 0);
        check(p.product.size() <= 500);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (auto read : {&intake::readHtml, &intake::readJson}) {
        try {
            checkRead(read(bytes));
        } catch (const intake::IntakeError& e) {
            check(!e.message().isEmpty());
        }
    }
    try {
        checkRead(intake::readText(QString::fromUtf8(bytes)));
    } catch (const intake::IntakeError& e) {
        check(!e.message().isEmpty());
    }
    return 0;
}
