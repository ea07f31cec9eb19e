#include "CIntakeDlg.h"

#include "recipes/Servings.h"

#include "PageFetch.h"

#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/DbError.h"
#include "intake/WordForms.h"
#include "photos/PhotoPrompts.h"
#include "recipes/RecipeStore.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/NameCompleter.h"
#include "ui/OffMainThread.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum Column { ProductColumn, AmountColumn, UnitColumn };

constexpr QSize kPhotoBox(120, 90);

// The product a general name was given on reading, while the cell still shows it.
constexpr int kUsualRole = Qt::UserRole + 1;

QString amountText(float amount) {
    return amount == 0 ? QString() : QString::number(double(amount), 'g', 6);
}

// A product cell is typed like the line dialog's field: names of the collection offered.
class ProductDelegate : public QStyledItemDelegate {
public:
    ProductDelegate(QStringList names, QObject* parent)
        : QStyledItemDelegate(parent), m_names(std::move(names)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setObjectName(QStringLiteral("productEditor"));
            edit->setMaxLength(intake::kMaxName);
            new NameCompleter(edit, m_names);
        }
        return editor;
    }

private:
    QStringList m_names;
};

} // namespace

CIntakeDlg::CIntakeDlg(Database& db, int section, const QString& sectionName, QWidget* parent)
    : QDialog(parent), m_db(db), m_section(section),
      m_matcher(std::make_unique<intake::Matcher>(db)) {
    setObjectName(QStringLiteral("intakeDlg"));
    // The dictionary loads while the user picks a file or pastes a text.
    intake::loadDictionaryAhead();
    m_matcher->setMayWaitForDictionary(false);
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
    m_yield = new QLineEdit(this);
    m_yield->setObjectName(QStringLiteral("yield"));
    m_yield->setMaxLength(recipes::kMaxYieldNote);
    m_yield->setPlaceholderText(QStringLiteral("не сказано"));
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
    m_lines->setItemDelegateForColumn(ProductColumn,
                                      new ProductDelegate(m_matcher->productNames(), m_lines));
    connect(m_lines, &QTableWidget::itemChanged, this, [this] {
        if (m_marking)
            return;
        m_edited = true;
        markNew();
    });
    m_method = new QPlainTextEdit(this);
    m_method->setObjectName(QStringLiteral("method"));
    m_photo = new QLabel(this);
    m_photo->setObjectName(QStringLiteral("photo"));
    m_photo->setFixedSize(kPhotoBox);
    m_photo->setAlignment(Qt::AlignCenter);
    m_photo->setFrameShape(QFrame::StyledPanel);
    m_takePhoto = new QCheckBox(QStringLiteral("&Взять фотографию"), this);
    m_takePhoto->setObjectName(QStringLiteral("takePhoto"));
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
    auto yieldLabel = new QLabel(QStringLiteral("Пор&ций:"), this);
    yieldLabel->setBuddy(m_yield);
    form->addRow(yieldLabel, m_yield);
    form->addRow(QStringLiteral("Раздел:"), sectionLabel);
    auto linesLabel = new QLabel(
        QStringLiteral("&Продукты (новые продукты и единицы выделены; всё можно исправить):"),
        this);
    linesLabel->setBuddy(m_lines);
    auto methodLabel = new QLabel(QStringLiteral("&Описание:"), this);
    methodLabel->setBuddy(m_method);
    auto photoColumn = new QVBoxLayout;
    photoColumn->addWidget(m_photo);
    photoColumn->addWidget(m_takePhoto);
    auto headRow = new QHBoxLayout;
    headRow->addLayout(form, 1);
    headRow->addLayout(photoColumn);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addLayout(headRow);
    layout->addWidget(linesLabel);
    layout->addWidget(m_lines, 2);
    layout->addWidget(methodLabel);
    layout->addWidget(m_method, 1);
    layout->addWidget(m_notice);
    layout->addWidget(buttons);
    resize(620, 540);
    takePhoto({});
}

