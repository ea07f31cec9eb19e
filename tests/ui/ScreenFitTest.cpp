// Every window of the program on a small screen (1024 by 600) and on a HiDPI screen at
// scale factor 2: it must fit the screen and show every button whole, and open over the
// window it belongs to. The screen comes from the environment the test runs in (see
// tests/CMakeLists.txt).

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/HelpWindow.h"
#include "catalog/CatalogDialogs.h"
#include "intake/CIntakeDlg.h"
#include "kitchen/KitchenDialogs.h"
#include "plan/PlanDialogs.h"
#include "plan/WeekView.h"
#include "recipes/CRecipeForm.h"
#include "recipes/IngredientDialogs.h"
#include "reference/CDictionaryWork.h"
#include "search/CFindDlg.h"
#include "support/TestDb.h"
#include "ui/CProgress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

void expectFits(QWidget* w, const char* what) {
    w->show();
    QApplication::processEvents();
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_LE(w->frameGeometry().width(), screen.width()) << what;
    EXPECT_LE(w->frameGeometry().height(), screen.height()) << what;
    EXPECT_TRUE(screen.contains(w->frameGeometry())) << what << " lies off the screen";
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(w) || b->text().isEmpty())
            continue;
        const QRect inWindow(b->mapTo(w, QPoint(0, 0)), b->size());
        EXPECT_TRUE(w->rect().contains(inWindow))
            << what << ": button \"" << b->text().toStdString() << "\" is cut off";
        EXPECT_GE(b->width(), b->minimumSizeHint().width())
            << what << ": button \"" << b->text().toStdString() << "\" is squeezed";
    }
    // Every labelled field is reached from the keyboard by its label's own letter.
    QSet<QChar> letters;
    for (QLabel* l : w->findChildren<QLabel*>()) {
        if (!l->buddy() || l->buddy()->focusPolicy() == Qt::NoFocus)
            continue; // a label beside a text that cannot be edited
        const qsizetype amp = l->text().indexOf(QLatin1Char('&'));
        const QChar letter =
            amp >= 0 && amp + 1 < l->text().size() ? l->text()[amp + 1].toLower() : QChar();
        EXPECT_TRUE(letter.isLetterOrNumber())
            << what << ": label \"" << l->text().toStdString() << "\" has no key";
        EXPECT_FALSE(letters.contains(letter))
            << what << ": label \"" << l->text().toStdString() << "\" shares its key";
        letters.insert(letter);
    }
    w->hide();
}

} // namespace

