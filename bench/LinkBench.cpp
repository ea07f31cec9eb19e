// A recipe from a link: a page of a real site's size and its photo from a server on
// 127.0.0.1, to the intake's preview. What counts is the time beyond the transfer itself.

#include "BenchFixture.h"
#include "data/Database.h"
#include "intake/CIntakeDlg.h"
#include "intake/PageFetch.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>
#include <benchmark/benchmark.h>

namespace {

// Serves the page at /page and the photo at /photo.jpg, as a site would.
class Site : public QTcpServer {
public:
    QByteArray page, photo;
    Site() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const bool wantsPhoto = socket->readAll().contains("GET /photo.jpg");
                    const QByteArray& body = wantsPhoto ? photo : page;
                    socket->write(QByteArray("HTTP/1.1 200 OK\r\nContent-Type: ") +
                                  (wantsPhoto ? "image/jpeg" : "text/html; charset=utf-8") +
                                  "\r\nContent-Length: " + QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
};

// A recipe site's page: the recipe's JSON-LD in 150 KB of markup around it.
QByteArray sitePage() {
    QByteArray html = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>Борщ</title>
<script type="application/ld+json">{"@context": "https://schema.org", "@type": "Recipe",
"name": "Борщ украинский", "image": "/photo.jpg", "recipeIngredient": ["500 г говядины",
"300 г свёклы", "200 г капусты", "3 картофелины", "1 морковь", "1 луковица",
"2 ст. л. томатной пасты", "1 ст. л. уксуса", "соль, перец — по вкусу"],
"recipeInstructions": [{"@type": "HowToStep", "text": "Сварить бульон."},
{"@type": "HowToStep", "text": "Добавить овощи и варить до готовности."}]}</script>
</head><body>)";
    while (html.size() < 150 * 1024)
        html += "<div class=\"card\"><a href=\"/recipe/123\"><img src=\"/t.jpg\" alt=\"\">"
                "<span>Ещё один рецепт с сайта</span></a><p>Описание рецепта в ленте.</p></div>\n";
    return html + "</body></html>";
}

QByteArray sitePhoto() {
    QImage image(1200, 800, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(200, 60, 50));
    for (int i = 0; i < 300; ++i)
        p.fillRect((i * 83) % 1200, (i * 47) % 800, 30 + i % 60, 20 + i % 50,
                   QColor((i * 29) % 256, (i * 71) % 256, (i * 13) % 256));
    p.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg", 85);
    return out;
}

void BM_LinkToPreview(benchmark::State& state) {
    Site site;
    site.page = sitePage();
    site.photo = sitePhoto();
    Database db;
    db.open(benchCollectionPath(), Database::OpenMode::Existing);
    double transferMs = 0, wholeMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        intake::fetch(QUrl(site.url("/page")), 10 << 20, {});
        intake::fetch(QUrl(site.url("/photo.jpg")), 20 << 20, {});
        transferMs += double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        const intake::ReadRecipe read = intake::readLink(site.url("/page"));
        CIntakeDlg dialog(db, 0, QString());
        dialog.loadRead(read);
        wholeMs += double(timer.nsecsElapsed()) / 1e6;
    }
    const double n = double(state.iterations());
    state.counters["transfer_ms"] = transferMs / n;
    state.counters["beyond_transfer_ms"] = (wholeMs - transferMs) / n;
}
BENCHMARK(BM_LinkToPreview)->Unit(benchmark::kMillisecond);

} // namespace
