#include "CRecipeForm.h"

#include "Servings.h"
#include <QRegularExpression>

#include "IngredientDialogs.h"
#include "RecipeStore.h"
#include "photos/PhotoPrompts.h"
#include "photos/PhotoStore.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The editor shows the photo's small copy at the size of a thumbnail: it is there to be
// recognised, not looked at.
constexpr QSize kPhotoBox(128, 96);

// The method is kept with CR LF between lines; the editor works with LF.
QString toStored(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}
QString fromStored(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

CRecipeForm::CRecipeForm(Database& db, Mode mode, int recipe, int section, QWidget* parent)
    : QDialog(parent), m_db(db), m_mode(mode), m_recipe(mode == New ? 0 : recipe),
      m_section(section) {
    setObjectName(QStringLiteral("recipeForm"));
    const char* titles[] = {"Новый рецепт", "Изменить рецепт", "Удалить рецепт"};
    setWindowTitle(QString::fromUtf8(titles[mode]));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(kMaxNameLength);
    m_servings = new QLineEdit(this);
    m_servings->setObjectName(QStringLiteral("servings"));
    m_servings->setMaxLength(recipes::kMaxYieldNote);
    m_servings->setPlaceholderText(QStringLiteral("не сказано"));
    m_servings->setToolTip(QStringLiteral("На сколько порций рецепт: число, или как сказано в "
                                          "рецепте («12 печений»)"));
    m_lines = new QListWidget(this);
    m_lines->setObjectName(QStringLiteral("lines"));
    m_lines->setSortingEnabled(false);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setTabChangesFocus(true);
    auto add = new QPushButton(QStringLiteral("&Добавить"), this);
    add->setObjectName(QStringLiteral("addButton"));
    auto change = new QPushButton(QStringLiteral("&Изменить"), this);
    change->setObjectName(QStringLiteral("changeButton"));
    auto remove = new QPushButton(QStringLiteral("&Удалить"), this);
    remove->setObjectName(QStringLiteral("deleteButton"));
    for (QPushButton* b : {add, change, remove})
        b->setAutoDefault(false);

    m_photo = new QLabel(this);
    m_photo->setObjectName(QStringLiteral("photo"));
    m_photo->setFixedSize(kPhotoBox);
    m_photo->setAlignment(Qt::AlignCenter);
    m_photo->setFrameShape(QFrame::StyledPanel);
    auto photoButton = new QPushButton(QStringLiteral("&Фотография…"), this);
    photoButton->setObjectName(QStringLiteral("photoButton"));
    m_dropPhoto = new QPushButton(QStringLiteral("У&брать фотографию"), this);
    m_dropPhoto->setObjectName(QStringLiteral("dropPhotoButton"));
    for (QPushButton* b : {photoButton, m_dropPhoto})
        b->setAutoDefault(false);

    auto nameLabel = new QLabel(QStringLiteral("&Название:"), this);
    nameLabel->setBuddy(m_name);
    auto servingsLabel = new QLabel(QStringLiteral("Пор&ций:"), this);
    servingsLabel->setBuddy(m_servings);
    auto linesLabel = new QLabel(QStringLiteral("&Продукты:"), this);
    linesLabel->setBuddy(m_lines);
    auto textLabel = new QLabel(QStringLiteral("&Описание:"), this);
    textLabel->setBuddy(m_text);
    auto lineButtons = new QVBoxLayout;
    lineButtons->addWidget(add);
    lineButtons->addWidget(change);
    lineButtons->addWidget(remove);
    lineButtons->addStretch(1);

    auto photoLabel = new QLabel(QStringLiteral("Фотография:"), this);
    auto photoButtons = new QVBoxLayout;
    photoButtons->addWidget(photoButton);
    photoButtons->addWidget(m_dropPhoto);
    photoButtons->addStretch(1);
    auto photoRow = new QHBoxLayout;
    photoRow->addWidget(m_photo);
    photoRow->addLayout(photoButtons);
    photoRow->addStretch(1);

    QDialogButtonBox* buttons = yesNoButtons(this);

    auto grid = new QGridLayout(this);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 2);
    grid->addWidget(servingsLabel, 1, 0);
    grid->addWidget(m_servings, 1, 1);
    grid->addWidget(linesLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(m_lines, 2, 1);
    grid->addLayout(lineButtons, 2, 2);
    grid->addWidget(textLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(m_text, 3, 1, 1, 2);
    grid->addWidget(photoLabel, 4, 0, Qt::AlignTop);
    grid->addLayout(photoRow, 4, 1, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setRowStretch(3, 2);
    resize(560, 540);

    connect(add, &QPushButton::clicked, this, &CRecipeForm::addLine);
    connect(change, &QPushButton::clicked, this, &CRecipeForm::changeLine);
    connect(remove, &QPushButton::clicked, this, &CRecipeForm::deleteLine);
    // In the list of lines: Insert adds one, Enter changes the chosen one, Delete deletes it.
    m_lines->installEventFilter(this);
    connect(m_lines, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_mode != Delete)
            changeLine();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CRecipeForm::confirm);
    connect(photoButton, &QPushButton::clicked, this, &CRecipeForm::choosePhoto);
    connect(m_dropPhoto, &QPushButton::clicked, this, &CRecipeForm::dropPhoto);
    // Ctrl+Enter saves from anywhere in the editor, the method's text included.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        new QShortcut(keys, this, this, &CRecipeForm::confirm);

    if (mode == Delete) {
        m_name->setEnabled(false);
        m_servings->setEnabled(false);
        m_text->setReadOnly(true);
        m_text->setEnabled(false);
        add->setEnabled(false);
        change->setEnabled(false);
        remove->setEnabled(false);
        photoButton->setEnabled(false);
    }
    if (mode != New) {
        if (std::optional<recipes::Recipe> r = recipes::readRecipe(m_db, m_recipe)) {
            m_section = r->section;
            m_name->setText(r->name);
            m_text->setPlainText(fromStored(r->text));
        }
        const recipes::Servings servings = recipes::servingsOf(m_db, m_recipe);
        m_servings->setText(servings.note.isEmpty() && servings.known()
                                ? QString::number(servings.count)
                                : servings.note);
        for (const recipes::Line& l : recipes::recipeLines(m_db, m_recipe))
            appendEntry(recipes::lineText(l.productName, l.quantity, l.unitName), l.id);
        if (m_lines->count() > 0)
            m_lines->setCurrentRow(0);
    }
    showPhoto(m_mode == New
                  ? QByteArray()
                  : photos::photoBytes(m_db, m_recipe, photos::Copy::Small).value_or(QByteArray()));
    // Everything from here on is one unit of work.
    m_transaction = std::make_unique<Transaction>(m_db);
    connect(m_name, &QLineEdit::textEdited, this, [this] { m_changed = true; });
    connect(m_servings, &QLineEdit::textEdited, this, [this] { m_changed = true; });
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] { m_changed = true; });
}

