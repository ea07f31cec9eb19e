// A recipe from a link, fetched from a small HTTP server inside the test on 127.0.0.1:
// redirects, statuses, a silent site, a huge answer, charsets and gzip.

#include "catalog/CCatalogView.h"
#include "intake/PageFetch.h"
#include "support/FixtureBytes.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Answer {
    QByteArray head; // status line and headers, without the blank line
    QByteArray body;
    bool silent = false;
    bool open = false; // the connection is held open after the body: a stream with no end
};

// Answers each request by its path, then closes the connection.
class Server : public QTcpServer {
public:
    QHash<QString, Answer> answers;
    QStringList asked;
    Server() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    const QString path = QString::fromLatin1(request.split(' ').value(1));
                    asked << path;
                    const Answer a = answers.value(path, {"HTTP/1.1 404 Not Found", "нет"});
                    if (a.silent)
                        return;
                    // A chunked answer says no length: the body comes as it is given.
                    const QByteArray length =
                        a.head.contains("chunked")
                            ? QByteArray()
                            : "\r\nContent-Length: " + QByteArray::number(a.body.size());
                    socket->write(a.head + length + "\r\nConnection: close\r\n\r\n" + a.body);
                    if (!a.open)
                        socket->disconnectFromHost();
                });
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
};

const QString kPage = QStringLiteral(R"(<html><head><script type="application/ld+json">
{"@type": "Recipe", "name": "Блины", "image": "/img/blini.jpg",
 "recipeIngredient": ["500 мл молока", "2 яйца"], "recipeInstructions": "Испечь."}
</script></head><body></body></html>)");

const QByteArray kHtml = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8";

QString refusal(const QString& url, intake::FetchLimits limits = {}) {
    try {
        intake::readLink(url, limits);
    } catch (const intake::IntakeError& e) {
        return e.message();
    }
    return QStringLiteral("(read)");
}

} // namespace