QString CIntakeDlg::takePhoto(const intake::ReadRecipe& read) {
    m_found.reset();
    QString note;
    if (!read.photo.isEmpty()) {
        try {
            BusyCursor busy;
            const QByteArray& bytes = read.photo;
            const QString& source = read.photoSource;
            m_found = offMainThread<photos::Photo>(
                [&bytes, &source] { return photos::normalise(bytes, source); });
        } catch (const photos::PhotoError& e) {
            note = QStringLiteral("Фотография не взята: %1").arg(e.message);
        }
    } else if (!read.images.isEmpty()) {
        note = QStringLiteral("Фотография рецепта осталась в интернете: чтобы взять её, "
                              "сохраните страницу полностью, с картинками.");
    }
    const QPixmap shown = m_found ? photos::fitted(m_found->small, kPhotoBox) : QPixmap();
    if (shown.isNull())
        m_photo->setText(QStringLiteral("без фотографии"));
    else
        m_photo->setPixmap(shown);
    m_takePhoto->setEnabled(m_found.has_value());
    m_takePhoto->setChecked(m_found.has_value());
    return note;
}

QString CIntakeDlg::title() const {
    return m_title->text();
}

void CIntakeDlg::display(const intake::ReadRecipe& read) {
    m_read = read;
    m_edited = false;
    QStringList notes;
    if (!read.notice.isEmpty())
        notes << read.notice;
    const QString title = intake::cutAtWord(read.title, intake::kMaxName);
    if (title != read.title.simplified())
        notes << QStringLiteral("Название сокращено до %1 знаков.").arg(intake::kMaxName);
    if (const QString photoNote = takePhoto(read); !photoNote.isEmpty())
        notes << photoNote;
    m_title->setText(title);
    m_yield->setText(read.yield.left(recipes::kMaxYieldNote));
    m_readNotes = notes.join(QLatin1Char(' '));
    fillLines();
    waitForDictionary();
}

void CIntakeDlg::fillLines() {
    m_marking = true;
    m_lines->setRowCount(0);
    bool cut = false;
    const std::vector<intake::MatchedLine> matched = m_matcher->matchLines(m_read.ingredients);
    for (const intake::MatchedLine& m : matched) {
        const int row = m_lines->rowCount();
        m_lines->insertRow(row);
        const QString name = intake::cutAtWord(m.product, intake::kMaxName);
        cut = cut || name != m.product.simplified();
        auto product = new QTableWidgetItem(name);
        product->setData(Qt::UserRole, m.source());
        product->setData(kUsualRole, m.usual ? name : QString());
        m_lines->setItem(row, ProductColumn, product);
        m_lines->setItem(row, AmountColumn, new QTableWidgetItem(amountText(m.amount)));
        m_lines->setItem(row, UnitColumn, new QTableWidgetItem(m.unit));
    }
    if (cut)
        m_readNotes += QStringLiteral(" Длинные названия продуктов сокращены до %1 знаков.")
                           .arg(intake::kMaxName);
    m_marking = false;
    markNew();
    // The method with what the lines noted beside their products, as it will be stored.
    m_method->setPlainText(intake::methodWithNotes(m_read.method, matched).join(QLatin1Char('\n')));
}

