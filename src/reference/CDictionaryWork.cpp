#include "CDictionaryWork.h"

#include "nutrition/FoodValueDialog.h"

#include "ReferenceStore.h"
#include "recipes/CRecipeForm.h"
#include "recipes/IngredientDialogs.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"
#include "ui/SortedListItem.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <memory>

using recipes::Dictionary;

CDictionaryWork::CDictionaryWork(Database& db, Dictionary which, QWidget* parent)
    : QDialog(parent), m_db(db), m_which(which) {
    const bool products = which == Dictionary::Products;
    setObjectName(products ? QStringLiteral("ingredientWork") : QStringLiteral("unitWork"));
    setWindowTitle(products ? QStringLiteral("Продукты") : QStringLiteral("Единицы"));

    auto makeList = [this](const char* name) {
        auto list = new QListWidget(this);
        list->setObjectName(QLatin1String(name));
        list->setSortingEnabled(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        return list;
    };
    m_entries = makeList("entries");
    m_usage = makeList("usage");
    auto entriesLabel =
        new QLabel(products ? QStringLiteral("&Продукты:") : QStringLiteral("&Единицы:"), this);
    entriesLabel->setBuddy(m_entries);
    auto usageLabel = new QLabel(QStringLiteral("&Используется в рецептах:"), this);
    usageLabel->setBuddy(m_usage);

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* add = addDialogButton(buttons, QStringLiteral("&Добавить"),
                                       QDialogButtonBox::ActionRole, "addButton");
    m_change = addDialogButton(buttons, QStringLiteral("&Изменить"), QDialogButtonBox::ActionRole,
                               "changeButton");
    m_delete = addDialogButton(buttons, QStringLiteral("&Удалить"), QDialogButtonBox::ActionRole,
                               "deleteButton");
    QPushButton* recipe = addDialogButton(buttons, QStringLiteral("Изменить &рецепт"),
                                          QDialogButtonBox::ActionRole, "editRecipeButton");
    if (products) {
        m_food = addDialogButton(buttons, QStringLiteral("&Вес и пищевая ценность..."),
                                 QDialogButtonBox::ActionRole, "foodButton");
        m_food->setAutoDefault(false);
        connect(m_food, &QPushButton::clicked, this, &CDictionaryWork::editFoodValue);
    }
    addDialogButton(buttons, QStringLiteral("Выход"), QDialogButtonBox::RejectRole, "exitButton");
    for (QPushButton* b : {add, m_change, m_delete, recipe})
        b->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &CDictionaryWork::addEntry);
    connect(m_change, &QPushButton::clicked, this, &CDictionaryWork::renameEntry);
    connect(m_delete, &QPushButton::clicked, this, &CDictionaryWork::deleteEntry);
    connect(recipe, &QPushButton::clicked, this, &CDictionaryWork::editRecipe);
    connect(m_usage, &QListWidget::itemDoubleClicked, this, &CDictionaryWork::editRecipe);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto left = new QVBoxLayout;
    left->addWidget(entriesLabel);
    left->addWidget(m_entries, 1);
    auto middle = new QVBoxLayout;
    middle->addWidget(usageLabel);
    middle->addWidget(m_usage, 1);
    auto layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(middle, 1);
    layout->addWidget(buttons);
    resize(640, 400);

    BusyCursor busy;
    for (const recipes::Entry& e : recipes::dictionary(m_db, m_which))
        m_entries->addItem(new SortedListItem(e.name, e.id));
    if (m_entries->count() > 0)
        m_entries->setCurrentRow(0);
    connect(m_entries, &QListWidget::itemSelectionChanged, this, &CDictionaryWork::fillUsage);
    fillUsage();
}

void CDictionaryWork::editFoodValue() {
    const int entry = selectedEntry();
    if (!entry)
        return;
    CFoodValueDlg dialog(m_db, entry, m_entries->selectedItems().front()->text(), this);
    if (dialog.exec() == QDialog::Accepted && m_namesChanged)
        m_namesChanged();
}

int CDictionaryWork::selectedEntry() const {
    const QList<QListWidgetItem*> selected = m_entries->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(Qt::UserRole).toInt();
}

void CDictionaryWork::fillUsage() {
    BusyCursor busy;
    m_usage->clear();
    const int entry = selectedEntry();
    std::vector<reference::Use> uses;
    if (entry)
        uses = reference::usage(m_db, m_which, entry);
    m_usage->setUpdatesEnabled(false);
    for (const reference::Use& u : uses)
        m_usage->addItem(new SortedListItem(u.name, u.recipe));
    m_usage->setUpdatesEnabled(true);
    m_usageEmpty = uses.empty();
    updateButtons();
}

void CDictionaryWork::updateButtons() {
    const bool selected = selectedEntry() != 0;
    m_change->setEnabled(selected);
    if (m_food)
        m_food->setEnabled(selected);
    // An entry any recipe uses cannot go: the recipe would point at nothing.
    m_delete->setEnabled(selected && m_usageEmpty);
}

void CDictionaryWork::addEntry() {
    auto form = makeNameForm(m_db, m_which, CNameForm::New, 0, this);
    if (form->exec() != QDialog::Accepted)
        return;
    auto item = new SortedListItem(form->name(), form->entry());
    m_entries->addItem(item);
    m_entries->setCurrentItem(item);
    m_entries->scrollToItem(item);
    fillUsage();
}

void CDictionaryWork::renameEntry() {
    const int entry = selectedEntry();
    if (!entry)
        return;
    auto form = makeNameForm(m_db, m_which, CNameForm::Rename, entry, this);
    if (form->exec() != QDialog::Accepted)
        return;
    delete m_entries->selectedItems().front();
    auto item = new SortedListItem(form->name(), entry);
    m_entries->addItem(item);
    m_entries->setCurrentItem(item);
    m_entries->scrollToItem(item);
    if (m_namesChanged)
        m_namesChanged();
}

void CDictionaryWork::deleteEntry() {
    const int entry = selectedEntry();
    if (!entry || !m_usageEmpty)
        return;
    auto form = makeNameForm(m_db, m_which, CNameForm::Delete, entry, this);
    if (form->exec() != QDialog::Accepted)
        return;
    {
        const QSignalBlocker blocker(m_entries);
        delete m_entries->selectedItems().front();
        m_entries->clearSelection();
        m_entries->setCurrentItem(nullptr);
    }
    fillUsage();
}

void CDictionaryWork::editRecipe() {
    const QList<QListWidgetItem*> selected = m_usage->selectedItems();
    if (selected.isEmpty()) {
        Prompts::message(this, QStringLiteral("Выберите рецепт"), QStringLiteral("Ошибка"),
                         Prompts::Icon::None, Prompts::Buttons::Ok);
        return;
    }
    QListWidgetItem* item = selected.front();
    const int recipe = item->data(Qt::UserRole).toInt();
    CRecipeForm form(m_db, CRecipeForm::Edit, recipe, 0, this);
    if (form.exec() != QDialog::Accepted)
        return;
    // Every row of that recipe shows the new name; the list itself is not read again.
    for (int i = 0; i < m_usage->count(); ++i)
        if (m_usage->item(i)->data(Qt::UserRole).toInt() == recipe)
            m_usage->item(i)->setText(form.name());
    m_usage->setCurrentItem(item);
    if (m_recipeChanged)
        m_recipeChanged(recipe);
}
