// libFuzzer target: one entry of another program's collection, bytes in, recipes or a
// refusal out. The first byte picks what the entry is called, and so how it is read.

#include "movein/Collection.h"

#include <QCoreApplication>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const char* const names[] = {"export.zip", "a.paprikarecipe", "recipe.json",
                                        "page.html", "notes.txt"};
    const QString name = QString::fromLatin1(names[data[0] % 5]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        for (const movein::Incoming& in : movein::readEntry(name, bytes))
            if (in.title.isEmpty()) // every recipe has a name, its file's when it gave none
                __builtin_trap();
    } catch (const movein::MoveInError&) {
    } catch (const intake::IntakeError&) {
    }
    return 0;
}