bool CRecipeForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lines && event->type() == QEvent::KeyPress && m_mode != Delete) {
        const auto key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Insert:
                addLine();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                changeLine();
                return true;
            case Qt::Key_Delete:
                deleteLine();
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CRecipeForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_changed &&
        m_mode != Delete) {
        event->accept();
        if (Prompts::ask(this, QStringLiteral("Отменить изменения рецепта?")))
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

CRecipeForm::~CRecipeForm() = default; // an open transaction rolls back here

QString CRecipeForm::name() const {
    return m_name->text();
}

void CRecipeForm::appendEntry(const QString& text, int lineId) {
    auto item = new QListWidgetItem(text, m_lines);
    item->setData(Qt::UserRole, lineId);
}

bool CRecipeForm::closeIfTransactionLost() {
    if (!m_transaction || !m_db.transactionLost())
        return false;
    // The engine already undid the whole visit; the rollback here only says so.
    m_transaction->rollback();
    m_transaction.reset();
    Prompts::error(this, QStringLiteral("Изменения рецепта сохранить не удалось: база данных "
                                        "отменила их после ошибки. Рецепт остался таким, каким "
                                        "был до открытия редактора."));
    QDialog::reject();
    return true;
}

void CRecipeForm::addLine() {
    CIngredientsForm form(m_db, CIngredientsForm::Add, 0, m_recipe, this);
    const int result = form.exec();
    if (closeIfTransactionLost() || result != QDialog::Accepted)
        return;
    m_changed = true;
    appendEntry(recipes::lineText(form.productName(), form.amount(), form.unitName()), form.line());
    m_lines->setCurrentRow(m_lines->count() - 1);
    // Ready for the next line: Insert adds it.
    m_lines->setFocus();
}

QListWidgetItem* CRecipeForm::selectedLine() const {
    QListWidgetItem* item = m_lines->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void CRecipeForm::changeLine() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const int row = m_lines->row(item);
    CIngredientsForm form(m_db, CIngredientsForm::Change, item->data(Qt::UserRole).toInt(),
                          m_recipe, this);
    const int result = form.exec();
    if (closeIfTransactionLost() || result != QDialog::Accepted)
        return;
    m_changed = true;
    item->setText(recipes::lineText(form.productName(), form.amount(), form.unitName()));
    m_lines->setCurrentRow(row);
}

void CRecipeForm::deleteLine() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const int row = m_lines->row(item);
    CIngredientsForm form(m_db, CIngredientsForm::Delete, item->data(Qt::UserRole).toInt(),
                          m_recipe, this);
    const int result = form.exec();
    if (closeIfTransactionLost() || result != QDialog::Accepted)
        return;
    m_changed = true;
    delete m_lines->takeItem(row);
    // No line is chosen for the user: a second "Удалить" must not take another one.
    m_lines->clearSelection();
    m_lines->setCurrentItem(nullptr);
}