TEST(Link, APageWithItsPhotoThroughRedirectsGzipAndCharsets) {
    Server s;
    const QByteArray jpegBytes = jpegOf(Qt::blue, 40, 30);
    s.answers["/page"] = {kHtml, kPage.toUtf8()};
    s.answers["/img/blini.jpg"] = {"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg", jpegBytes};
    intake::ReadRecipe r = intake::readLink(s.url("/page"));
    EXPECT_EQ(r.title, "Блины");
    EXPECT_EQ(r.ingredients, (QStringList{"500 мл молока", "2 яйца"}));
    EXPECT_EQ(r.photo, jpegBytes);
    EXPECT_EQ(r.photoSource, s.url("/img/blini.jpg"));
    // Of several photos the first that comes is the one.
    QString twoPhotos = kPage;
    twoPhotos.replace("\"/img/blini.jpg\"", "[\"/img/blini.jpg\", \"/img/other.jpg\"]");
    s.answers["/two"] = {kHtml, twoPhotos.toUtf8()};
    s.answers["/img/other.jpg"] = {"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg",
                                   jpegOf(Qt::red, 20, 20)};
    EXPECT_EQ(intake::readLink(s.url("/two")).photoSource, s.url("/img/blini.jpg"));
    // ovelta-db takes a link too, and stores the photo with the recipe. The server answers
    // from this test's own event loop, so the test waits for the tool without blocking it.
    {
        TestDb t;
        t.db.close();
        QProcess tool;
        tool.start(OVELTA_DB_TOOL, {"import-recipe", "--db", t.path(), s.url("/page")});
        QElapsedTimer waited;
        waited.start();
        while (tool.state() != QProcess::NotRunning && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        EXPECT_EQ(QString::fromUtf8(tool.readAllStandardOutput()), "1\tБлины\n");
        t.db.open(t.path(), Database::OpenMode::Existing);
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM RecipePhotos WHERE Recipe = 1"), 1);
    }
    // Five redirects are followed, a sixth is not.
    for (int i = 1; i <= 6; ++i)
        s.answers[QStringLiteral("/hop%1").arg(i)] = {
            "HTTP/1.1 302 Found\r\nLocation: " +
                (i == 1 ? QByteArray("/page") : "/hop" + QByteArray::number(i - 1)),
            ""};
    EXPECT_EQ(intake::readLink(s.url("/hop5")).title, "Блины");
    EXPECT_TRUE(refusal(s.url("/hop6")).contains("перенаправляет слишком много раз"))
        << refusal(s.url("/hop6")).toStdString();
    // gzip; the charset the site names, and 1251 with no charset at all.
    s.answers["/gzip"] = {kHtml + "\r\nContent-Encoding: gzip", gzipped(kPage.toUtf8())};
    EXPECT_EQ(intake::readLink(s.url("/gzip")).title, "Блины");
    s.answers["/koi8"] = {"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=KOI8-R",
                          QStringEncoder("KOI8-R").encode(kPage)};
    EXPECT_EQ(intake::readLink(s.url("/koi8")).title, "Блины");
    const QByteArray cp1251 = QStringEncoder("windows-1251").encode(kPage);
    s.answers["/bare"] = {"HTTP/1.1 200 OK\r\nContent-Type: text/html", cp1251};
    EXPECT_EQ(intake::readLink(s.url("/bare")).ingredients.value(0), "500 мл молока");
    // A photo that does not come leaves the recipe, with a word about it.
    s.answers.remove("/img/blini.jpg");
    r = intake::readLink(s.url("/page"));
    EXPECT_TRUE(r.photo.isEmpty());
    EXPECT_TRUE(r.notice.startsWith("Фотография не загружена: Страницы «" +
                                    s.url("/img/blini.jpg") + "» нет на сайте (ошибка 404)."))
        << r.notice.toStdString();
}

TEST(Link, EveryFailureIsToldInRussianNamingTheAddress) {
    Server s;
    intake::FetchLimits quick;
    quick.timeoutMs = 400;
    quick.pageBytes = 1 << 20;
    s.answers["/slow"] = {"", "", true};
    s.answers["/huge"] = {kHtml, QByteArray(2 << 20, 'x')};
    s.answers["/pdf"] = {"HTTP/1.1 200 OK\r\nContent-Type: application/pdf", "%PDF-1.4"};
    s.answers["/plain"] = {kHtml, "<html><body>Просто страница</body></html>"};
    s.answers["/error"] = {"HTTP/1.1 503 Service Unavailable", "later"};
    EXPECT_EQ(refusal(s.url("/missing")),
              "Страницы «" + s.url("/missing") + "» нет на сайте (ошибка 404).");
    EXPECT_EQ(refusal(s.url("/error")),
              "Сайт ответил на «" + s.url("/error") + "» ошибкой 503 (Service Unavailable).");
    EXPECT_EQ(refusal(s.url("/slow"), quick), "«" + s.url("/slow") + "» не ответил за 0.4 с.");
    EXPECT_EQ(refusal(s.url("/huge"), quick), "«" + s.url("/huge") + "» больше 1 МБ.");
    // The limit holds while a page streams with no length given.
    QByteArray chunked;
    for (int i = 0; i < 32; ++i)
        chunked += "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n";
    chunked += "0\r\n\r\n";
    s.answers["/stream"] = {kHtml + "\r\nTransfer-Encoding: chunked", chunked};
    EXPECT_EQ(refusal(s.url("/stream"), quick), "«" + s.url("/stream") + "» больше 1 МБ.");
    // A stream that never ends is stopped at the limit, not left to run into the time limit.
    chunked.chop(5);
    s.answers["/endless"] = {kHtml + "\r\nTransfer-Encoding: chunked", chunked, false, true};
    EXPECT_EQ(refusal(s.url("/endless"), quick), "«" + s.url("/endless") + "» больше 1 МБ.");
    EXPECT_EQ(refusal(s.url("/pdf")),
              "По адресу «" + s.url("/pdf") + "» не веб-страница, а application/pdf.");
    EXPECT_TRUE(refusal(s.url("/plain"))
                    .startsWith("Не могу прочитать рецепт со страницы «" + s.url("/plain") + "»"));
    EXPECT_TRUE(refusal("ftp://example.org/x").contains("http:// или https://"));
    // Cancel, while the site says nothing.
    try {
        intake::readLink(s.url("/slow"), {}, [] { return true; });
        ADD_FAILURE() << "a cancelled fetch went on";
    } catch (const intake::IntakeError& e) {
        EXPECT_EQ(e.message(), "Загрузка отменена");
    }
    // Cancel while the photo comes: the recipe is not read without it as if it had failed.
    s.answers["/page"] = {kHtml, kPage.toUtf8()};
    s.answers["/img/blini.jpg"] = {"", "", true};
    QElapsedTimer clock;
    clock.start();
    try {
        intake::readLink(s.url("/page"), {}, [&] { return clock.elapsed() > 300; });
        ADD_FAILURE() << "a fetch cancelled at its photo went on";
    } catch (const intake::FetchCancelled&) {
    }
    // A photo is held to the photo limit, not the page's.
    s.answers["/big-photo"] = {kHtml,
                               QStringLiteral(R"(<html><head><script type="application/ld+json">
{"@type": "Recipe", "name": "Щи", "image": "/big.jpg", "recipeIngredient": ["Капуста"],
 "recipeInstructions": "Сварить."}</script></head></html>)")
                                   .toUtf8()};
    s.answers["/big.jpg"] = {"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg",
                             QByteArray(3 << 19, 'j')}; // 1.5 MB
    intake::FetchLimits photoLimit = quick;
    photoLimit.photoBytes = 2 << 20;
    EXPECT_EQ(intake::readLink(s.url("/big-photo"), photoLimit).photo.size(), 3 << 19);
    // Slow photo addresses share one time budget: the second is never asked for.
    s.answers["/three"] = {kHtml, QStringLiteral(R"(<html><head><script type="application/ld+json">
{"@type": "Recipe", "name": "Щи", "image": ["/a.jpg", "/b.jpg", "/c.jpg"],
 "recipeIngredient": ["Капуста — 500 г"], "recipeInstructions": "Сварить."}
</script></head></html>)")
                                      .toUtf8()};
    for (const char* photo : {"/a.jpg", "/b.jpg", "/c.jpg"})
        s.answers[photo] = {"", "", true};
    const intake::ReadRecipe slow = intake::readLink(s.url("/three"), quick);
    EXPECT_TRUE(slow.photo.isEmpty());
    EXPECT_TRUE(s.asked.contains("/a.jpg"));
    EXPECT_FALSE(s.asked.contains("/b.jpg")) << s.asked.join(' ').toStdString();
    // Nobody listens on the port any more.
    const QString gone = s.url("/page");
    s.close();
    EXPECT_TRUE(refusal(gone).startsWith("Не удалось связаться с «" + gone + "»"))
        << refusal(gone).toStdString();
    EXPECT_TRUE(intake::looksLikeLink(" https://eda.example/recipe/1 "));
    EXPECT_FALSE(intake::looksLikeLink("Борщ\n500 г свёклы"));
}

TEST(Link, CtrlLOffersTheClipboardsLinkAndShowsThePreviewWithThePhoto) {
    Server s;
    s.answers["/page"] = {kHtml, kPage.toUtf8()};
    s.answers["/img/blini.jpg"] = {"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg",
                                   jpegOf(Qt::blue, 40, 30)};
    TestDb t;
    ShownFrame frame(t.db);
    QGuiApplication::clipboard()->setText(s.url("/page"));
    Prompts::setNextFileName(s.url("/page"));
    onNextModal([](QWidget* dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "title")->text(), "Блины");
        QLabel* photo = child<QLabel>(dialog, "photo");
        EXPECT_TRUE(photo && !photo->pixmap().isNull()) << "the preview shows no photo";
        click(dialog, "saveButton");
    });
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    frame.catalogView()->setFocus();
    QTest::keyClick(frame.catalogView(), Qt::Key_L, Qt::ControlModifier);
    // The address the dialog offered was the clipboard's.
    ASSERT_FALSE(Prompts::fileDialogStarts().empty()) << "Ctrl+L asked for no address";
    EXPECT_EQ(Prompts::fileDialogStarts().back(), s.url("/page"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes r JOIN RecipePhotos p "
                           "ON p.Recipe = r.ID WHERE r.Name = 'Блины'"),
              1);
    // The tree shows the new recipe at once.
    ASSERT_NE(frame.catalogView()->selectedEntry(), nullptr);
    EXPECT_EQ(frame.catalogView()->selectedEntry()->text(0), "Блины");
    // A failure is an error message, and nothing is stored.
    Prompts::setNextFileName(s.url("/missing"));
    frame.runCommand(ID_IMPORT_LINK);
    EXPECT_EQ(lastShown(),
              "Ошибка: Страницы «" + s.url("/missing") + "» нет на сайте (ошибка 404).");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
    // The failed address is offered again to be corrected, whatever the clipboard holds.
    Prompts::setNextFileName(QString());
    frame.runCommand(ID_IMPORT_LINK);
    EXPECT_EQ(Prompts::fileDialogStarts().back(), s.url("/missing"));
}

// A server that names windows-1251 for UTF-8 bytes whose own head says UTF-8 is wrong.
TEST(Link, APageThatSaysUtf8IsReadAsUtf8WhateverTheServerNames) {
    const QByteArray utf8 = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Щи</title>"
                                           "</head></html>")
                                .toUtf8();
    EXPECT_EQ(intake::pageAsUtf8({utf8, "text/html; charset=windows-1251", QUrl()}), utf8);
    // Without the page's own word, the server's charset is believed.
    const QByteArray cp1251 = QStringEncoder("windows-1251").encode(QStringLiteral("<p>Щи</p>"));
    EXPECT_EQ(
        QString::fromUtf8(intake::pageAsUtf8({cp1251, "text/html; charset=windows-1251", QUrl()})),
        "<p>Щи</p>");
}
