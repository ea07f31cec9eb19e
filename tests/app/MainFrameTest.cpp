#include "app/CMainFrame.h"
#include "app/HelpWindow.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QWhatsThis>

TEST(MainFrame, ColumnsTakeThreeThreeTwoEighthsAndNarrowOnesVanish) {
    EXPECT_EQ(CMainFrame::columnWidths(85), (std::array<int, 3>{0, 0, 21}));
    EXPECT_EQ(CMainFrame::columnWidths(86), (std::array<int, 3>{32, 32, 21}));

    TestDb t;
    ShownFrame frame(t.db);
    QSplitter* splitter = frame.splitter();
    QCoreApplication::processEvents();
    // The first show already has the proportions.
    EXPECT_EQ(splitter->sizes().mid(0, 2), QList<int>(2, splitter->width() * 3 / 8));
    // Resize the window until the splitter (its client area) has the width wanted.
    auto setClientWidth = [&](int width) {
        for (int i = 0; i < 3 && splitter->width() != width; ++i) {
            frame.resize(frame.width() + width - splitter->width(), 400);
            QCoreApplication::processEvents();
        }
        ASSERT_EQ(splitter->width(), width);
    };
    setClientWidth(800);
    const int results = 800 - 600 - 2 * splitter->handleWidth();
    EXPECT_EQ(splitter->sizes(), (QList<int>{300, 300, results}));

    // A user's dragging lasts until the next resize, whatever bars come and go.
    splitter->setSizes({100, 500, results});
    for (int i = 0; i < 2; ++i) {
        frame.action(ID_VIEW_TOOLBAR)->trigger();
        frame.action(ID_VIEW_STATUS_BAR)->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(splitter->sizes()[0], 100);
    }
    setClientWidth(808);
    EXPECT_EQ(splitter->sizes()[0], 303);
}

TEST(MainFrame, PanesStatusBarAndFrameworkCommands) {
    TestDb t;
    ShownFrame frame(t.db);
    EXPECT_EQ(
        (std::array{frame.pane(0), frame.pane(1), frame.pane(2)}),
        (std::array<QWidget*, 3>{frame.catalogView(), frame.recipeView(), frame.foundListView()}));
    EXPECT_TRUE(frame.recipeView()->isReadOnly());
    // The results' one column follows the pane: no sideways scrolling.
    EXPECT_EQ(frame.foundListView()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(frame.foundListView()->columnWidth(0), frame.foundListView()->viewport()->width());
    EXPECT_EQ(frame.statusBar()->findChild<QLabel*>("idleText")->text(), "готов");

    frame.action(ID_VIEW_TOOLBAR)->trigger();
    frame.action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(frame.toolBar()->isVisible() || frame.statusBar()->isVisible() ||
                 frame.action(ID_VIEW_STATUS_BAR)->isChecked());

    frame.action(ID_HELP_FINDER)->trigger();
    EXPECT_TRUE(frame.findChild<HelpWindow*>("helpWindow")
                    ->browser()
                    ->toPlainText()
                    .contains("Что приготовить?"));

    frame.runCommand(ID_CONTEXT_HELP);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    // Ctrl+Tab walks the panes forwards, Ctrl+Shift+Tab backwards, round the ends.
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    frame.catalogView()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), frame.catalogView());
    std::vector<QWidget*> visited;
    for (int i = 0; i < 4; ++i) {
        const bool back = i == 3;
        QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, (std::vector<QWidget*>{frame.recipeView(), frame.foundListView(),
                                              frame.catalogView(), frame.foundListView()}));
    frame.runCommand(ID_PREV_PANE);
    EXPECT_EQ(QApplication::focusWidget(), frame.recipeView());

    frame.action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(frame.isVisible());
}

TEST(MainFrame, ADatabaseFailureInsideAnEventEndsThatActionWithAMessage) {
    TestDb t;
    t.addSection("Супы");
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    tree->selectEntry(tree->topLevelItem(0));
    tree->setFocus();
    t.db.execScript("DROP TABLE Recipes"); // the section cannot be read any more
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(tree, &right);
    ASSERT_EQ(Prompts::shown().size(), 1u);
    EXPECT_TRUE(lastMessage().startsWith("Ошибка базы данных") && lastMessage().contains("Recipes"))
        << lastMessage().toStdString();
    // The section was not spoiled: once the table is back it opens as usual.
    EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());
    t.db.execScript("CREATE TABLE Recipes (ID INTEGER PRIMARY KEY, Catalog INTEGER, Name TEXT, "
                    "Recipe TEXT); INSERT INTO Recipes VALUES (1, 1, 'Щи', '')");
    tree->expandSection(tree->topLevelItem(0));
    EXPECT_EQ(texts(tree->topLevelItem(0)), QStringList{"Щи"});
}

