#include "KitchenDialogs.h"

#include "data/Database.h"
#include "data/TextOrder.h"
#include "data/WholeFile.h"
#include "recipes/IngredientDialogs.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"
#include "ui/SortedListItem.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

// --- products on hand and always present ----------------------------------------------

CKitchenList::CKitchenList(Database& db, kitchen::List which, QWidget* parent)
    : QDialog(parent), m_db(db), m_which(which) {
    const bool onHand = which == kitchen::List::OnHand;
    setObjectName(onHand ? QStringLiteral("productsList") : QStringLiteral("productsAlwaysList"));
    setWindowTitle(onHand ? QStringLiteral("Продукты в наличии")
                          : QStringLiteral("Постоянные продукты"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* add = addDialogButton(buttons, QStringLiteral("&Добавить"),
                                       QDialogButtonBox::ActionRole, "addButton");
    QPushButton* remove = addDialogButton(buttons, QStringLiteral("&Удалить"),
                                          QDialogButtonBox::ActionRole, "removeButton");
    addDialogButton(buttons, QStringLiteral("Выход"), QDialogButtonBox::RejectRole, "exitButton");
    connect(add, &QPushButton::clicked, this, &CKitchenList::addProducts);
    connect(remove, &QPushButton::clicked, this, &CKitchenList::removeSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(380, 320);

    BusyCursor busy;
    for (const kitchen::Entry& e : kitchen::listProducts(m_db, m_which))
        m_list->addItem(new SortedListItem(e.name, e.id));
    m_list->setCurrentItem(nullptr);
    m_list->clearSelection();
}

void CKitchenList::addProducts() {
    CIngredientListM picker(m_db, this);
    if (picker.exec() != QDialog::Accepted)
        return;
    std::vector<kitchen::Entry> chosen;
    for (qsizetype i = 0; i < picker.ids().size(); ++i)
        chosen.push_back({picker.ids()[i], picker.names().value(i)});
    BusyCursor busy;
    for (const kitchen::Entry& e : kitchen::addProducts(m_db, m_which, chosen))
        m_list->addItem(new SortedListItem(e.name, e.id));
}

void CKitchenList::removeSelected() {
    QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        Prompts::message(this, QStringLiteral("Выберите продукт"), QStringLiteral("Ошибка"),
                         Prompts::Icon::None, Prompts::Buttons::Ok);
        return;
    }
    if (!Prompts::ask(this, selected.size() == 1 ? QStringLiteral("Удалить выбранный продукт?")
                                                 : QStringLiteral("Удалить выбранные продукты?")))
        return;
    std::vector<int> ids;
    for (QListWidgetItem* item : selected)
        ids.push_back(item->data(Qt::UserRole).toInt());
    {
        BusyCursor busy;
        kitchen::removeProducts(m_db, m_which, ids);
    }
    qDeleteAll(selected);
}

// --- servings --------------------------------------------------------------------------

CRecipeQuantity::CRecipeQuantity(const QString& title, int servings, QWidget* parent)
    : QDialog(parent), m_servings(servings) {
    setObjectName(QStringLiteral("recipeQuantity"));
    setWindowTitle(title);
    auto label = new QLabel(QStringLiteral("&Количество блюд"), this);
    m_edit = new QLineEdit(QString::number(servings), this);
    m_edit->setObjectName(QStringLiteral("servings"));
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_edit));
    m_edit->setMaxLength(10);
    m_edit->selectAll();
    label->setBuddy(m_edit);
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CRecipeQuantity::confirm);
    auto row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}

