#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QFile>
#include <QStandardPaths>

namespace {

class ExchangeCommandTest : public ::testing::Test {
protected:
    // The message before the last.
    static QString beforeLast() { return Prompts::shown().end()[-2].text; }
};

} // namespace

TEST_F(ExchangeCommandTest, ExportAsksChecksAndTellsTheOutcome) {
    TestDb t;
    const int soups = t.addSection("Супы");
    const int borscht = t.recipe("Борщ", {}, soups);
    t.recipe("Чай \u4e2d");
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    const QString out = t.dir() + "/out.ovl";

    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(lastShown(), "Ошибка: Не выделен раздел");
    QTreeWidgetItem* section = tree->findChild(nullptr, soups);
    tree->expandSection(section);
    tree->selectEntry(tree->findChild(section, catalog::recipeValue(borscht)));
    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(lastShown(), "Ошибка: Не выделен раздел");

    tree->selectEntry(section);
    Prompts::setNextAnswer(Prompts::No);
    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(beforeLast(), "Экспортировать раздел \"Супы\"?");
    EXPECT_EQ(lastShown(), "Экспорт: Экспорт отменен");
    Prompts::setNextAnswer(Prompts::Yes); // and the save dialog is cancelled
    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(lastShown(), "Экспорт: Экспорт отменен");

    Prompts::setNextAnswer(Prompts::Yes);
    Prompts::setNextFileName(out);
    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(lastShown(), "Экспорт: Экспорт завершен");
    // The save dialog opens in the documents folder, on a name after the section.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(Prompts::fileDialogStarts().back(), documents + QStringLiteral("/Супы.ovl"));
    EXPECT_TRUE(fileBytes(out).startsWith("Ovelta 2.01\r\nCATALOG=\xd1\xf3\xef\xfb\r\n"));

    Prompts::setNextAnswer(Prompts::Yes);
    Prompts::setNextFileName(out);
    frame.runCommand(ID_EXPORT_ALL);
    EXPECT_EQ(beforeLast(), "Экспортировать всё содержание?");
    EXPECT_EQ(lastShown(), QStringLiteral("Экспорт: Экспорт завершен\nСимволов, которых нет в "
                                          "кодировке 1251, заменено на «?»: 1"));
    // The next one opens where the last exchange file went, on its own name.
    EXPECT_EQ(Prompts::fileDialogStarts().back(),
              QFileInfo(out).absolutePath() + QStringLiteral("/Ovelta.ovl"));
    EXPECT_TRUE(fileBytes(out).endsWith("RECIPE=\xd7\xe0\xe9 ?\r\n\r\n~RECIPE\r\n"));

    // A section deleted behind the tree's back.
    t.db.exec("DELETE FROM Catalog WHERE ID=?", {qint64(soups)});
    frame.runCommand(ID_EXPORT_SECTION);
    EXPECT_EQ(lastMessage(), "Раздел не найден в базе данных");

    // A target that cannot be written gets an error naming it.
    Prompts::setNextAnswer(Prompts::Yes);
    Prompts::setNextFileName(t.dir() + "/missing/dir/x.ovl");
    frame.runCommand(ID_EXPORT_ALL);
    EXPECT_TRUE(lastShown().startsWith("Ошибка: ") && lastShown().contains("x.ovl"))
        << lastShown().toStdString();
}

TEST_F(ExchangeCommandTest, ImportAddsTheNewTopLevelItemsAndSelectsTheLast) {
    TestDb t;
    t.addSection("Б-раздел");
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();

    frame.runCommand(ID_IMPORT);
    EXPECT_EQ(lastShown(), "Импорт: Импорт отменен");
    EXPECT_EQ(Prompts::fileDialogStarts(), std::vector<QString>{QStandardPaths::writableLocation(
                                               QStandardPaths::DocumentsLocation)});

    const QString bad = t.dir() + "/bad.ovl";
    writeFile(bad, "Ovelta 2.01 \r\nRECIPE=x\r\n");
    Prompts::setNextFileName(bad);
    frame.runCommand(ID_IMPORT);
    EXPECT_EQ(lastShown(), "Ошибка: Формат файла не поддерживается");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 0);

    const QString good = t.dir() + "/good.ovl";
    writeFile(good, "Ovelta 2.01\r\nRECIPE=Я-рецепт\r\n~RECIPE\r\nCATALOG=В-раздел\r\n"
                    "RECIPE=inner\r\n~RECIPE\r\n~CATALOG\r\nCATALOG=А-раздел\r\n~CATALOG\r\n");
    Prompts::setNextFileName(good);
    frame.runCommand(ID_IMPORT);
    EXPECT_EQ(lastMessage(), QStringLiteral("Импорт завершен\nРазделов: 2, рецептов: 2, строк: 0, "
                                            "новых продуктов: 0, новых единиц: 0; файл прочитан в "
                                            "кодировке UTF-8"));
    EXPECT_EQ(texts(tree->invisibleRootItem()),
              (QStringList{"А-раздел", "Б-раздел", "В-раздел", "Я-рецепт"}));
    EXPECT_EQ(tree->selectedEntry(), tree->topLevelItem(0));
    // New sections open on demand like any other.
    tree->expandSection(tree->topLevelItem(2));
    EXPECT_EQ(texts(tree->topLevelItem(2)), QStringList{"inner"});

    // Only root recipes: the last one is selected.
    writeFile(good, "Ovelta 2.01\r\nRECIPE=Ж1\r\n~RECIPE\r\nRECIPE=Ж2\r\n~RECIPE\r\n");
    Prompts::setNextFileName(good);
    frame.runCommand(ID_IMPORT);
    EXPECT_EQ(tree->selectedEntry(), byText(tree->invisibleRootItem(), "Ж2"));
}
