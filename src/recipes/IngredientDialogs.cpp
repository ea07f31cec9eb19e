#include "IngredientDialogs.h"

#include "RtfText.h"
#include "data/DbError.h"
#include "data/TextOrder.h"
#include "ui/DialogButtons.h"
#include "ui/NameCompleter.h"
#include "ui/Prompts.h"
#include "ui/SortedListItem.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

using recipes::Dictionary;

} // namespace

// --- name dialogs ----------------------------------------------------------------------

CNameForm::CNameForm(Database& db, Dictionary which, Mode mode, int entry, QWidget* parent)
    : QDialog(parent), m_db(db), m_which(which), m_mode(mode), m_entry(entry) {
    setObjectName(which == Dictionary::Products ? QStringLiteral("ingredientForm")
                                                : QStringLiteral("unitForm"));
    const bool product = which == Dictionary::Products;
    const char* titles[2][3] = {{"Новый продукт", "Переименовать продукт", "Удалить продукт"},
                                {"Новая единица", "Переименовать единицу", "Удалить единицу"}};
    setWindowTitle(QString::fromUtf8(titles[product ? 0 : 1][mode]));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(255);
    auto label = new QLabel(QStringLiteral("&Наименование:"), this);
    label->setBuddy(m_name);
    auto form = new QFormLayout;
    form->addRow(label, m_name);
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNameForm::confirm);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(340);

    if (mode == Delete)
        m_name->setEnabled(false);
    if (mode != New)
        m_name->setText(recipes::entryName(m_db, m_which, m_entry).value_or(QString()));
}

QString CNameForm::name() const {
    return m_name->text();
}

void CNameForm::setName(const QString& name) {
    m_name->setText(name);
}

void CNameForm::confirm() {
    try {
        switch (m_mode) {
        case New:
            m_entry = recipes::createEntry(m_db, m_which, name());
            break;
        case Rename:
            recipes::renameEntry(m_db, m_which, m_entry, name());
            break;
        case Delete:
            recipes::deleteEntry(m_db, m_which, m_entry);
            break;
        }
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
        return;
    }
    accept();
}

// --- pickers ---------------------------------------------------------------------------