void CRecipeQuantity::confirm() {
    const std::optional<int> n = kitchen::parseServings(m_edit->text());
    if (!n) {
        Prompts::message(
            this, QStringLiteral("Введите целое число от 1 до %1.").arg(kitchen::kMaxServings),
            QString(), Prompts::Icon::Warning, Prompts::Buttons::Ok);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_servings = *n;
    accept();
}

// --- the menu --------------------------------------------------------------------------

namespace {

// A menu row that sorts by its dish name in the program's Russian order.
class DishItem : public QTreeWidgetItem {
public:
    DishItem(const kitchen::Dish& dish) {
        setText(0, dish.name);
        setText(1, QString::number(dish.servings));
        setData(0, Qt::UserRole, dish.recipe);
    }
    bool operator<(const QTreeWidgetItem& other) const override {
        return russianLess(text(0), other.text(0));
    }
};

} // namespace

CMenuForm::CMenuForm(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("menuForm"));
    setWindowTitle(QStringLiteral("Меню"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("dishes"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Наименование"), QStringLiteral("Кол.")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setSectionsMovable(false);
    // Grid lines between the cells, as a report list draws them.
    m_list->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid palette(mid); "
                                         "border-bottom: 1px solid palette(mid); }"));

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* change = addDialogButton(buttons, QStringLiteral("&Изменить количество"),
                                          QDialogButtonBox::ActionRole, "changeButton");
    QPushButton* remove = addDialogButton(buttons, QStringLiteral("&Удалить блюдо"),
                                          QDialogButtonBox::ActionRole, "removeButton");
    QPushButton* clear = addDialogButton(buttons, QStringLiteral("&Очистить меню"),
                                         QDialogButtonBox::ActionRole, "clearButton");
    addDialogButton(buttons, QStringLiteral("Выход"), QDialogButtonBox::RejectRole, "exitButton");
    connect(change, &QPushButton::clicked, this, &CMenuForm::changeServings);
    connect(remove, &QPushButton::clicked, this, &CMenuForm::removeDish);
    connect(clear, &QPushButton::clicked, this, &CMenuForm::clearMenu);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMenuForm::changeServings);

    m_food = new QLabel(this);
    m_food->setObjectName(QStringLiteral("menuFood"));
    m_food->setWordWrap(true);
    m_food->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_grams = new QCheckBox(QStringLiteral("Складывать в &граммах"), this);
    m_grams->setObjectName(QStringLiteral("sumInGrams"));
    m_grams->setToolTip(QStringLiteral("В списке продуктов для меню количества одного продукта в "
                                       "разных единицах складываются в граммах, где известен вес"));
    m_grams->setChecked(sumsInGrams());
    connect(m_grams, &QCheckBox::toggled, this, [](bool on) { setSumsInGrams(on); });

    auto left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addWidget(m_food);
    left->addWidget(m_grams);
    auto layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);
    resize(480, 360);

    BusyCursor busy;
    m_list->setSortingEnabled(false);
    for (const kitchen::Dish& d : kitchen::openMenu(m_db)) {
        m_list->addTopLevelItem(new DishItem(d));
        m_foods.emplace(d.recipe, nutrition::recipeFood(m_db, d.recipe));
    }
    m_list->sortItems(0, Qt::AscendingOrder);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CMenuForm::showFood);
    fitColumns();
    showFood();
}

bool CMenuForm::sumsInGrams() {
    return QSettings().value(QStringLiteral("menu/sumInGrams"), false).toBool();
}

void CMenuForm::setSumsInGrams(bool on) {
    QSettings().setValue(QStringLiteral("menu/sumInGrams"), on);
}

// The food value of the chosen dish and of the whole menu, each dish times its servings.
void CMenuForm::showFood() {
    double menuKcal = 0;
    bool any = false;
    QStringList unweighed;
    QString chosen;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        const auto food = m_foods.find(item->data(0, Qt::UserRole).toInt());
        if (food == m_foods.end())
            continue;
        const int servings = item->text(1).toInt();
        any |= food->second.grams > 0;
        menuKcal += food->second.total.kcal * servings;
        for (const QString& name : food->second.unweighed)
            if (!unweighed.contains(name))
                unweighed << name;
        if (item->isSelected() && food->second.grams > 0)
            chosen = QStringLiteral("«%1» × %2: %3 ккал; ")
                         .arg(item->text(0), item->text(1),
                              nutrition::figureText(food->second.total.kcal * servings));
    }
    if (!any) {
        m_food->setText(m_list->topLevelItemCount()
                            ? QStringLiteral("Пищевая ценность меню не известна.")
                            : QString());
        return;
    }
    QString text =
        chosen + QStringLiteral("всё меню: %1 ккал").arg(nutrition::figureText(menuKcal));
    if (!unweighed.isEmpty())
        text += QStringLiteral("; без учёта: ") + unweighed.join(QStringLiteral(", "));
    text[0] = text[0].toUpper();
    m_food->setText(text);
}

void CMenuForm::fitColumns() {
    const int client = m_list->viewport()->width();
    m_list->setColumnWidth(0, std::max(0, client - kServingsColumnWidth));
    m_list->setColumnWidth(1, kServingsColumnWidth);
}

void CMenuForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitColumns();
}

void CMenuForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitColumns();
}

int CMenuForm::selectedRecipe() const {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        Prompts::notice(const_cast<CMenuForm*>(this), QStringLiteral("Блюдо не выбрано."));
        return 0;
    }
    return selected.front()->data(0, Qt::UserRole).toInt();
}

