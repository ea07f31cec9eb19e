#include "CIntakeDlg.h"

#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/DbError.h"
#include "recipes/RecipeStore.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { ProductColumn, AmountColumn, UnitColumn };

QString amountText(float amount) {
    return amount == 0 ? QString() : QString::number(double(amount), 'g', 6);
}

} // namespace

CIntakeDlg::CIntakeDlg(Database& db, int section, const QString& sectionName, QWidget* parent)
    : QDialog(parent), m_db(db), m_section(section),
      m_matcher(std::make_unique<intake::Matcher>(db)) {
    setObjectName(QStringLiteral("intakeDlg"));
    setWindowTitle(QStringLiteral("Рецепт из файла или текста"));

    auto open = new QPushButton(QStringLiteral("&Открыть файл…"), this);
    open->setObjectName(QStringLiteral("openButton"));
    open->setAutoDefault(false);
    m_source = new QPlainTextEdit(this);
    m_source->setObjectName(QStringLiteral("source"));
    m_source->setPlaceholderText(
        QStringLiteral("…или вставьте сюда текст рецепта: название, продукты, приготовление"));
    m_source->setMaximumHeight(70);
    auto read = new QPushButton(QStringLiteral("&Разобрать текст"), this);
    read->setObjectName(QStringLiteral("readButton"));
    read->setAutoDefault(false);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setMaxLength(255);
    auto sectionLabel =
        new QLabel(sectionName.isEmpty() ? QStringLiteral("корневой раздел") : sectionName, this);
    sectionLabel->setObjectName(QStringLiteral("section"));
    m_lines = new QTableWidget(0, 3, this);
    m_lines->setObjectName(QStringLiteral("lines"));
    m_lines->setHorizontalHeaderLabels(
        {QStringLiteral("Продукт"), QStringLiteral("Количество"), QStringLiteral("Единица")});
    m_lines->horizontalHeader()->setSectionResizeMode(ProductColumn, QHeaderView::Stretch);
    m_lines->verticalHeader()->setVisible(false);
    m_lines->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_method = new QPlainTextEdit(this);
    m_method->setObjectName(QStringLiteral("method"));
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);

    auto buttons = new QDialogButtonBox(this);
    addDialogButton(buttons, QStringLiteral("Сохранить"), QDialogButtonBox::AcceptRole,
                    "saveButton")
        ->setDefault(true);
    addDialogButton(buttons, QStringLiteral("Отмена"), QDialogButtonBox::RejectRole,
                    "cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &CIntakeDlg::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(open, &QPushButton::clicked, this, &CIntakeDlg::chooseFile);
    connect(read, &QPushButton::clicked, this, &CIntakeDlg::readPasted);

    auto sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_source, 1);
    auto sourceButtons = new QVBoxLayout;
    sourceButtons->addWidget(open);
    sourceButtons->addWidget(read);
    sourceButtons->addStretch(1);
    sourceRow->addLayout(sourceButtons);
    auto form = new QFormLayout;
    auto titleLabel = new QLabel(QStringLiteral("&Название:"), this);
    titleLabel->setBuddy(m_title);
    form->addRow(titleLabel, m_title);
    form->addRow(QStringLiteral("Раздел:"), sectionLabel);
    auto linesLabel = new QLabel(
        QStringLiteral("&Продукты (новые продукты и единицы выделены; всё можно исправить):"),
        this);
    linesLabel->setBuddy(m_lines);
    auto methodLabel = new QLabel(QStringLiteral("&Описание:"), this);
    methodLabel->setBuddy(m_method);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addLayout(form);
    layout->addWidget(linesLabel);
    layout->addWidget(m_lines, 2);
    layout->addWidget(methodLabel);
    layout->addWidget(m_method, 1);
    layout->addWidget(m_notice);
    layout->addWidget(buttons);
    resize(620, 540);
}

QString CIntakeDlg::title() const {
    return m_title->text();
}