CPickerList::CPickerList(Database& db, Dictionary which, bool multiple, QWidget* parent)
    : QDialog(parent), m_db(db), m_which(which) {
    const bool products = which == Dictionary::Products;
    setWindowTitle(products ? QStringLiteral("Продукты") : QStringLiteral("Единицы"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(QStringLiteral("Часть названия"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection
                                      : QAbstractItemView::SingleSelection);
    for (const recipes::Entry& e : recipes::dictionary(m_db, which))
        m_list->addItem(new SortedListItem(e.name, e.id));

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_choose = addDialogButton(buttons, QStringLiteral("Выбрать"), QDialogButtonBox::AcceptRole,
                               "chooseButton");
    m_choose->setDefault(true);
    addDialogButton(buttons, QStringLiteral("Отмена"), QDialogButtonBox::RejectRole,
                    "cancelButton");
    QPushButton* create = addDialogButton(
        buttons, products ? QStringLiteral("Ввести новый") : QStringLiteral("Ввести новую"),
        QDialogButtonBox::ActionRole, "newButton");
    create->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (choose())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(create, &QPushButton::clicked, this, &CPickerList::createNew);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (choose())
            accept();
    });

    connect(m_filter, &QLineEdit::textChanged, this, &CPickerList::applyFilter);

    auto filterLabel = new QLabel(QStringLiteral("&Найти:"), this);
    filterLabel->setBuddy(m_filter);
    auto filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    listWithButtons(this, {filterRow}, m_list, {}, buttons);
    resize(420, 360);
    m_filter->setFocus();
}

void CPickerList::applyFilter(const QString& text) {
    const QString part = searchFolded(text.trimmed());
    QListWidgetItem* firstShown = nullptr;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        const bool shown = part.isEmpty() || searchFolded(item->text()).contains(part);
        item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    // What "Выбрать" takes is always a row the user can see.
    QListWidgetItem* current = m_list->currentItem();
    if (m_list->selectionMode() == QAbstractItemView::SingleSelection &&
        (!current || current->isHidden()))
        m_list->setCurrentItem(firstShown);
}

bool CPickerList::eventFilter(QObject* watched, QEvent* event) {
    // Down from the filter goes into the list, on its first row shown.
    if (watched == m_filter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        m_list->setFocus();
        QListWidgetItem* current = m_list->currentItem();
        if (!current || current->isHidden()) {
            for (int row = 0; row < m_list->count(); ++row)
                if (!m_list->item(row)->isHidden()) {
                    m_list->setCurrentRow(row);
                    break;
                }
        }
        // The row the keyboard stands on is chosen, so that Enter takes it at once, as in
        // every list; the multiple list's current row is otherwise not selected.
        if (m_list->currentItem() && m_list->selectedItems().isEmpty())
            m_list->currentItem()->setSelected(true);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::unique_ptr<CNameForm> makeNameForm(Database& db, Dictionary which, CNameForm::Mode mode,
                                        int entry, QWidget* parent) {
    if (which == Dictionary::Products)
        return std::make_unique<CIngredientForm>(db, mode, entry, parent);
    return std::make_unique<CUnitForm>(db, mode, entry, parent);
}

void CPickerList::createNew() {
    std::unique_ptr<CNameForm> form = makeNameForm(m_db, m_which, CNameForm::New, 0, this);
    if (form->exec() != QDialog::Accepted)
        return;
    auto item = new SortedListItem(form->name(), form->entry());
    m_list->addItem(item);
    // In the multiple list the new entry joins the selection; elsewhere it is the one.
    if (m_list->selectionMode() == QAbstractItemView::ExtendedSelection) {
        item->setSelected(true);
        m_list->setCurrentItem(item, QItemSelectionModel::Current);
    } else {
        m_list->setCurrentItem(item);
    }
    m_list->scrollToItem(item);
    m_choose->setFocus();
}

CSinglePickerList::CSinglePickerList(Database& db, Dictionary which, QWidget* parent)
    : CPickerList(db, which, false, parent) {
    setObjectName(which == Dictionary::Products ? QStringLiteral("ingredientList")
                                                : QStringLiteral("unitList"));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

bool CSinglePickerList::choose() {
    auto item = dynamic_cast<SortedListItem*>(m_list->currentItem());
    if (!item || !item->isSelected())
        return false; // an empty list has nothing to give
    m_id = item->id();
    m_name = item->text();
    return true;
}

CIngredientListM::CIngredientListM(Database& db, QWidget* parent)
    : CPickerList(db, Dictionary::Products, true, parent) {
    setObjectName(QStringLiteral("ingredientListM"));
}

bool CIngredientListM::choose() {
    m_ids.clear();
    m_names.clear();
    for (int row = 0; row < m_list->count(); ++row) {
        auto item = dynamic_cast<SortedListItem*>(m_list->item(row));
        if (item && item->isSelected()) {
            m_ids << item->id();
            m_names << item->text();
        }
    }
    // The filter left one row: that row is the choice.
    if (m_ids.isEmpty()) {
        SortedListItem* only = nullptr;
        int shown = 0;
        for (int row = 0; row < m_list->count(); ++row)
            if (!m_list->item(row)->isHidden() && ++shown == 1)
                only = dynamic_cast<SortedListItem*>(m_list->item(row));
        if (shown == 1 && only) {
            m_ids << only->id();
            m_names << only->text();
        }
    }
    if (m_ids.isEmpty()) {
        Prompts::message(this, QStringLiteral("Выберите продукт"), QStringLiteral("Ошибка"),
                         Prompts::Icon::None, Prompts::Buttons::Ok);
        return false;
    }
    return true;
}

// --- ingredient line -------------------------------------------------------------------

CIngredientsForm::CIngredientsForm(Database& db, Mode mode, int line, int recipe, QWidget* parent)
    : QDialog(parent), m_db(db), m_mode(mode), m_line(line), m_recipe(recipe) {
    setObjectName(QStringLiteral("ingredientsForm"));
    const char* titles[] = {"Добавление продукта", "Изменение продукта", "Удаление продукта"};
    setWindowTitle(QString::fromUtf8(titles[mode]));

    m_productEdit = new QLineEdit(this);
    m_productEdit->setObjectName(QStringLiteral("productName"));
    m_productEdit->setMinimumWidth(220);
    m_productEdit->setMaxLength(255);
    auto productButton = new QPushButton(QStringLiteral(">"), this);
    productButton->setObjectName(QStringLiteral("productButton"));
    productButton->setToolTip(QStringLiteral("Выбрать продукт (F4)"));
    productButton->setAutoDefault(false);
    // Tab goes from field to field; a picker opens from its field with F4 or Alt+Down.
    productButton->setFocusPolicy(Qt::ClickFocus);
    m_amountEdit = new QLineEdit(this);
    m_amountEdit->setObjectName(QStringLiteral("amount"));
    m_unitEdit = new QLineEdit(this);
    m_unitEdit->setObjectName(QStringLiteral("unitName"));
    m_unitEdit->setMaxLength(255);
    auto unitButton = new QPushButton(QStringLiteral(">"), this);
    unitButton->setObjectName(QStringLiteral("unitButton"));
    unitButton->setToolTip(QStringLiteral("Выбрать единицу измерения (F4)"));
    unitButton->setAutoDefault(false);
    unitButton->setFocusPolicy(Qt::ClickFocus);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F4), QKeySequence(Qt::ALT | Qt::Key_Down)}) {
        new QShortcut(keys, m_productEdit, productButton, &QPushButton::click, Qt::WidgetShortcut);
        new QShortcut(keys, m_unitEdit, unitButton, &QPushButton::click, Qt::WidgetShortcut);
    }

    auto productRow = new QHBoxLayout;
    productRow->addWidget(m_productEdit, 1);
    productRow->addWidget(productButton);
    auto unitRow = new QHBoxLayout;
    unitRow->addWidget(m_unitEdit, 1);
    unitRow->addWidget(unitButton);
    auto form = new QFormLayout;
    auto productLabel = new QLabel(QStringLiteral("&Наименование:"), this);
    productLabel->setBuddy(m_productEdit);
    form->addRow(productLabel, productRow);
    auto amountLabel = new QLabel(QStringLiteral("&Количество:"), this);
    amountLabel->setBuddy(m_amountEdit);
    form->addRow(amountLabel, m_amountEdit);
    auto unitLabel = new QLabel(QStringLiteral("&Единицы измерения:"), this);
    unitLabel->setBuddy(m_unitEdit);
    form->addRow(unitLabel, unitRow);

    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CIngredientsForm::confirm);
    connect(productButton, &QPushButton::clicked, this, &CIngredientsForm::pickProduct);
    connect(unitButton, &QPushButton::clicked, this, &CIngredientsForm::pickUnit);

    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    if (mode == Delete) {
        productButton->setEnabled(false);
        unitButton->setEnabled(false);
        m_amountEdit->setEnabled(false);
        m_productEdit->setReadOnly(true);
        m_unitEdit->setReadOnly(true);
    } else {
        // Names can be typed as well as picked: completion offers the dictionaries'.
        auto names = [this](Dictionary which) {
            QStringList out;
            for (const recipes::Entry& e : recipes::dictionary(m_db, which))
                out << e.name;
            std::vector<QString> sorted(out.begin(), out.end());
            sortRussian(sorted, [](const QString& s) { return s; });
            return QStringList(sorted.begin(), sorted.end());
        };
        m_productCompleter = new NameCompleter(m_productEdit, names(Dictionary::Products));
        m_unitCompleter = new NameCompleter(m_unitEdit, names(Dictionary::Units));
    }
    if (mode != Add) {
        if (std::optional<recipes::Line> l = recipes::readLine(m_db, m_line)) {
            m_recipe = l->recipe;
            m_product = m_productAtOpening = l->product;
            m_unit = l->unit;
            m_productName = l->productName;
            m_amount = l->quantity;
            m_unitName = l->unitName;
        }
    }
    m_productEdit->setText(m_productName);
    m_amountEdit->setText(QString::fromLatin1(rtf::formatAmount(m_amount)));
    m_unitEdit->setText(m_unitName);
    // A new line starts with its product; a line being changed, with its amount.
    if (mode == Add)
        m_productEdit->setFocus();
    else
        m_amountEdit->setFocus();
}