void CMenuForm::changeServings() {
    const int recipe = selectedRecipe();
    if (!recipe)
        return;
    QTreeWidgetItem* item = m_list->selectedItems().front();
    const int servings = kitchen::menuServings(m_db, recipe).value_or(1);
    CRecipeQuantity dialog(item->text(0), servings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    kitchen::setMenuServings(m_db, recipe, dialog.servings());
    item->setText(1, QString::number(dialog.servings()));
    showFood();
}

void CMenuForm::removeDish() {
    const int recipe = selectedRecipe();
    if (!recipe)
        return;
    kitchen::removeDish(m_db, recipe);
    delete m_list->selectedItems().front();
    showFood();
}

void CMenuForm::clearMenu() {
    if (!Prompts::ask(this, QStringLiteral("Очистить меню?")))
        return;
    BusyCursor busy;
    kitchen::clearMenu(m_db);
    m_list->clear();
    showFood();
}

// --- what is missing ------------------------------------------------------------------

CMissingList::CMissingList(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("missingList"));
    setWindowTitle(QStringLiteral("Чего не хватает?"));
    m_max = new QSpinBox(this);
    m_max->setObjectName(QStringLiteral("maxMissing"));
    m_max->setRange(1, kitchen::kMaxMissing);
    m_max->setValue(2);
    auto maxLabel = new QLabel(QStringLiteral("Не хватает &не больше продуктов:"), this);
    maxLabel->setBuddy(m_max);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    // A recipe's missing products can be many: its line wraps rather than being cut.
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setResizeMode(QListView::Adjust);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    // Its caller puts it beside the recipe pane it shows recipes in.
    setProperty("placesItself", true);

    // The buttons under the list keep the window narrow enough to stand beside the pane.
    auto buttons = new QDialogButtonBox(Qt::Horizontal, this);
    QPushButton* toMenu = addDialogButton(buttons, QStringLiteral("В &меню"),
                                          QDialogButtonBox::ActionRole, "addToMenuButton");
    QPushButton* toList = addDialogButton(buttons, QStringLiteral("В &покупки"),
                                          QDialogButtonBox::ActionRole, "shoppingButton");
    addDialogButton(buttons, QStringLiteral("Выход"), QDialogButtonBox::RejectRole, "exitButton");
    connect(toMenu, &QPushButton::clicked, this, [this] {
        if (std::optional<kitchen::MissingDish> dish = chosen())
            emit addToMenuRequested(dish->recipe);
    });
    connect(toList, &QPushButton::clicked, this, &CMissingList::addToShoppingList);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && size_t(row) < m_rows.size())
            emit recipeChosen(m_rows[size_t(row)].recipe);
    });
    connect(m_max, &QSpinBox::valueChanged, this, &CMissingList::reload);

    auto top = new QHBoxLayout;
    top->addWidget(maxLabel);
    top->addWidget(m_max);
    top->addStretch(1);
    auto column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_list, 1);
    column->addWidget(m_status);
    column->addWidget(buttons);
    resize(380, 380);
    reload();
}

void CMissingList::reload() {
    {
        BusyCursor busy;
        CProgress progress(this);
        progress.place();
        progress.show();
        m_rows = kitchen::whatIsMissing(m_db, m_max->value(), progress);
    }
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const kitchen::MissingDish& dish : m_rows)
        m_list->addItem(kitchen::missingText(dish));
    m_status->setText(m_rows.empty() ? QStringLiteral("Таких рецептов нет")
                                     : QStringLiteral("Рецептов: %1").arg(m_rows.size()));
}

std::optional<kitchen::MissingDish> CMissingList::chosen() {
    const int row = m_list->currentRow();
    if (row < 0 || size_t(row) >= m_rows.size() || !m_list->currentItem()->isSelected()) {
        Prompts::error(this, QStringLiteral("Не выбран рецепт"));
        return std::nullopt;
    }
    return m_rows[size_t(row)];
}

void CMissingList::addToShoppingList() {
    const std::optional<kitchen::MissingDish> dish = chosen();
    if (!dish)
        return;
    if (dish->missingIds.empty()) {
        m_status->setText(QStringLiteral("Для «%1» всё есть").arg(dish->name));
        return;
    }
    kitchen::addToShoppingList(m_db, dish->missingIds);
    m_status->setText(QStringLiteral("В список покупок: %1").arg(dish->missing.join(", ")));
}

// --- the shopping list ------------------------------------------------------------------

