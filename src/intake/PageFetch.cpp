#include "PageFetch.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>

namespace intake {

namespace {

QString megabytes(qint64 bytes) {
    return QString::number(bytes >> 20);
}

QString shown(const QUrl& url) {
    return url.toDisplayString();
}

IntakeError networkError(const QUrl& url, QNetworkReply& reply) {
    const QString address = shown(url);
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 404 || status == 410)
        return IntakeError(
            QStringLiteral("Страницы «%1» нет на сайте (ошибка %2).").arg(address).arg(status));
    if (status >= 400)
        return IntakeError(
            QStringLiteral("Сайт ответил на «%1» ошибкой %2 (%3).")
                .arg(address)
                .arg(status)
                .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
    switch (reply.error()) {
    case QNetworkReply::HostNotFoundError:
        return IntakeError(QStringLiteral("Сайт «%1» не найден: проверьте адрес и подключение "
                                          "к интернету.")
                               .arg(url.host()));
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return IntakeError(
            QStringLiteral("«%1» перенаправляет слишком много раз или на небезопасный адрес.")
                .arg(address));
    case QNetworkReply::ProtocolUnknownError:
        return IntakeError(QStringLiteral("«%1»: такой адрес не открыть, нужен адрес, "
                                          "начинающийся с http:// или https:// (%2).")
                               .arg(address, reply.errorString()));
    case QNetworkReply::SslHandshakeFailedError:
        return IntakeError(QStringLiteral("Сайт «%1» не прошёл проверку защищённого соединения "
                                          "(%2).")
                               .arg(url.host(), reply.errorString()));
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
        return IntakeError(QStringLiteral("Не удалось связаться с «%1»: нет сети или сайт не "
                                          "отвечает (%2).")
                               .arg(address, reply.errorString()));
    default:
        break;
    }
    return IntakeError(
        QStringLiteral("Не удалось загрузить «%1» (%2).").arg(address, reply.errorString()));
}

QString charsetOf(const QString& contentType) {
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([\\w.:-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return charset.match(contentType).captured(1).toLower();
}

} // namespace

Fetched fetch(const QUrl& url, qint64 maxBytes, const FetchLimits& limits,
              const std::function<bool()>& cancelled) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw IntakeError(QStringLiteral("«%1» — не адрес веб-страницы: нужна ссылка, которая "
                                         "начинается с http:// или https://.")
                              .arg(shown(url)));
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits.redirects);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Ovelta"));
    QNetworkReply* reply = manager.get(request);
    QByteArray bytes;
    bool tooLarge = false, timedOut = false, stopped = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        bytes += reply->readAll();
        if (bytes.size() > maxBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    deadline.start(limits.timeoutMs);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancelled && cancelled()) {
            stopped = true;
            reply->abort();
        }
    });
    if (cancelled)
        poll.start(50);
    if (!reply->isFinished())
        loop.exec();
    if (!tooLarge && !timedOut && !stopped)
        bytes += reply->readAll();
    std::unique_ptr<QNetworkReply> owned(reply);
    if (stopped)
        throw FetchCancelled();
    if (timedOut)
        throw IntakeError(QStringLiteral("«%1» не ответил за %2 с.")
                              .arg(shown(url))
                              .arg(limits.timeoutMs / 1000.0));
    if (tooLarge || bytes.size() > maxBytes)
        throw IntakeError(
            QStringLiteral("«%1» больше %2 МБ.").arg(shown(url), megabytes(maxBytes)));
    if (reply->error() != QNetworkReply::NoError ||
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400)
        throw networkError(url, *reply);
    return {bytes, reply->header(QNetworkRequest::ContentTypeHeader).toString(), reply->url()};
}

QByteArray pageAsUtf8(const Fetched& page) {
    const QString charset = charsetOf(page.contentType);
    // A server that names windows-1251 for a page whose bytes are UTF-8 and whose own head
    // says so is wrong: the page is believed.
    static const QRegularExpression utf8Meta(
        QStringLiteral("<meta[^>]+charset\\s*=\\s*[\"']?utf-?8"),
        QRegularExpression::CaseInsensitiveOption);
    const bool pageSaysUtf8 = QByteArrayView(page.bytes).isValidUtf8() &&
                              utf8Meta.match(QString::fromLatin1(page.bytes.left(8192))).hasMatch();
    if (!pageSaysUtf8 && !charset.isEmpty() && charset != QLatin1String("utf-8") &&
        charset != QLatin1String("utf8")) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return QString(decoder.decode(page.bytes)).toUtf8();
    }
    // Named UTF-8 or nothing: the bytes say (a Russian site without a charset is 1251).
    return readBytesAsUtf8(page.bytes);
}

ReadRecipe readLink(const QString& address, const FetchLimits& limits,
                    const std::function<bool()>& cancelled) {
    QUrl url = QUrl::fromUserInput(address.trimmed());
    const Fetched page = fetch(url, limits.pageBytes, limits, cancelled);
    const QString type = page.contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    const bool json = type.contains(QLatin1String("json"));
    if (!type.isEmpty() && !json && !type.startsWith(QLatin1String("text/")) &&
        !type.contains(QLatin1String("xml")))
        throw IntakeError(
            QStringLiteral("По адресу «%1» не веб-страница, а %2.").arg(shown(url), type));
    ReadRecipe r;
    try {
        const QByteArray utf8 = pageAsUtf8(page);
        r = json ? readJson(utf8) : readHtml(utf8);
    } catch (const IntakeError& e) {
        throw IntakeError(QStringLiteral("Не могу прочитать рецепт со страницы «%1»: %2")
                              .arg(shown(url), e.message()));
    }
    // The photo: the first of its addresses that comes; data: ones are in the page itself.
    // All of them together get the time one address would: five slow addresses must not
    // keep the user waiting five times over.
    QStringList refused;
    QElapsedTimer spent;
    spent.start();
    for (const QString& image : r.images) {
        if (image.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
            r.photo = fromDataUrl(image);
            r.photoSource = QStringLiteral("страница");
        } else {
            const QUrl at = page.url.resolved(QUrl(image));
            FetchLimits left = limits;
            left.timeoutMs = int(limits.timeoutMs - spent.elapsed());
            // What is left of the budget must be worth a try: a timer may end a few
            // milliseconds early, and a fetch of a millisecond only costs a failure.
            if (left.timeoutMs < std::max(100, limits.timeoutMs / 10)) {
                refused << QStringLiteral("на фотографии ушло больше %1 с.")
                               .arg(limits.timeoutMs / 1000.0);
                break;
            }
            try {
                r.photo = fetch(at, limits.photoBytes, left, cancelled).bytes;
                r.photoSource = shown(at);
            } catch (const FetchCancelled&) {
                throw;
            } catch (const IntakeError& e) {
                refused << e.message();
            }
        }
        if (!r.photo.isEmpty())
            break;
    }
    if (r.photo.isEmpty() && !refused.isEmpty()) {
        const QString note = QStringLiteral("Фотография не загружена: %1").arg(refused.first());
        r.notice = r.notice.isEmpty() ? note : r.notice + QLatin1Char('\n') + note;
    }
    return r;
}

bool looksLikeLink(const QString& text) {
    const QString t = text.trimmed();
    if (t.contains(QLatin1Char(' ')) || t.contains(QLatin1Char('\n')))
        return false;
    return t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

} // namespace intake
