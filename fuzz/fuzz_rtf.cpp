// libFuzzer target: the RTF reader that turns documents into what the recipe pane shows.

#include "recipes/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    readRtf(bytes, &document);
    (void)document.toPlainText();
    return 0;
}
