#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "recipes/CRView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// A mouse event on the tree's viewport, as a person's hand gives it.
void sendMouse(QWidget* vp, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, vp->mapToGlobal(pos),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
}

class CatalogView : public ::testing::Test {
protected:
    TestDb t;
};

} // namespace

TEST_F(CatalogView, LoadsOnDemandInRussianOrder) {
    {
        CMainFrame empty(t.db);
        std::unique_ptr<QMenu> menu(empty.catalogView()->buildContextMenu(nullptr, nullptr));
        EXPECT_EQ(menuIds(menu.get()), (QList<int>{130, 0, 139}));
    }
    const int soups = t.addSection("Супы");
    const int empty = t.addSection("Пусто");
    t.addSection("Борщи", soups);
    t.recipe("щи", {}, soups);
    t.recipe("Бульон", {}, soups);
    t.recipe("авокадо-тост");
    t.addSection("Бутерброды");

    CMainFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();
    EXPECT_EQ(texts(root), (QStringList{"авокадо-тост", "Бутерброды", "Пусто", "Супы"}));

    QTreeWidgetItem* emptyItem = byText(root, "Пусто");
    EXPECT_EQ(CCatalogView::itemValue(emptyItem), empty);
    ASSERT_EQ(emptyItem->childCount(), 1);
    EXPECT_TRUE(CCatalogView::isPlaceholder(emptyItem->child(0)));
    tree->expandItem(emptyItem);
    EXPECT_EQ(emptyItem->childCount(), 0);

    // A recipe stored while its section is closed is listed once when it is put there.
    QTreeWidgetItem* closed = byText(root, "Бутерброды");
    tree->addRecipeEntry(closed, "Тост", t.recipe("Тост", {}, CCatalogView::itemValue(closed)));
    EXPECT_EQ(texts(closed), (QStringList{"Тост"}));

    QTreeWidgetItem* soupItem = byText(root, "Супы");
    tree->expandItem(soupItem);
    EXPECT_EQ(texts(soupItem), (QStringList{"Борщи", "Бульон", "щи"}));
    EXPECT_LT(CCatalogView::itemValue(byText(soupItem, "щи")), 0);
    // Opening again reads nothing twice.
    tree->collapseItem(soupItem);
    tree->expandItem(soupItem);
    EXPECT_EQ(soupItem->childCount(), 3);

    std::unique_ptr<QMenu> onSection(tree->buildContextMenu(soupItem, nullptr));
    EXPECT_EQ(menuIds(onSection.get()), (QList<int>{131, 132, 133, 0, 136}));
    std::unique_ptr<QMenu> onRecipe(tree->buildContextMenu(byText(soupItem, "щи"), nullptr));
    EXPECT_EQ(menuIds(onRecipe.get()), (QList<int>{137, 138, 0, 160}));

    // The top level is read ahead by a connection of its own, which cannot see what an
    // open transaction has not yet written.
    Transaction pending(t.db);
    t.recipe("Ёжики");
    CMainFrame during(t.db);
    EXPECT_EQ(texts(during.catalogView()->invisibleRootItem()),
              (QStringList{"авокадо-тост", "Бутерброды", "Ёжики", "Пусто", "Супы"}));
}

TEST_F(CatalogView, SelectingShowsTheRecipeAndDropsVanishedOnes) {
    const int kept = t.recipe("Каша", {}, 0, "Варить"), gone = t.recipe("Кисель");
    CMainFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();
    tree->selectEntry(byText(root, "Каша"));
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), kept);

    t.db.exec("DELETE FROM Recipes WHERE ID=?", {qint64(gone)});
    tree->selectEntry(byText(root, "Кисель"));
    QCoreApplication::processEvents();
    EXPECT_EQ(texts(root), QStringList{"Каша"});
    EXPECT_TRUE(Prompts::shown().empty());
}

