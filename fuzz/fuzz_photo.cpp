// libFuzzer target: the photo path, bytes in, a photo re-encoded or a refusal out.

#include "photos/PhotoImage.h"

#include <QGuiApplication>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const photos::Photo photo = photos::normalise(bytes, QStringLiteral("fuzz"));
        // What is kept must itself be a picture of the size it claims.
        if (QImage::fromData(photo.image).size() != photo.size || photo.small.isEmpty())
            __builtin_trap();
    } catch (const photos::PhotoError&) {
    }
    return 0;
}
