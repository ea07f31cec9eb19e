// ovelta-shots: takes the pictures of the user guide. Opens the main window on a new
// collection with the starter recipes, goes through the screens the guide explains, and
// saves each as a PNG in the folder given. Every picture is checked to have the expected
// size and to show something (not one flat colour). Run by scripts/screenshots.sh.

#include "app/CCookbookApp.h"
#include "app/CMainFrame.h"
#include "app/OveltaApplication.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "catalog/TrashCommands.h"
#include "cooking/CookingWindow.h"
#include "cooking/ScaleBar.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "exchange/ExchangeStore.h"
#include "intake/CIntakeDlg.h"
#include "kitchen/KitchenStore.h"
#include "movein/MoveInStore.h"
#include "nutrition/FoodValueDialog.h"
#include "photos/PhotoStore.h"
#include "plan/CookLog.h"
#include "plan/MealPlan.h"
#include "plan/PlanOutput.h"
#include "plan/WeekView.h"
#include "recipes/RecipeStore.h"
#include "search/SearchCommands.h"
#include "trash/TrashStore.h"
#include "ui/CProgress.h"
#include "ui/Commands.h"
#include "ui/Progress.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSet>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

QString outDir;
int failures = 0;

// Saves a picture of a window and checks it.
void save(QWidget* w, const char* name) {
    const QImage image = w->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    const bool ok = image.width() >= 150 && image.height() >= 40 && colours.size() > 4;
    const QString path = QDir(outDir).filePath(QString::fromLatin1(name));
    if (!ok || !image.save(path)) {
        std::fprintf(stderr, "picture %s is wrong: %dx%d, %d colours\n", name, image.width(),
                     image.height(), int(colours.size()));
        ++failures;
        return;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
}

// Runs a command that opens a dialog, and takes the dialog's picture before closing it.
void saveDialog(CMainFrame* frame, int command, const char* name) {
    QTimer::singleShot(300, [name] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            std::fprintf(stderr, "no dialog for picture %s\n", name);
            ++failures;
            return;
        }
        save(dialog, name);
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    frame->runCommand(command);
}

// Runs a command that changes the main window, and takes the window's picture.
void saveAfter(CMainFrame* frame, int command, const char* name) {
    frame->runCommand(command);
    QApplication::processEvents();
    save(frame, name);
}

// A recipe page as a cooking site publishes it, for the picture of the intake dialog.
const QByteArray kSamplePage = R"(<html><head><script type="application/ld+json">
{"@type": "Recipe", "name": "Оладьи на кефире", "image": "IMAGE",
 "recipeIngredient": ["Кефир — 500 мл", "2 яйца", "Мука — 250 г", "1 ст. л. сахара",
                      "0,5 ч. л. соды", "Соль — по вкусу", "Изюм — 50 г"],
 "recipeInstructions": [{"@type": "HowToStep", "text": "Смешать кефир, яйца, сахар и соль."},
                        {"@type": "HowToStep", "text": "Всыпать муку с содой, добавить изюм."},
                        {"@type": "HowToStep", "text": "Жарить на разогретой сковороде."}]}
</script></head><body></body></html>)";