void CRecipeForm::showPhoto(const QByteArray& bytes) {
    const QPixmap picture = photos::fitted(bytes, kPhotoBox);
    if (picture.isNull())
        m_photo->setText(QStringLiteral("нет фотографии"));
    else
        m_photo->setPixmap(picture);
    m_dropPhoto->setEnabled(!picture.isNull() && m_mode != Delete);
}

void CRecipeForm::choosePhoto() {
    const QString path = photos::askPhotoFile(this);
    if (path.isEmpty())
        return;
    std::optional<photos::Photo> photo =
        photos::makePhoto(this, [&path] { return photos::readPhotoFile(path); });
    if (!photo)
        return;
    m_newPhoto = std::move(*photo);
    m_photoChange = PhotoChange::Set;
    m_changed = true;
    showPhoto(m_newPhoto.small);
}

void CRecipeForm::dropPhoto() {
    m_newPhoto = {};
    m_photoChange = PhotoChange::Remove;
    m_changed = true;
    showPhoto({});
}

void CRecipeForm::confirm() {
    const QString name = m_name->text();
    const QString text = toStored(m_text->toPlainText());
    // A recipe without a name (an import can make one) can still be deleted.
    if (m_mode != Delete && name.isEmpty()) {
        Prompts::message(this, QStringLiteral("Необходимо заполнить название рецепта"), QString(),
                         Prompts::Icon::None, Prompts::Buttons::Ok);
        m_name->setFocus();
        return;
    }
    if (text.size() > kMaxTextLength) {
        Prompts::message(this,
                         QStringLiteral("Описание слишком длинное: %1 знаков, а помещается не "
                                        "больше %2. Сократите его.")
                             .arg(QString::number(text.size()), QString::number(kMaxTextLength)),
                         QString(), Prompts::Icon::None, Prompts::Buttons::Ok);
        m_text->setFocus();
        return;
    }
    // A bare number must be one a recipe can make; words are kept as they are.
    const QString servingsText = m_servings->text().simplified();
    static const QRegularExpression bareNumber(QStringLiteral("^[-+]?\\d+([.,]\\d+)?$"));
    const recipes::Servings servings = recipes::readYield(servingsText);
    if (m_mode != Delete && bareNumber.match(servingsText).hasMatch() && !servings.known()) {
        Prompts::error(this, QStringLiteral("Порций может быть от 1 до %1; пусто — не сказано.")
                                 .arg(recipes::kMaxServings));
        m_servings->setFocus();
        return;
    }
    try {
        // The save itself is a savepoint: if it, or the commit, fails, only the save is
        // undone, the lines written during the visit stay, and "Да" can be pressed again.
        Transaction save(m_db);
        int recipe = m_recipe;
        switch (m_mode) {
        case New:
            recipe = recipes::createRecipe(m_db, m_section, name, text);
            break;
        case Edit:
            recipes::updateRecipe(m_db, m_recipe, name, text);
            break;
        case Delete:
            recipes::deleteRecipe(m_db, m_recipe);
            break;
        }
        if (m_mode != Delete)
            recipes::setServings(m_db, recipe, servings);
        if (m_mode != Delete && m_photoChange == PhotoChange::Set)
            photos::setPhoto(m_db, recipe, m_newPhoto);
        else if (m_mode != Delete && m_photoChange == PhotoChange::Remove)
            photos::removePhoto(m_db, recipe);
        save.commit();
        m_transaction->commit();
        m_recipe = recipe;
    } catch (const DbError& e) {
        if (closeIfTransactionLost())
            return;
        Prompts::databaseError(this, e.message());
        return;
    }
    m_transaction.reset();
    QDialog::accept();
}

void CRecipeForm::reject() {
    if (m_transaction) {
        try {
            m_transaction->rollback();
        } catch (const DbError& e) {
            Prompts::databaseError(this, e.message());
        }
        m_transaction.reset();
    }
    QDialog::reject();
}