TEST_F(CatalogView, DropRulesRefuseWithoutAsking) {
    const int a = t.addSection("А");
    const int b = t.addSection("Б", a);
    t.addSection("В", b);
    t.recipe("Рецепт");
    CMainFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* itemA = byText(tree->invisibleRootItem(), "А");
    tree->expandSection(itemA);
    QTreeWidgetItem* itemB = byText(itemA, "Б");
    tree->expandSection(itemB);
    QTreeWidgetItem* itemC = byText(itemB, "В");
    QTreeWidgetItem* recipe = byText(tree->invisibleRootItem(), "Рецепт");

    // Not onto itself, its own subtree or a recipe; a section into another, anything to the root.
    EXPECT_FALSE(tree->CanDrop(itemA, itemA) || tree->CanDrop(itemA, itemC) ||
                 tree->CanDrop(itemB, recipe));
    EXPECT_TRUE(tree->CanDrop(itemC, itemA) && tree->CanDrop(recipe, nullptr));

    // Dragging A over its grandchild shows the refusing mark, and the drop asks nothing.
    frame.show();
    tree->beginDrag(itemA, tree->visualItemRect(itemA).center());
    EXPECT_TRUE(tree->isDragging());
    tree->dragMoveTo(tree->visualItemRect(itemC).center());
    EXPECT_TRUE(tree->dropMarkRefused());
    tree->dropAt(tree->visualItemRect(itemC).center());
    EXPECT_FALSE(tree->isDragging());
    EXPECT_TRUE(Prompts::shown().empty());
    EXPECT_EQ(catalog::readSection(t.db, a)->parent, 0);
    EXPECT_EQ(catalog::readSection(t.db, b)->parent, a);
}

TEST_F(CatalogView, DroppingMovesInTreeAndDatabase) {
    const int cold = t.addSection("Холодные", t.addSection("Супы"));
    t.recipe("Окрошка", {}, cold);
    const int pies = t.addSection("Пироги");
    const int tea = t.recipe("Чай", {}, 0, "Заварить");
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();
    auto centre = [tree](QTreeWidgetItem* item) { return tree->visualItemRect(item).center(); };
    auto drag = [&](QTreeWidgetItem* item, QPoint to, Prompts::Answer answer) {
        Prompts::setNextAnswer(answer);
        tree->beginDrag(item, centre(item));
        tree->dropAt(to);
    };
    QTreeWidgetItem* teaItem = byText(root, "Чай");
    QTreeWidgetItem* pieItem = byText(root, "Пироги");

    // Esc during a drag gives it up without a question.
    tree->beginDrag(teaItem, centre(teaItem));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(tree, &esc);
    EXPECT_FALSE(tree->isDragging());
    tree->dropAt(centre(pieItem));
    EXPECT_TRUE(Prompts::shown().empty());

    // "No" changes nothing.
    drag(teaItem, centre(pieItem), Prompts::No);
    EXPECT_EQ(lastShown(), "Перемещение: Переместить в раздел Пироги?");
    EXPECT_EQ(byText(root, "Чай"), teaItem);

    // A recipe into a section never opened: filed, selected and shown, not doubled.
    drag(teaItem, centre(pieItem), Prompts::Yes);
    EXPECT_EQ(byText(root, "Чай"), nullptr);
    EXPECT_TRUE(pieItem->isExpanded());
    EXPECT_EQ(texts(pieItem), (QStringList{"Чай"}));
    EXPECT_EQ(tree->selectedEntry(), pieItem->child(0));
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), tea);
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE ID=?", {tea}), pies);

    // A section dropped on empty space goes to the root and takes its subtree along.
    QTreeWidgetItem* soupItem = byText(root, "Супы");
    tree->expandSection(soupItem);
    QTreeWidgetItem* coldItem = byText(soupItem, "Холодные");
    Prompts::setNextAnswer(Prompts::Yes);
    tree->beginDrag(coldItem, centre(coldItem));
    tree->dragMoveTo(QPoint(5, tree->viewport()->height() + 40)); // below: scrolls down
    EXPECT_TRUE(tree->isAutoScrolling());
    EXPECT_EQ(tree->scrollDirection(), -1);
    tree->dropAt(QPoint(-50, -50)); // outside the tree: the root
    EXPECT_FALSE(tree->isAutoScrolling());
    EXPECT_EQ(lastMessage(), "Переместить в корневой раздел?");
    EXPECT_EQ(catalog::readSection(t.db, cold)->parent, 0);
    QTreeWidgetItem* moved = byText(root, "Холодные");
    tree->expandSection(moved);
    EXPECT_EQ(texts(moved), (QStringList{"Окрошка"}));
    EXPECT_EQ(texts(root), (QStringList{"Пироги", "Супы", "Холодные"}));
    EXPECT_EQ(soupItem->childCount(), 0);

    // The database refuses the move: the tree stays as it was.
    t.db.execScript("CREATE TRIGGER stuck BEFORE UPDATE ON Catalog "
                    "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    EXPECT_THROW(drag(moved, centre(soupItem), Prompts::Yes), DbError);
    EXPECT_FALSE(tree->isDragging());
    EXPECT_EQ(texts(root), (QStringList{"Пироги", "Супы", "Холодные"}));
    EXPECT_EQ(soupItem->childCount(), 0);
}