void CIntakeDlg::markNew() {
    m_marking = true;
    int newOnes = 0;
    QStringList toCheck;
    for (int row = 0; row < m_lines->rowCount(); ++row) {
        QTableWidgetItem* product = m_lines->item(row, ProductColumn);
        QTableWidgetItem* unit = m_lines->item(row, UnitColumn);
        if (!product || !unit)
            continue;
        const intake::MatchedLine m = m_matcher->matchEdited(product->text(), 0, unit->text());
        const QString written = product->data(Qt::UserRole).toString();
        // What would be made new is marked, so that a misspelling is caught before saving.
        auto mark = [&newOnes](QTableWidgetItem* item, bool isNew, const QString& tip) {
            QFont f = item->font();
            f.setBold(isNew);
            item->setFont(f);
            item->setToolTip(isNew ? tip : QString());
            newOnes += isNew ? 1 : 0;
        };
        const bool newProduct = m.productId == 0 && !product->text().trimmed().isEmpty();
        mark(product, newProduct,
             QStringLiteral("новый продукт — исходная строка: «%1»").arg(written));
        if (!newProduct)
            product->setToolTip(written);
        // A general name given its usual product ("мука" as "Мука пшеничная") is shown in
        // italics until the user changes it, so that it is checked before saving.
        const bool usual = !newProduct && !product->data(kUsualRole).toString().isEmpty() &&
                           product->data(kUsualRole).toString() == product->text();
        QFont f = product->font();
        f.setItalic(usual);
        product->setFont(f);
        if (usual) {
            product->setToolTip(
                QStringLiteral("в рецепте: «%1» — проверьте, тот ли это продукт").arg(written));
            toCheck << QStringLiteral("«%1» → %2").arg(written, product->text());
        }
        mark(unit, m.unitId == 0 && !unit->text().trimmed().isEmpty(),
             QStringLiteral("новая единица"));
    }
    QStringList notes;
    if (!m_readNotes.trimmed().isEmpty())
        notes << m_readNotes.trimmed();
    if (newOnes > 0)
        notes << QStringLiteral("Новых продуктов и единиц: %1 (выделены).").arg(newOnes);
    if (!toCheck.isEmpty())
        notes << QStringLiteral("Проверьте продукты, названные в рецепте иначе (курсивом): %1.")
                     .arg(toCheck.join(QStringLiteral("; ")));
    m_notice->setText(notes.join(QLatin1Char(' ')));
    m_marking = false;
}

void CIntakeDlg::waitForDictionary() {
    if (intake::dictionaryReady())
        return;
    // Names read before the dictionary was there are read again once it is, unless the
    // user has started on them.
    QTimer::singleShot(50, this, [this] {
        if (!intake::dictionaryReady()) {
            waitForDictionary();
            return;
        }
        if (m_edited)
            return;
        fillLines();
    });
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
        m_recipe = intake::storeRecipe(
            m_db, m_section, name, lines, m_method->toPlainText().split(QLatin1Char('\n')),
            m_found && m_takePhoto->isChecked() ? &*m_found : nullptr, nullptr, m_yield->text());
    } catch (const intake::IntakeError& e) {
        Prompts::error(this, e.message());
        m_method->setFocus();
        return;
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

void importRecipeFromLink(Database& db, CCatalogView& tree, QWidget* window) {
    // An address that failed comes back to be corrected rather than typed again.
    static const char* const kFailed = "ovelta-failed-link";
    const QString failed = window ? window->property(kFailed).toString() : QString();
    const QString clipboard = QGuiApplication::clipboard()->text().trimmed();
    const QString address =
        Prompts::askText(window, QStringLiteral("Рецепт по ссылке"),
                         QStringLiteral("Адрес страницы с рецептом (http:// или https://):"),
                         !failed.isEmpty()                  ? failed
                         : intake::looksLikeLink(clipboard) ? clipboard
                                                            : QString());
    if (address.isEmpty())
        return;
    auto remember = [&](const QString& text) {
        if (window)
            window->setProperty(kFailed, text);
    };
    intake::ReadRecipe read;
    try {
        QProgressDialog progress(QStringLiteral("Загружаю %1").arg(address),
                                 QStringLiteral("Отмена"), 0, 0, window);
        progress.setObjectName(QStringLiteral("linkProgress"));
        progress.setWindowTitle(QStringLiteral("Рецепт по ссылке"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        read = intake::readLink(address, {}, [&progress] { return progress.wasCanceled(); });
    } catch (const intake::FetchCancelled&) {
        return;
    } catch (const intake::IntakeError& e) {
        remember(address);
        Prompts::error(window, e.message());
        return;
    }
    remember(QString());
    QTreeWidgetItem* item = tree.selectedSection();
    const int section = item ? CCatalogView::itemValue(item) : 0;
    CIntakeDlg dialog(db, section, item ? item->text(0) : QString(), window);
    dialog.loadRead(read);
    if (dialog.exec() != QDialog::Accepted)
        return;
    tree.addRecipeEntry(item, dialog.title().trimmed(), dialog.recipe());
}