void CIntakeDlg::display(const intake::ReadRecipe& read) {
    m_title->setText(read.title);
    m_lines->setRowCount(0);
    int newOnes = 0;
    for (const intake::MatchedLine& m : m_matcher->matchLines(read.ingredients)) {
        const QString& text = m.written;
        const int row = m_lines->rowCount();
        m_lines->insertRow(row);
        auto product = new QTableWidgetItem(m.product);
        auto amount = new QTableWidgetItem(amountText(m.amount));
        auto unit = new QTableWidgetItem(m.unit);
        product->setToolTip(text);
        // What would be made new is marked, so that a misspelling is caught before saving.
        auto markNew = [&newOnes](QTableWidgetItem* item, const QString& what) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
            item->setToolTip(what);
            ++newOnes;
        };
        if (m.productId == 0)
            markNew(product, QStringLiteral("новый продукт — исходная строка: «%1»").arg(text));
        if (m.unitId == 0 && !m.unit.isEmpty())
            markNew(unit, QStringLiteral("новая единица"));
        m_lines->setItem(row, ProductColumn, product);
        m_lines->setItem(row, AmountColumn, amount);
        m_lines->setItem(row, UnitColumn, unit);
    }
    m_method->setPlainText(read.method.join(QLatin1Char('\n')));
    QStringList notes;
    if (!read.notice.isEmpty())
        notes << read.notice;
    if (newOnes > 0)
        notes << QStringLiteral("Новых продуктов и единиц: %1 (выделены).").arg(newOnes);
    m_notice->setText(notes.join(QLatin1Char(' ')));
}

bool CIntakeDlg::loadFile(const QString& path) {
    try {
        display(intake::readFile(path));
        return true;
    } catch (const intake::IntakeError& e) {
        Prompts::error(this, e.message());
        return false;
    }
}

void CIntakeDlg::loadText(const QString& text) {
    try {
        display(intake::readText(text));
    } catch (const intake::IntakeError& e) {
        Prompts::error(this, QStringLiteral("Не могу прочитать рецепт: %1").arg(e.message()));
    }
}

void CIntakeDlg::chooseFile() {
    const QString path =
        Prompts::openFileName(this, QStringLiteral("Рецепт из файла"),
                              QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                              QStringLiteral("Рецепты (*.html *.htm *.json *.txt);;Все файлы (*)"));
    if (!path.isEmpty())
        loadFile(path);
}

void CIntakeDlg::readPasted() {
    loadText(m_source->toPlainText());
}

void CIntakeDlg::save() {
    const QString name = m_title->text().trimmed();
    if (name.isEmpty()) {
        Prompts::error(this, QStringLiteral("Необходимо заполнить название рецепта"));
        m_title->setFocus();
        return;
    }
    std::vector<intake::MatchedLine> lines;
    for (int row = 0; row < m_lines->rowCount(); ++row) {
        auto cell = [this, row](int column) {
            const QTableWidgetItem* item = m_lines->item(row, column);
            return item ? item->text().trimmed() : QString();
        };
        if (cell(ProductColumn).isEmpty())
            continue;
        const QString amountCell = cell(AmountColumn);
        const std::optional<float> amount =
            amountCell.isEmpty() ? std::optional<float>(0) : recipes::parseAmount(amountCell);
        if (!amount) {
            Prompts::error(this, QStringLiteral("Строка %1: введите количество числом, например "
                                                "0,5 (пусто — количество не указано)")
                                     .arg(row + 1));
            m_lines->setCurrentCell(row, AmountColumn);
            return;
        }
        lines.push_back(m_matcher->matchEdited(cell(ProductColumn), *amount, cell(UnitColumn)));
    }
    try {
        m_recipe = intake::storeRecipe(m_db, m_section, name, lines,
                                       m_method->toPlainText().split(QLatin1Char('\n')));
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
        return;
    }
    accept();
}

void importRecipe(Database& db, CCatalogView& tree, QWidget* window, const QString& path) {
    QTreeWidgetItem* item = tree.selectedSection();
    const int section = item ? CCatalogView::itemValue(item) : 0;
    CIntakeDlg dialog(db, section, item ? item->text(0) : QString(), window);
    if (!path.isEmpty() && !dialog.loadFile(path))
        return;
    if (dialog.exec() != QDialog::Accepted)
        return;
    tree.addRecipeEntry(item, dialog.title().trimmed(), dialog.recipe());
}