// A picture of a dish for the photo's page of the guide: a plate of vinaigrette, drawn,
// so that the guide carries no photograph somebody else took.
QImage dishPicture() {
    QImage image(1200, 800, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient table(0, 0, 1200, 800);
    table.setColorAt(0, QColor(0x8a, 0x5a, 0x36));
    table.setColorAt(1, QColor(0x5e, 0x3a, 0x22));
    p.fillRect(image.rect(), table);
    for (int y = 0; y < 800; y += 37)
        p.fillRect(0, y, 1200, 2, QColor(0, 0, 0, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(QPointF(615, 425), 420, 330);
    p.setBrush(QColor(0xf4, 0xf1, 0xea));
    p.drawEllipse(QPointF(600, 400), 420, 330);
    p.setBrush(QColor(0xe4, 0xdf, 0xd4));
    p.drawEllipse(QPointF(600, 400), 300, 230);
    QRandomGenerator random(3);
    const QColor pieces[] = {QColor(0x9c, 0x1f, 0x3c), QColor(0xb8, 0x26, 0x48),
                             QColor(0xe8, 0x9a, 0x2c), QColor(0x6a, 0x8f, 0x2a),
                             QColor(0xf0, 0xe0, 0xa0)};
    for (int i = 0; i < 700; ++i) {
        const double angle = random.bounded(6.2832), radius = std::sqrt(random.bounded(1.0));
        const QPointF at(600 + std::cos(angle) * radius * 270,
                         400 + std::sin(angle) * radius * 200);
        p.setBrush(pieces[random.bounded(5)]);
        p.drawRoundedRect(QRectF(at, QSizeF(22, 22)), 5, 5);
    }
    p.setBrush(QColor(0x3f, 0x7d, 0x2b));
    for (int i = 0; i < 40; ++i)
        p.drawEllipse(QPointF(480 + random.bounded(240), 330 + random.bounded(140)), 9, 4);
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    OveltaApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ovelta-shots OUTDIR\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.db"));
    {
        Database db;
        db.open(path, Database::OpenMode::Create);
        schema::create(db);
        NoProgress quiet;
        exchange::importBytes(db, exchange::starterCollection(), quiet);
        exchange::giveStarterServings(db);
        // A kitchen that has the usual things, and a menu of two dishes.
        db.exec("INSERT INTO ProductsAlways SELECT ID FROM Ingredient WHERE Name NOT IN "
                "('Говядина на кости', 'Квас', 'Курица', 'Колбаса варёная', 'Тыква')");
        db.exec("UPDATE Ingredients SET Have = Ingredient IN (SELECT ID FROM ProductsAlways)");
        db.exec("INSERT INTO Menu SELECT ID, 4 FROM Recipes WHERE Name='Блины на молоке'");
        db.exec("INSERT INTO Menu SELECT ID, 2 FROM Recipes WHERE Name='Винегрет'");
        db.exec("INSERT INTO ShoppingList (Product, Added) SELECT ID, 1 FROM Ingredient "
                "WHERE Name IN ('Курица', 'Квас', 'Тыква')");
        db.exec("INSERT INTO ShoppingList (Product, Added, Bought) SELECT ID, 1, 1 FROM "
                "Ingredient WHERE Name='Колбаса варёная'");
    }
    CCookbookApp cookbook(path);
    if (!cookbook.initInstance())
        return 1;
    CMainFrame* frame = cookbook.mainWindow();
    frame->resize(1100, 640);
    CCatalogView* tree = frame->catalogView();

    QTimer::singleShot(500, [&] {
        // A recipe in the main window.
        QTreeWidgetItem* baking = tree->topLevelItem(0);
        tree->expandSection(baking);
        tree->selectEntry(baking->child(0));
        QApplication::processEvents();
        save(frame, "main.png");

        saveDialog(frame, ID_EDIT_RECIPE, "editor.png"); // the recipe editor over it
        // A recipe with its photo.
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            tree->ensureLoaded(tree->topLevelItem(i));
        if (QTreeWidgetItem* salad =
                tree->findItems(QStringLiteral("Винегрет"), Qt::MatchExactly | Qt::MatchRecursive)
                    .value(0)) {
            const int recipe = catalog::recipeIdOf(CCatalogView::itemValue(salad));
            photos::setPhoto(frame->database(), recipe, photos::fromImage(dishPicture()));
            if (salad->parent())
                tree->expandSection(salad->parent());
            tree->selectEntry(salad);
            QApplication::processEvents();
            save(frame, "photo.png");
        } else {
            std::fprintf(stderr, "no recipe for the photo's picture\n");
            ++failures;
        }
        // A recipe for more servings, grams beside its lines, and cooking from it.
        if (QTreeWidgetItem* borscht = tree->findItems(QStringLiteral("Борщ домашний"),
                                                       Qt::MatchExactly | Qt::MatchRecursive)
                                           .value(0)) {
            if (borscht->parent())
                tree->expandSection(borscht->parent());
            tree->selectEntry(borscht);
            QApplication::processEvents();
            if (auto bar = frame->findChild<ScaleBar*>()) {
                bar->setServings(8);
                bar->setGrams(true);
            }
            QApplication::processEvents();
            save(frame, "scale.png");
            QTimer::singleShot(300, [] {
                auto cooking = qobject_cast<CookingWindow*>(QApplication::activeModalWidget());
                if (!cooking) {
                    std::fprintf(stderr, "no cooking window\n");
                    ++failures;
                    return;
                }
                if (auto time = cooking->findChild<QPushButton*>(QStringLiteral("timeButton")))
                    time->click();
                QApplication::processEvents();
                save(cooking, "cooking.png");
                cooking->done(QDialog::Rejected);
            });
            frame->runCommand(ID_COOK);
            if (auto bar = frame->findChild<ScaleBar*>()) {
                bar->reset();
                bar->setGrams(false);
            }
        } else {
            std::fprintf(stderr, "no recipe for the scaling's picture\n");
            ++failures;
        }
        // The backups, one made now, to choose from.
        frame->runCommand(ID_BACKUP_NOW);
        saveDialog(frame, ID_RESTORE_BACKUP, "restore.png");
        saveDialog(frame, ID_COOKED, "cooked.png");     // the shown recipe marked cooked
        saveDialog(frame, ID_PLAN_ADD, "plan-add.png"); // the shown recipe put in the plan
        {
            // This week planned from the sample's recipes, one cooked already.
            Database& db = frame->database();
            const QDate monday = plan::weekStart(QDate::currentDate());
            Statement names(db, SqlText("SELECT ID FROM Recipes ORDER BY Name LIMIT 40"));
            std::vector<int> recipes;
            while (names.step())
                recipes.push_back(int(names.int64(0)));
            std::vector<qint64> planned;
            for (size_t i = 0; i < recipes.size() && i < 17; ++i)
                planned.push_back(plan::addToPlan(db, monday.addDays(int(i % 7)),
                                                  plan::Meal(int(i * 3 % 4)), recipes[i],
                                                  int(2 + i % 4)));
            if (!recipes.empty())
                plan::addCooked(db, recipes[0], monday, 5, QString(), monday);
            frame->runCommand(ID_MEAL_PLAN);
            WeekView* week = frame->findChild<WeekView*>(QStringLiteral("mealPlan"));
            if (week) {
                // Shown and painted by the window manager before the picture.
                QElapsedTimer settle;
                settle.start();
                while (settle.elapsed() < 500)
                    QApplication::processEvents(QEventLoop::AllEvents, 50);
                save(week, "plan.png");
                week->close();
            } else {
                std::fprintf(stderr, "no window for the plan's picture\n");
                ++failures;
            }
            for (qint64 entry : planned)
                plan::removeEntry(db, entry);
            db.exec("DELETE FROM CookLog");
        }
        // The trash with a section and a recipe in it, both put back afterwards.
        if (QTreeWidgetItem* porridge =
                tree->findItems(QStringLiteral("Каши"), Qt::MatchExactly).value(0)) {
            tree->selectEntry(porridge);
            QTimer::singleShot(300, [] {
                if (QWidget* choice = QApplication::activeModalWidget()) {
                    if (auto all = choice->findChild<QAbstractButton*>("deleteAll"))
                        all->click();
                    QMetaObject::invokeMethod(choice, "accept", Qt::QueuedConnection);
                }
            });
            frame->runCommand(ID_DELETE_SECTION);
            const qint64 section = trash::entries(frame->database()).at(0).id;
            if (QTreeWidgetItem* salad = tree->findItems(QStringLiteral("Винегрет"),
                                                         Qt::MatchExactly | Qt::MatchRecursive)
                                             .value(0))
                tree->selectEntry(salad);
            frame->runCommand(ID_DELETE_RECIPE);
            QApplication::processEvents();
            saveDialog(frame, ID_TRASH, "trash.png");
            frame->runCommand(ID_UNDO_DELETE);
            trash::restore(frame->database(), section);
            tree->loadTopLevel();
            frame->trashCommands()->refresh();
        } else {
            std::fprintf(stderr, "no section for the trash's picture\n");
            ++failures;
        }
        saveAfter(frame, ID_WHAT_TO_COOK, "cook.png");        // what to cook
        saveAfter(frame, ID_MENU_PRODUCT_LIST, "menu.png");   // the menu's product list
        saveDialog(frame, ID_MENU_VIEW, "menu-dialog.png");   // the menu dialog
        saveDialog(frame, ID_WHAT_IS_MISSING, "missing.png"); // what is missing
        saveDialog(frame, ID_SHOPPING_LIST, "shopping.png");  // the shopping list
        // A saved page read for checking.
        {
            CIntakeDlg intake(frame->database(), 0, QString(), frame);
            const QString page = QDir(outDir).filePath(QStringLiteral("page.html"));
            QFile file(page);
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            dishPicture().scaledToWidth(400).save(&buffer, "JPG");
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QByteArray(kSamplePage)
                               .replace("IMAGE", "data:image/jpeg;base64," + jpeg.toBase64()));
                file.close();
            }
            intake.loadFile(page);
            QFile::remove(page);
            intake.show();
            QApplication::processEvents();
            save(&intake, "intake.png");
        }
        // A recipe pasted from an old book: the method first, then its products in one line.
        {
            CIntakeDlg intake(frame->database(), 0, QString(), frame);
            intake.loadText(QStringLiteral(
                "Щи из свежей капусты\nКапусту нашинковать и положить в кипящий бульон.\n"
                "Добавить картофель и пассерованные овощи, варить до готовности.\n"
                "Капуста — 300 г, картофель — 200 г, морковь 1 шт., лук репчатый 1 шт., "
                "томатная паста 1 ст. л., лавровый лист, соль, перец по вкусу.\n"));
            intake.show();
            QApplication::processEvents();
            save(&intake, "intake-text.png");
        }

        // The summary after moving a small Paprika collection in (loose recipe files here:
        // the summary is the same as for the archive they come in).
        {
            QTemporaryDir scratch;
            const QString from = scratch.filePath(QStringLiteral("Мои рецепты"));
            const QDir folder(from);
            folder.mkpath(from);
            const char* const recipes[][3] = {
                {"Борщ", "Супы", "300 г свёклы\n200 г капусты\n2 картофелины\nсоль по вкусу"},
                {"Сырники", "Завтраки", "500 г творога\n2 яйца\n3 ст. л. муки"},
                {"Шарлотка", "Выпечка", "4 яблока\n3 яйца\n1 стакан сахара\n1 стакан муки"}};
            QByteArray photo;
            QBuffer photoBuffer(&photo);
            photoBuffer.open(QIODevice::WriteOnly);
            dishPicture().scaledToWidth(400).save(&photoBuffer, "JPG");
            for (const auto& r : recipes) {
                QFile file(folder.filePath(QString::fromUtf8(r[0]) + ".paprikarecipe"));
                if (file.open(QIODevice::WriteOnly))
                    file.write(QJsonDocument(QJsonObject{{"name", QString::fromUtf8(r[0])},
                                                         {"categories", QJsonArray{r[1]}},
                                                         {"ingredients", QString::fromUtf8(r[2])},
                                                         {"directions", "Приготовить."},
                                                         {"photo_data",
                                                          QString::fromLatin1(photo.toBase64())}})
                                   .toJson());
            }
            QFile junk(folder.filePath("список покупок.pdf"));
            if (junk.open(QIODevice::WriteOnly))
                junk.write("%PDF-1.4");
            junk.close();
            NoProgress quiet;
            QMessageBox box(QMessageBox::Information, QStringLiteral("Импорт коллекции"),
                            QStringLiteral("Импорт завершён\n") +
                                movein::summaryText(
                                    movein::importCollection(frame->database(), from, 0, quiet)),
                            QMessageBox::Ok, frame);
            box.show();
            QApplication::processEvents();
            save(&box, "movein.png");
        }

        // A product's weights and food value, as the table gives them.
        {
            const auto flour =
                recipes::dictionary(frame->database(), recipes::Dictionary::Products);
            for (const recipes::Entry& e : flour)
                if (e.name == QStringLiteral("Мука пшеничная")) {
                    CFoodValueDlg food(frame->database(), e.id, e.name, frame);
                    food.show();
                    QApplication::processEvents();
                    save(&food, "food.png");
                }
        }

        // The progress window, as an import shows it part of the way through a file.
        {
            CProgress progress(frame);
            progress.place();
            progress.show();
            progress.setRange(0, 100);
            progress.setPosition(40);
            QApplication::processEvents();
            save(&progress, "import.png");
        }
        // A large collection never indexed: the index built beside the window. Last, since
        // it adds thousands of recipes.
        frame->database().exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
            "INSERT INTO Recipes (Catalog, Name, Recipe) SELECT 0, 'Рецепт ' || i, "
            "'Варить ' || i || ' минут.' FROM n");
        frame->searchCommands()->buildTextIndex();
        QWidget* building = nullptr;
        for (int i = 0; i < 100 && !building; ++i) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            building = frame->findChild<QWidget*>(QStringLiteral("textIndexProgress"));
        }
        if (building) {
            frame->searchCommands()->searchAsTyped(QStringLiteral("варить"), true);
            QApplication::processEvents();
            save(frame, "index.png");
        } else {
            std::fprintf(stderr, "no progress of the text index\n");
            ++failures;
        }
        QApplication::quit();
    });
    QApplication::exec();
    return failures == 0 ? 0 : 1;
}