TEST_F(CatalogView, RealMouseDragsKeepEverythingTrue) {
    const int soups = t.addSection("Супы");
    const int borscht = t.recipe("Борщ", {}, soups);
    const int shchi = t.recipe("Щи", {}, soups);
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* soupItem = byText(tree->invisibleRootItem(), "Супы");
    tree->expandSection(soupItem);
    QWidget* vp = tree->viewport();
    auto drag = [&](QTreeWidgetItem* item, QPoint to) {
        const QPoint from = tree->visualItemRect(item).center();
        sendMouse(vp, QEvent::MouseButtonPress, from, Qt::LeftButton);
        QCoreApplication::processEvents(); // a gone item is removed now
        sendMouse(vp, QEvent::MouseMove, from + QPoint(0, 30), Qt::LeftButton);
        const bool dragging = tree->isDragging();
        sendMouse(vp, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(vp, QEvent::MouseButtonRelease, to, Qt::NoButton);
        return dragging;
    };
    // Onto its own section: asked, and everything stays.
    Prompts::setNextAnswer(Prompts::Yes);
    EXPECT_TRUE(drag(tree->findChild(soupItem, catalog::recipeValue(shchi)),
                     tree->visualItemRect(soupItem).center()));
    EXPECT_EQ(lastMessage(), "Переместить в раздел Супы?");
    EXPECT_EQ(texts(soupItem), (QStringList{"Борщ", "Щи"}));
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE ID=?", {shchi}), soups);

    // A recipe another copy deleted behind the tree's back is never dragged.
    t.db.exec("DELETE FROM Recipes WHERE ID=?", {borscht});
    Prompts::clear();
    EXPECT_FALSE(drag(tree->findChild(soupItem, catalog::recipeValue(borscht)), QPoint(5, 300)));
    EXPECT_EQ(texts(soupItem), QStringList{"Щи"});
    EXPECT_TRUE(Prompts::shown().empty());
}

TEST_F(CatalogView, DraggingNearAnEdgeScrollsTowardsIt) {
    for (int i = 0; i < 200; ++i)
        t.addSection(QStringLiteral("Раздел %1").arg(i, 3, 10, QLatin1Char('0')));
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QScrollBar* bar = tree->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int middle = bar->value();
    tree->beginDrag(tree->itemAt(QPoint(5, 5)), QPoint(5, 5));
    // Scrolling runs on a timer: events run until the bar moves, as long as a busy machine
    // may need, rather than for a fixed number of ticks.
    auto scrolls = [&](QPoint to, auto moved) {
        tree->dragMoveTo(to);
        QElapsedTimer timer;
        timer.start();
        while (!moved() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return moved();
    };
    EXPECT_TRUE(scrolls(QPoint(5, -10), [&] { return bar->value() < middle; })) << "not upwards";
    const int higher = bar->value();
    EXPECT_TRUE(scrolls(QPoint(5, tree->viewport()->height() + 10), [&] {
        return bar->value() > higher;
    })) << "not downwards";
}
