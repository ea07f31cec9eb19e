#pragma once

#include "RecipeReader.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

// A recipe from a link: the page fetched over http or https, read like a saved page, and
// its photo fetched too. Waits in a local event loop, so a window stays painted and its
// Cancel button can be pressed meanwhile.
namespace intake {

struct FetchLimits {
    int redirects = 5;
    // For the page, from the request to its last byte; and once more for all of its photos
    // together.
    int timeoutMs = 20000;
    qint64 pageBytes = 10 << 20;
    qint64 photoBytes = 20 << 20;
};

// What a fetch throws when cancelled() turned true: the user asked for it, nothing to tell.
class FetchCancelled : public IntakeError {
public:
    FetchCancelled() : IntakeError(QStringLiteral("Загрузка отменена")) {}
};

struct Fetched {
    QByteArray bytes; // unpacked, when the site sent gzip
    QString contentType;
    QUrl url; // where the redirects ended
};

// The bytes at url, at most maxBytes of them. Throws IntakeError in Russian naming the
// address: no network, no such site, an HTTP error, too many redirects, the time-out, too
// large, and "Загрузка отменена" when cancelled() turns true.
Fetched fetch(const QUrl& url, qint64 maxBytes, const FetchLimits& limits,
              const std::function<bool()>& cancelled = {});

// The page's text as UTF-8: the charset the site named, else what the bytes are.
QByteArray pageAsUtf8(const Fetched& page);

// The recipe at address, with its photo when one of its addresses can be fetched (a photo
// that cannot is told in the notice, the recipe is still read).
ReadRecipe readLink(const QString& address, const FetchLimits& limits = {},
                    const std::function<bool()>& cancelled = {});

// Whether text is a link readLink takes ("https://…", also without the scheme "www.…").
bool looksLikeLink(const QString& text);

} // namespace intake
