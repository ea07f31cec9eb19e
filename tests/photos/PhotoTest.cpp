#include "app/CMainFrame.h"
#include "data/Schema.h"
#include "exchange/ExchangeStore.h"
#include "photos/PhotoStore.h"
#include "recipes/CRView.h"
#include "recipes/CRecipeForm.h"
#include "recipes/RecipeDocument.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/Prompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// A picture with something in it, in the given format.
QByteArray picture(int width, int height, const char* format, bool transparent = false) {
    QImage image(width, height, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(transparent ? Qt::transparent : Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, Qt::red);
    p.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return out;
}

// A JPEG that says, in its EXIF data, that it is to be turned a quarter clockwise.
QByteArray turnedJpeg(int width, int height) {
    const QByteArray jpeg = picture(width, height, "jpg");
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    tiff += QByteArray("\x01\0", 2);                              // one entry
    tiff += QByteArray("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12); // orientation 6
    tiff += QByteArray(4, '\0');                                  // no next directory
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    const int length = int(exif.size()) + 2;
    app1 += char(length >> 8);
    app1 += char(length & 0xFF);
    return jpeg.left(2) + app1 + exif + jpeg.mid(2);
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QSize sizeOf(const QByteArray& bytes) {
    return QImage::fromData(bytes).size();
}

QString refusal(const QByteArray& bytes) {
    try {
        photos::normalise(bytes, QStringLiteral("снимок.jpg"));
    } catch (const photos::PhotoError& e) {
        return e.message;
    }
    return QStringLiteral("not refused");
}

} // namespace

TEST(PhotoImage, KeepsPicturesUprightNoLargerThanNeededWithASmallCopy) {
    // A large JPEG turned by its EXIF mark: upright, its longest side at most 1600.
    const photos::Photo turned = photos::normalise(turnedJpeg(3200, 1000), "a.jpg");
    EXPECT_EQ(turned.format, "jpg");
    EXPECT_EQ(turned.size, QSize(500, 1600));
    EXPECT_EQ(sizeOf(turned.image), QSize(500, 1600));
    EXPECT_EQ(sizeOf(turned.small).width(), 480);
    // The red quarter of the unturned picture is its top left; turned clockwise, top right.
    const QImage upright = QImage::fromData(turned.image);
    EXPECT_GT(upright.pixelColor(450, 100).red(), 200);
    EXPECT_LT(upright.pixelColor(450, 100).green(), 80);
    EXPECT_GT(upright.pixelColor(50, 100).green(), 200);

    // A tall picture pasted is held to 1600 on its longest side too.
    QImage tall(1000, 3000, QImage::Format_RGB32);
    tall.fill(Qt::yellow);
    EXPECT_EQ(photos::fromImage(tall).size, QSize(533, 1600));
    // A paste of nothing is told as such.
    try {
        photos::fromImage(QImage());
        ADD_FAILURE() << "an empty picture was stored";
    } catch (const photos::PhotoError& e) {
        EXPECT_EQ(e.message, "Пустое изображение.");
    }
    // A small PNG stays its size, re-encoded as JPEG; transparency keeps it PNG.
    const photos::Photo small = photos::normalise(picture(300, 200, "png"), "b.png");
    EXPECT_EQ(small.format, "jpg");
    QByteArray encoded = small.image;
    QBuffer encodedBuffer(&encoded);
    EXPECT_EQ(QImageReader(&encodedBuffer).format(), "jpeg");
    EXPECT_EQ(small.size, QSize(300, 200));
    EXPECT_EQ(sizeOf(small.small), QSize(300, 200));
    EXPECT_EQ(photos::normalise(picture(300, 200, "png", true), "c.png").format, "png");
    // An alpha channel that nothing uses is no reason for PNG.
    QImage opaque(50, 50, QImage::Format_ARGB32);
    opaque.fill(Qt::white);
    QByteArray opaquePng;
    QBuffer buffer(&opaquePng);
    buffer.open(QIODevice::WriteOnly);
    opaque.save(&buffer, "png");
    EXPECT_EQ(photos::normalise(opaquePng, "e.png").format, "jpg");
    EXPECT_EQ(photos::normalise(picture(640, 480, "bmp"), "d.bmp").size, QSize(640, 480));
}

TEST(PhotoImage, RefusesWhatIsNoPictureBeforeItCostsMemory) {
    EXPECT_EQ(refusal("просто текст"), "«снимок.jpg» — не изображение или файл повреждён.");
    // Cut off half-way: libjpeg would fill the rest grey.
    const QByteArray jpeg = picture(800, 600, "jpg");
    EXPECT_TRUE(refusal(jpeg.left(jpeg.size() / 2)).contains("повреждён"));
    // A PNG whose header claims 50,000 × 50,000 points is refused from the header alone.
    QByteArray bomb = picture(4, 4, "png");
    const char huge[4] = {0, 0, char(0xC3), 0x50}; // 50,000, most significant byte first
    bomb.replace(16, 4, huge, 4);
    bomb.replace(20, 4, huge, 4);
    const quint32 crc = crc32(bomb.mid(12, 17));
    const char crcBytes[4] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
    bomb.replace(29, 4, crcBytes, 4);
    EXPECT_EQ(refusal(bomb), "Изображение «снимок.jpg» слишком велико: 50000 × 50000 точек.");
    // A chunk that claims two gigabytes in a file of a few hundred bytes: libpng would set
    // the two gigabytes aside before finding out. A PNG cut off before its end chunk too.
    const QByteArray png = picture(8, 8, "png");
    QByteArray longChunk = png;
    longChunk.insert(33, QByteArray("\x7F\xFF\xFF\x00tEXtKey\0value\0\0\0\0", 21));
    EXPECT_TRUE(photos::damaged(longChunk, "png"));
    EXPECT_TRUE(refusal(longChunk).contains("повреждён"));
    EXPECT_TRUE(photos::damaged(png.left(png.size() - 12), "png"));
    EXPECT_FALSE(photos::damaged(png, "png"));
    EXPECT_TRUE(photos::damaged(jpeg.left(jpeg.size() / 2), "jpeg"));
    EXPECT_FALSE(photos::damaged(jpeg, "jpeg"));
    EXPECT_TRUE(refusal(QByteArray(photos::kMaxFileBytes + 1, 'x')).contains("больше 50 МБ"));
    // 50 MB itself is within the limit: refused only for what it holds.
    EXPECT_FALSE(refusal(QByteArray(photos::kMaxFileBytes, 'x')).contains("больше 50 МБ"));
    try {
        photos::readPhotoFile(QStringLiteral("/nonexistent/фото.jpg"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const photos::PhotoError& e) {
        EXPECT_TRUE(e.message.startsWith("Не удалось открыть файл «фото.jpg»"))
            << e.message.toStdString();
    }
}

TEST(PhotoStore, APhotoIsSetReplacedRemovedAndGoesWithItsRecipe) {
    TestDb t;
    const int soup = t.addRecipe("Суп");
    const int tea = t.addRecipe("Чай");
    photos::setPhoto(t.db, soup, photos::normalise(picture(2000, 1000, "png"), "a.png"));
    EXPECT_EQ(sizeOf(*photos::photoBytes(t.db, soup)), QSize(1600, 800));
    EXPECT_EQ(sizeOf(*photos::photoBytes(t.db, soup, photos::Copy::Small)), QSize(480, 240));
    photos::setPhoto(t.db, soup, photos::normalise(picture(100, 50, "png"), "b.png"));
    EXPECT_EQ(sizeOf(*photos::photoBytes(t.db, soup)), QSize(100, 50));
    EXPECT_EQ(photos::photoCount(t.db), 1);
    EXPECT_FALSE(photos::photoBytes(t.db, tea));
    // No recipe, no photo: and nothing written.
    EXPECT_THROW(photos::setPhoto(t.db, 999, photos::normalise(picture(10, 10, "png"), "c")),
                 DbError);
    EXPECT_EQ(photos::photoCount(t.db), 1);
    EXPECT_FALSE(photos::removePhoto(t.db, tea));
    photos::setPhoto(t.db, tea, photos::normalise(picture(10, 10, "png"), "c"));
    EXPECT_TRUE(photos::removePhoto(t.db, tea));
    EXPECT_FALSE(photos::hasPhoto(t.db, tea));
    // Deleted by any means, even the sqlite3 shell, the recipe takes its photo along.
    t.db.exec("DELETE FROM Recipes WHERE ID=?", {qint64(soup)});
    EXPECT_EQ(photos::photoCount(t.db), 0);
    // A file from before photos gets their table when it is opened.
    t.db.exec("DROP TABLE RecipePhotos");
    EXPECT_EQ(photos::photoCount(t.db), 0);
    schema::upgrade(t.db);
    EXPECT_TRUE(t.db.hasTable("RecipePhotos"));
}

TEST(PhotoView, ThePaneShowsThePhotoUnderTheTitleAndTheCommandsSetAndRemoveIt) {
    TestDb t;
    const int soup = t.recipe("Суп", {{"Вода", 1, "л"}}, 0, "Варить.");
    const QString file = t.dir() + "/фото.png";
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(picture(1200, 600, "png"));
    }
    CMainFrame frame(t.db);
    frame.resize(1000, 700);
    frame.show();
    CRView* view = frame.recipeView();
    view->ShowRecipe(soup);
    EXPECT_TRUE(view->photoSize().isEmpty());

    Prompts::setTestMode(true);
    Prompts::setNextFileName(file);
    frame.runCommand(ID_RECIPE_PHOTO);
    ASSERT_FALSE(view->photoSize().isEmpty()) << "no photo after the command";
    EXPECT_EQ(view->photoSize(), QSize(1200, 600));
    // The document's bytes are the recipe's own; the photo is only shown, after the title.
    EXPECT_EQ(view->documentRtf(), recipeRtf(t.db, soup));
    QTextBlock second = view->document()->firstBlock().next();
    ASSERT_TRUE(second.isValid());
    const QTextImageFormat shown = second.begin().fragment().charFormat().toImageFormat();
    ASSERT_TRUE(shown.isValid()) << "no picture in the second paragraph";
    EXPECT_LE(shown.width(), view->viewport()->width());
    EXPECT_LE(shown.height(), view->viewport()->height() / 2.0 + 0.5);
    EXPECT_NEAR(shown.width() / shown.height(), 2.0, 0.01);
    // A narrow pane reads the small copy; widened past it, the full picture.
    view->resize(300, 400);
    view->ShowRecipe(soup);
    EXPECT_EQ(view->photoLoaded(), QSize(480, 240));
    view->resize(900, 1200);
    EXPECT_EQ(view->photoLoaded(), QSize(1200, 600));

    Prompts::setNextAnswer(Prompts::No);
    frame.runCommand(ID_REMOVE_PHOTO);
    EXPECT_TRUE(photos::hasPhoto(t.db, soup));
    Prompts::setNextAnswer(Prompts::Yes);
    frame.runCommand(ID_REMOVE_PHOTO);
    EXPECT_FALSE(photos::hasPhoto(t.db, soup));
    EXPECT_TRUE(view->photoSize().isEmpty());
    frame.runCommand(ID_REMOVE_PHOTO);
    EXPECT_EQ(lastMessage(), "У этого рецепта нет фотографии");
    // A file that is no picture: a message naming it, nothing stored.
    QFile junk(t.dir() + "/заметка.png");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("не картинка");
    junk.close();
    const size_t before = Prompts::shown().size();
    Prompts::setNextFileName(junk.fileName());
    frame.runCommand(ID_RECIPE_PHOTO);
    ASSERT_EQ(Prompts::shown().size(), before + 1);
    EXPECT_TRUE(Prompts::shown().back().text.contains("заметка.png"));
    EXPECT_FALSE(photos::hasPhoto(t.db, soup));
    // A picture pasted where there is none is taken; over a photo, only when the user agrees.
    auto paste = [&](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::green);
        QGuiApplication::clipboard()->setImage(image);
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    };
    const size_t asked = Prompts::shown().size();
    paste(400, 300);
    EXPECT_EQ(view->photoSize(), QSize(400, 300));
    EXPECT_EQ(Prompts::shown().size(), asked);
    Prompts::setNextAnswer(Prompts::No);
    paste(200, 100);
    ASSERT_EQ(Prompts::shown().size(), asked + 1) << "a photo was replaced unasked";
    EXPECT_EQ(Prompts::shown().back().text, "Заменить фотографию рецепта новой?");
    EXPECT_EQ(view->photoSize(), QSize(400, 300));
    Prompts::setNextAnswer(Prompts::Yes);
    paste(200, 100);
    EXPECT_EQ(view->photoSize(), QSize(200, 100));
    // A tall photo is shown no taller than half the pane.
    Prompts::setNextAnswer(Prompts::Yes);
    paste(400, 1600);
    const QTextImageFormat tallShown =
        view->document()->firstBlock().next().begin().fragment().charFormat().toImageFormat();
    ASSERT_TRUE(tallShown.isValid()) << "no tall picture shown";
    EXPECT_LE(tallShown.height(), view->viewport()->height() / 2.0 + 0.5);
    EXPECT_NEAR(tallShown.height() / tallShown.width(), 4.0, 0.05);
    Prompts::setTestMode(false);
}

// The editor shows the photo and changes it with everything else: "Нет" undoes the
// change, "Да" keeps it, also for a recipe that gets its number only then.
TEST(PhotoEditor, APhotoChangedInTheEditorIsKeptOnlyWithTheRecipe) {
    TestDb t;
    const int soup = t.recipe("Суп", {{"Вода", 1, "л"}}, 0, "Варить.");
    photos::setPhoto(t.db, soup, photos::normalise(picture(100, 50, "png"), "a.png"));
    const QString wide = t.dir() + "/широкая.png";
    QFile out(wide);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(picture(400, 100, "png"));
    out.close();
    Prompts::setTestMode(true);
    auto visit = [&](CRecipeForm::Mode mode, int recipe, const std::function<void(QWidget*)>& act) {
        CRecipeForm form(t.db, mode, recipe);
        onNextModal(act, nullptr, "the recipe editor");
        return form.exec();
    };
    auto shownWidth = [](QWidget* form) {
        const QPixmap p = child<QLabel>(form, "photo")->pixmap();
        return p.isNull() ? 0 : p.width();
    };
    visit(CRecipeForm::Edit, soup, [&](QWidget* form) {
        EXPECT_EQ(shownWidth(form), 100);
        Prompts::setNextFileName(wide);
        click(form, "photoButton");
        EXPECT_EQ(shownWidth(form), 128) << "the new photo, fitted to the thumbnail";
        click(form, "noButton");
    });
    EXPECT_EQ(photos::photoSize(t.db, soup), QSize(100, 50));
    visit(CRecipeForm::Edit, soup, [&](QWidget* form) {
        Prompts::setNextFileName(wide);
        click(form, "photoButton");
        click(form, "yesButton");
    });
    EXPECT_EQ(photos::photoSize(t.db, soup), QSize(400, 100));
    // A refused picture is said and leaves the photo shown as it was.
    visit(CRecipeForm::Edit, soup, [&](QWidget* form) {
        Prompts::setNextFileName(t.dir() + "/нет.png");
        click(form, "photoButton");
        EXPECT_EQ(shownWidth(form), 128);
        click(form, "dropPhotoButton");
        EXPECT_EQ(shownWidth(form), 0);
        EXPECT_FALSE(child<QPushButton>(form, "dropPhotoButton")->isEnabled());
        click(form, "yesButton");
    });
    EXPECT_TRUE(Prompts::shown().back().text.contains("нет.png"));
    EXPECT_FALSE(photos::hasPhoto(t.db, soup));
    const int made = visit(CRecipeForm::New, 0, [&](QWidget* form) {
        EXPECT_EQ(shownWidth(form), 0);
        child<QLineEdit>(form, "name")->setText("Чай");
        Prompts::setNextFileName(wide);
        click(form, "photoButton");
        click(form, "yesButton");
    });
    ASSERT_EQ(made, QDialog::Accepted);
    const int tea = int(std::get<qint64>(t.db.scalar("SELECT max(ID) FROM Recipes")));
    EXPECT_EQ(photos::photoSize(t.db, tea), QSize(400, 100));
    EXPECT_EQ(t.db.transactionDepth(), 0);
    Prompts::setTestMode(false);
}

// The exchange file has no place for photos: the export says how many stayed behind, of the
// recipes it wrote only.
TEST(PhotoStore, AnExportCountsThePhotosItCannotCarry) {
    TestDb t;
    const int soups = t.addSection("Супы");
    const int soup = t.addRecipe("Суп", soups);
    t.addRecipe("Щи", soups);
    const int tea = t.addRecipe("Чай");
    const photos::Photo photo = photos::normalise(picture(20, 20, "png"), "a.png");
    photos::setPhoto(t.db, soup, photo);
    photos::setPhoto(t.db, tea, photo);
    const QString file = t.dir() + "/out.ovl";
    EXPECT_EQ(exchange::exportWarnings(exchange::exportToFile(t.db, soups, file)),
              QStringList{"Фотографии в файл обмена не записываются: 1"});
    EXPECT_EQ(exchange::exportToFile(t.db, std::nullopt, file).photosLeft, 2);
}