void CIngredientsForm::pickProduct() {
    CIngredientList picker(m_db, this);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_product = picker.id();
    m_productName = picker.name();
    m_productEdit->setText(m_productName);
}

void CIngredientsForm::pickUnit() {
    CUnitList picker(m_db, this);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_unit = picker.id();
    m_unitName = picker.name();
    m_unitEdit->setText(m_unitName);
}

void CIngredientsForm::confirm() {
    if (m_mode != Delete) {
        std::optional<float> amount = recipes::parseAmount(m_amountEdit->text());
        if (!amount) {
            Prompts::message(this,
                             QStringLiteral("Введите количество числом, например 0,5 или 0.5 "
                                            "(0 — количество не указано)"),
                             QStringLiteral("Ошибка"), Prompts::Icon::None, Prompts::Buttons::Ok);
            m_amountEdit->setFocus();
            m_amountEdit->selectAll();
            return;
        }
        m_amount = *amount;
        if (m_productEdit->text().trimmed().isEmpty()) {
            Prompts::message(this, QStringLiteral("Заполните наименование продукта"),
                             QStringLiteral("Ошибка"), Prompts::Icon::None, Prompts::Buttons::Ok);
            m_productEdit->setFocus();
            return;
        }
        if (m_unitEdit->text().trimmed().isEmpty()) {
            Prompts::message(this, QStringLiteral("Заполните единицы измерения"),
                             QStringLiteral("Ошибка"), Prompts::Icon::None, Prompts::Buttons::Ok);
            m_unitEdit->setFocus();
            return;
        }
        if (!resolve(Dictionary::Products, m_productEdit, m_product, m_productName) ||
            !resolve(Dictionary::Units, m_unitEdit, m_unit, m_unitName))
            return;
    }
    try {
        switch (m_mode) {
        case Add:
            m_line = recipes::addLine(m_db, m_recipe, m_product, m_amount, m_unit);
            break;
        case Change:
            recipes::changeLine(m_db, m_line, m_product, m_amount, m_unit, m_productAtOpening);
            break;
        case Delete:
            recipes::deleteLine(m_db, m_line);
            break;
        }
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
        return;
    }
    accept();
}

bool CIngredientsForm::resolve(Dictionary which, QLineEdit* edit, int& id, QString& name) {
    const QString typed = edit->text();
    if (id != 0 && typed == name)
        return true; // as picked or as it was
    const QString key = searchFolded(typed.trimmed());
    int found = 0;
    QString foundName;
    for (const recipes::Entry& e : recipes::dictionary(m_db, which)) {
        if (searchFolded(e.name.trimmed()) != key)
            continue;
        if (!found || e.name == typed) {
            found = e.id;
            foundName = e.name;
        }
        if (e.name == typed)
            break;
    }
    if (!found) {
        // A name the dictionary lacks is offered as a new entry, with the same checks as
        // "Ввести новый".
        std::unique_ptr<CNameForm> form = makeNameForm(m_db, which, CNameForm::New, 0, this);
        form->setName(typed.trimmed());
        if (form->exec() != QDialog::Accepted) {
            edit->setFocus();
            return false;
        }
        found = form->entry();
        foundName = form->name();
        NameCompleter* completer =
            which == Dictionary::Products ? m_productCompleter : m_unitCompleter;
        if (completer)
            completer->addName(foundName);
    }
    id = found;
    name = foundName;
    edit->setText(name);
    return true;
}