TEST(ScreenFit, EveryWindowFitsAndShowsItsButtonsWhole) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LE(screen.width(), 1024) << "the test runs on a small screen";
    TestDb t;
    const int section = t.addSection("Супы");
    const int recipe = t.addRecipe("Борщ", section, "Варить");
    const int product = t.addProduct("Свёкла");
    t.addLine(recipe, product, 2, 0);

    CMainFrame frame(t.db);
    // As it first opens, before anybody maximizes it.
    expectFits(&frame, "main window");
    frame.show();

    using Make = std::function<std::unique_ptr<QWidget>()>;
    const std::vector<std::pair<const char*, Make>> windows = {
        {"about", [&] { return std::make_unique<CAboutDlg>(t.db, &frame); }},
        {"help", [&] { return std::make_unique<HelpWindow>(&frame); }},
        {"section",
         [&] { return std::make_unique<CCatalogForm>(t.db, CCatalogForm::New, 0, 0, &frame); }},
        {"section deletion", [&] { return std::make_unique<CDeleteCatalogDlg>(&frame); }},
        {"recipe editor",
         [&] { return std::make_unique<CRecipeForm>(t.db, CRecipeForm::Edit, recipe, 0, &frame); }},
        {"line",
         [&] {
             return std::make_unique<CIngredientsForm>(t.db, CIngredientsForm::Change, 1, recipe,
                                                       &frame);
         }},
        {"product picker", [&] { return std::make_unique<CIngredientList>(t.db, &frame); }},
        {"unit picker", [&] { return std::make_unique<CUnitList>(t.db, &frame); }},
        {"products picker", [&] { return std::make_unique<CIngredientListM>(t.db, &frame); }},
        {"product name",
         [&] { return std::make_unique<CIngredientForm>(t.db, CNameForm::New, 0, &frame); }},
        {"unit name", [&] { return std::make_unique<CUnitForm>(t.db, CNameForm::New, 0, &frame); }},
        {"find", [&] { return std::make_unique<CFindDlg>(&frame); }},
        {"on hand", [&] { return std::make_unique<CProductsList>(t.db, &frame); }},
        {"always present", [&] { return std::make_unique<CProductsAlwaysList>(t.db, &frame); }},
        {"servings", [&] { return std::make_unique<CRecipeQuantity>("Борщ", 2, &frame); }},
        {"menu", [&] { return std::make_unique<CMenuForm>(t.db, &frame); }},
        {"what is missing", [&] { return std::make_unique<CMissingList>(t.db, &frame); }},
        {"shopping list", [&] { return std::make_unique<CShoppingList>(t.db, &frame); }},
        {"shopping list for days",
         [&] {
             return std::make_unique<CShoppingList>(
                 t.db, "Список покупок на 7–13 декабря", std::vector<kitchen::Portion>{},
                 "Рецепты без числа порций посчитаны по разу: Борщ, Плов, Пирог с капустой",
                 &frame);
         }},
        {"meal plan", [&] { return std::make_unique<WeekView>(t.db, &frame); }},
        {"recipe for the plan",
         [&] {
             return std::make_unique<PickRecipeDialog>(t.db, QDate(2026, 12, 7), plan::Meal::Lunch,
                                                       &frame);
         }},
        {"recipe intake", [&] { return std::make_unique<CIntakeDlg>(t.db, 0, QString(), &frame); }},
        {"products", [&] { return std::make_unique<CIngredientWork>(t.db, &frame); }},
        {"units", [&] { return std::make_unique<CUnitWork>(t.db, &frame); }},
        {"progress",
         [&] {
             auto p = std::make_unique<CProgress>(&frame);
             p->place();
             return p;
         }},
    };
    for (const auto& [what, make] : windows) {
        std::unique_ptr<QWidget> w = make();
        expectFits(w.get(), what);
    }
}

TEST(ScreenFit, DialogsOpenCentredOverTheWindowTheyBelongTo) {
    TestDb t;
    CMainFrame frame(t.db);
    frame.setGeometry(60, 40, 700, 500);
    frame.show();
    QApplication::setActiveWindow(&frame);
    // A dialog whose owner is hidden, as the section-deletion choice is.
    QWidget hiddenOwner(&frame, Qt::Window);
    QDialog dialog(&hiddenOwner);
    dialog.resize(200, 100);
    QPoint centre;
    QTimer::singleShot(0, &dialog, [&] {
        centre = dialog.frameGeometry().center();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_LE((centre - frame.frameGeometry().center()).manhattanLength(), 4)
        << centre.x() << "," << centre.y();
}

TEST(ScreenFit, ProgressCentresOverItsOwnerAndFillsAtTheEnd) {
    // An owner narrower than the window: the window starts left of it.
    EXPECT_EQ(CProgress::placement({100, 50}, 200, 101, QSize(301, 40)), QPoint(50, 80));
    EXPECT_EQ(CProgress::placement({10, 10}, 100, 100, QSize(103, 100)), QPoint(9, 10));

    CProgress progress(nullptr);
    progress.setRange(0, 5'000'000'000LL); // more than an int holds
    progress.setPosition(2'500'000'000LL);
    EXPECT_NEAR(double(progress.bar()->value()) / progress.bar()->maximum(), 0.5, 0.01);
    progress.setPosition(5'000'000'000LL);
    EXPECT_EQ(progress.bar()->value(), progress.bar()->maximum());
    progress.setRange(0, 0);
    progress.setPosition(0);
    EXPECT_EQ(progress.bar()->value(), progress.bar()->maximum());
}