TEST(MainFrame, TreeKeysReachTheirCommandsAndCtrlPPrintsFromAnywhere) {
    TestDb t;
    const int soups = t.addSection("Супы");
    const int borscht = t.addRecipe("Борщ", soups, "Варить");
    ShownFrame frame(t.db);
    QApplication::setActiveWindow(&frame);
    CCatalogView* tree = frame.catalogView();
    std::vector<int> ran;
    for (int id : {ID_DELETE_RECIPE, ID_DELETE_SECTION, ID_EDIT_RECIPE, ID_RENAME_SECTION,
                   ID_ADD_RECIPE, ID_ADD_RECIPE_ROOT})
        frame.setCommandHandler(id, [&ran, id] { ran.push_back(id); });
    auto press = [&](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(tree, &event);
    };
    QTreeWidgetItem* section = tree->findChild(nullptr, soups);
    ASSERT_TRUE(section);
    tree->selectEntry(section);
    for (int key : {Qt::Key_Delete, Qt::Key_F2, Qt::Key_Insert})
        press(key);
    tree->expandSection(section);
    tree->selectEntry(tree->findChild(section, catalog::recipeValue(borscht)));
    for (int key : {Qt::Key_Delete, Qt::Key_Return, Qt::Key_F2})
        press(key);
    EXPECT_EQ(ran, (std::vector<int>{ID_DELETE_SECTION, ID_RENAME_SECTION, ID_ADD_RECIPE,
                                     ID_DELETE_RECIPE, ID_EDIT_RECIPE, ID_EDIT_RECIPE}));

    // Shift+F10 opens the context menu of the selected recipe.
    EXPECT_EQ(popupTexts([&] { press(Qt::Key_F10, Qt::ShiftModifier); }).value(0),
              "Изменить рецепт")
        << "no context menu";

    // Ctrl+P with the tree in focus prints the recipe pane, through the print dialog.
    frame.recipeView()->ShowRecipe(borscht);
    tree->setFocus();
    int printed = 0;
    CRView::setPrintDialogForTests([&](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(t.dir() + "/printed.pdf");
        ++printed;
        return true;
    });
    QTest::keyClick(tree, Qt::Key_P, Qt::ControlModifier);
    CRView::setPrintDialogForTests({});
    EXPECT_EQ(printed, 1);
    EXPECT_TRUE(fileBytes(t.dir() + "/printed.pdf").startsWith("%PDF"));
    // The menus say which keys do what.
    EXPECT_EQ(frame.action(ID_PRINT_RECIPE)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(frame.action(ID_DELETE_RECIPE)->shortcut(), QKeySequence(Qt::Key_Delete));
    // The menus name keys in Russian, never "Return".
    EXPECT_EQ(frame.action(ID_EDIT_RECIPE)->shortcut().toString(QKeySequence::NativeText), "Ввод");
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText),
              "Ctrl+Ввод");
}

TEST(MainFrame, TheWindowOpensWhereItWasLeft) {
    TestDb t;
    QRect left;
    {
        ShownFrame frame(t.db);
        frame.setGeometry(40, 30, 700, 420);
        frame.action(ID_VIEW_STATUS_BAR)->trigger(); // hidden
        frame.action(ID_VIEW_TOOLBAR)->trigger();    // hidden
        QApplication::processEvents();
        frame.splitter()->setSizes({100, 300, 290});
        QApplication::processEvents();
        left = frame.geometry();
        frame.close();
    }
    CMainFrame again(t.db);
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.geometry(), left);
    EXPECT_FALSE(again.statusBar()->isVisible());
    EXPECT_FALSE(again.action(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_FALSE(again.toolBar()->isVisible());
    EXPECT_FALSE(again.action(ID_VIEW_TOOLBAR)->isChecked());
    // Where the guide says the settings are.
    EXPECT_TRUE(QSettings().fileName().endsWith("/Ovelta/Ovelta.conf"))
        << QSettings().fileName().toStdString();
    EXPECT_EQ(again.splitter()->sizes().value(0), 100);
    // A new width brings the proportions back.
    again.resize(800, 420);
    QApplication::processEvents();
    EXPECT_EQ(again.splitter()->sizes().value(0),
              CMainFrame::columnWidths(again.splitter()->width())[0]);
}

TEST(MainFrame, AClosedDialogGivesTheKeyboardBackToWhatOpenedIt) {
    QWidget window;
    auto field = new QLineEdit(&window);
    new QLineEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), field);
    QDialog dialog(&window);
    dialog.show();
    QApplication::processEvents();
    // The window manager gives the keyboard to no one when the dialog goes.
    dialog.hide();
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), field);
}