CShoppingList::CShoppingList(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    build(QStringLiteral("Список покупок"), QString());
}

CShoppingList::CShoppingList(Database& db, const QString& title,
                             std::vector<kitchen::Portion> dishes, const QString& note,
                             QWidget* parent)
    : QDialog(parent), m_db(db), m_dishes(std::move(dishes)) {
    build(title, note);
}

void CShoppingList::build(const QString& title, const QString& note) {
    setObjectName(QStringLiteral("shoppingList"));
    setWindowTitle(title);
    auto hint = new QLabel(QStringLiteral("Отметьте, что &куплено:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    hint->setBuddy(m_list);

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    struct Button {
        const char* text;
        const char* name;
        void (CShoppingList::*slot)();
    };
    const Button actions[] = {
        {"&Очистить купленное", "clearButton", &CShoppingList::clearBought},
        {"Куплено — в &наличии", "onHandButton", &CShoppingList::boughtToOnHand},
        {"&Копировать", "copyButton", &CShoppingList::copy},
        {"&Печать", "printButton", &CShoppingList::print},
        {"&Сохранить…", "saveButton", &CShoppingList::save},
    };
    for (const Button& b : actions) {
        QPushButton* button = addDialogButton(buttons, QString::fromUtf8(b.text),
                                              QDialogButtonBox::ActionRole, b.name);
        connect(button, &QPushButton::clicked, this, b.slot);
    }
    addDialogButton(buttons, QStringLiteral("Выход"), QDialogButtonBox::RejectRole, "exitButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int product = item->data(Qt::UserRole).toInt();
        const bool bought = item->checkState() == Qt::Checked;
        if (!m_dishes)
            kitchen::setBought(m_db, product, bought);
        else if (bought)
            m_bought.insert(product);
        else
            m_bought.erase(product);
    });

    if (note.isEmpty()) {
        listWithButtons(this, {hint}, m_list, {}, buttons);
    } else {
        auto said = new QLabel(note, this);
        said->setObjectName(QStringLiteral("note"));
        said->setWordWrap(true);
        listWithButtons(this, {said, hint}, m_list, {}, buttons);
    }
    resize(480, 360);
    reload();
}

std::vector<kitchen::ShoppingItem> CShoppingList::items() {
    if (!m_dishes)
        return kitchen::shoppingList(m_db);
    std::vector<kitchen::ShoppingItem> out;
    for (kitchen::ShoppingItem& item : kitchen::shoppingListFor(m_db, *m_dishes))
        if (!m_cleared.count(item.product)) {
            item.bought = m_bought.count(item.product) > 0;
            out.push_back(std::move(item));
        }
    return out;
}

QString CShoppingList::listText() {
    return kitchen::shoppingListText(items());
}

void CShoppingList::reload() {
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const kitchen::ShoppingItem& item : items()) {
        auto row = new QListWidgetItem(item.text, m_list);
        row->setData(Qt::UserRole, item.product);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(item.bought ? Qt::Checked : Qt::Unchecked);
        row->setToolTip(QStringLiteral("куплено"));
    }
}

void CShoppingList::clearBought() {
    if (m_dishes) {
        m_cleared.insert(m_bought.begin(), m_bought.end());
        m_bought.clear();
    } else {
        kitchen::clearBought(m_db);
    }
    reload();
}

void CShoppingList::boughtToOnHand() {
    BusyCursor busy;
    if (m_dishes) {
        std::vector<kitchen::Entry> bought;
        for (const kitchen::ShoppingItem& item : items())
            if (item.bought)
                bought.push_back({item.product, item.text});
        kitchen::addProducts(m_db, kitchen::List::OnHand, bought);
        m_bought.clear();
    } else {
        kitchen::boughtToOnHand(m_db);
    }
    reload();
}

void CShoppingList::copy() {
    QGuiApplication::clipboard()->setText(listText());
}

void CShoppingList::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument doc;
    doc.setPlainText(windowTitle() + QStringLiteral("\n\n") + listText());
    doc.print(&printer);
}

void CShoppingList::save() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path =
        Prompts::saveFileName(this, QStringLiteral("Сохранить список покупок"),
                              QDir(documents).filePath(QStringLiteral("Список покупок.txt")),
                              QStringLiteral("Текст (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QString why;
    if (!writeWholeFile(path, listText().toUtf8(), &why))
        Prompts::error(
            this,
            QStringLiteral("Не могу записать файл %1: %2").arg(QFileInfo(path).fileName(), why));
}
