#include "KitchenDialogs.h"

#include "data/Database.h"
#include "data/TextOrder.h"
#include "recipes/IngredientDialogs.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"
#include "ui/SortedListItem.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
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

    auto layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(480, 320);

    BusyCursor busy;
    m_list->setSortingEnabled(false);
    for (const kitchen::Dish& d : kitchen::openMenu(m_db))
        m_list->addTopLevelItem(new DishItem(d));
    m_list->sortItems(0, Qt::AscendingOrder);
    fitColumns();
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
    const int servings = kitchen::menuServings(m_db, recipe).value_or(0);
    CRecipeQuantity dialog(item->text(0), servings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    kitchen::setMenuServings(m_db, recipe, dialog.servings());
    item->setText(1, QString::number(dialog.servings()));
}

void CMenuForm::removeDish() {
    const int recipe = selectedRecipe();
    if (!recipe)
        return;
    kitchen::removeDish(m_db, recipe);
    delete m_list->selectedItems().front();
}

void CMenuForm::clearMenu() {
    if (!Prompts::ask(this, QStringLiteral("Очистить меню?")))
        return;
    BusyCursor busy;
    kitchen::clearMenu(m_db);
    m_list->clear();
}
