#include "PlanDialogs.h"

#include "CookedDialog.h"
#include "PlanOutput.h"
#include "data/Database.h"
#include "data/WholeFile.h"
#include "kitchen/KitchenDialogs.h"
#include "search/SearchStore.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

// More matches than a list shows at once say nothing more: the name should be typed on.
constexpr int kMaxMatches = 200;

} // namespace

PickRecipeDialog::PickRecipeDialog(Database& db, const QDate& day, plan::Meal meal, QWidget* parent)
    : QDialog(parent), m_db(db), m_day(day), m_meal(meal) {
    setObjectName(QStringLiteral("pickRecipe"));
    setWindowTitle(QStringLiteral("Добавить в план"));
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    auto when = new QLabel(
        QStringLiteral("<b>%1, %2</b>")
            .arg(ru.toString(day, QStringLiteral("dddd, d MMMM")), plan::mealName(meal).toLower()),
        this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setPlaceholderText(QStringLiteral("Часть названия"));
    m_matches = new QListWidget(this);
    m_matches->setObjectName(QStringLiteral("matches"));
    m_servings = new QSpinBox(this);
    m_servings->setObjectName(QStringLiteral("servings"));
    m_servings->setRange(1, plan::kMaxServings);
    auto form = new QFormLayout;
    form->addRow(QStringLiteral("&Рецепт:"), m_name);
    form->addRow(QString(), m_matches);
    form->addRow(QStringLiteral("П&орций:"), m_servings);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(when);
    layout->addLayout(form);
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PickRecipeDialog::confirm);
    layout->addWidget(buttons);
    connect(m_name, &QLineEdit::textEdited, this, &PickRecipeDialog::search);
    connect(m_matches, &QListWidget::currentRowChanged, this, &PickRecipeDialog::chosen);
    connect(m_matches, &QListWidget::itemActivated, this, &PickRecipeDialog::confirm);
    // Down from the name goes to the matches, as in a search box.
    m_name->installEventFilter(this);
    resize(420, 360);
}

bool PickRecipeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_name && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && m_matches->count() > 0) {
        m_matches->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PickRecipeDialog::search() {
    m_matches->clear();
    const std::vector<search::Found> found = search::findByNameAsTyped(m_db, m_name->text());
    for (size_t i = 0; i < found.size() && i < size_t(kMaxMatches); ++i) {
        auto row = new QListWidgetItem(found[i].name, m_matches);
        row->setData(Qt::UserRole, found[i].recipe);
    }
    if (m_matches->count() > 0)
        m_matches->setCurrentRow(0);
}

void PickRecipeDialog::chosen() {
    const QListWidgetItem* row = m_matches->currentItem();
    if (!row)
        return;
    const recipes::Servings own = recipes::servingsOf(m_db, row->data(Qt::UserRole).toInt());
    m_servings->setValue(own.known() ? own.count : 1);
}

void PickRecipeDialog::confirm() {
    const QListWidgetItem* row = m_matches->currentItem();
    if (!row) {
        Prompts::error(this, QStringLiteral("Выберите рецепт: наберите часть его названия"));
        return;
    }
    if (plan::writeOrSay(this, [&] {
            plan::addToPlan(m_db, m_day, m_meal, row->data(Qt::UserRole).toInt(),
                            m_servings->value());
        }))
        accept();
}

namespace plan {

std::optional<std::pair<QDate, QDate>> askDays(QWidget* parent, const QDate& today) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("planDays"));
    dialog.setWindowTitle(QStringLiteral("Список покупок на дни"));
    auto dateEdit = [&](const QDate& day, const char* name) {
        auto edit = new QDateEdit(day, &dialog);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setCalendarPopup(true);
        edit->setLocale(QLocale(QLocale::Russian));
        edit->setDisplayFormat(QStringLiteral("ddd, dd.MM.yyyy"));
        return edit;
    };
    QDateEdit* from = dateEdit(today, "from");
    QDateEdit* to = dateEdit(weekStart(today).addDays(6), "to");
    auto form = new QFormLayout;
    form->addRow(QStringLiteral("&С:"), from);
    form->addRow(QStringLiteral("&По:"), to);
    auto layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    QDialogButtonBox* buttons = yesNoButtons(&dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (writeOrSay(&dialog, [&] { checkRange(from->date(), to->date()); }))
            dialog.accept();
    });
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::pair{from->date(), to->date()};
}

void showShopping(Database& db, const QDate& from, const QDate& to, QWidget* parent) {
    PlanPortions portions;
    if (!writeOrSay(parent, [&] { portions = portionsBetween(db, from, to); }))
        return;
    CShoppingList list(db, QStringLiteral("Список покупок на %1").arg(daysText(from, to)),
                       std::move(portions.portions), countedOnceNote(portions.countedOnce), parent);
    list.exec();
}

void printWeek(Database& db, const QDate& monday, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать плана"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument doc;
    doc.setHtml(weekHtml(db, monday));
    doc.print(&printer);
}

void saveCalendar(Database& db, const QDate& from, const QDate& to, QWidget* parent) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = Prompts::saveFileName(
        parent, QStringLiteral("Сохранить план для календаря"),
        QDir(documents).filePath(QStringLiteral("План питания %1.ics").arg(daysText(from, to))),
        QStringLiteral("Календарь iCalendar (*.ics)"), QStringLiteral("ics"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    if (!writeOrSay(parent, [&] { bytes = calendar(db, from, to); }))
        return;
    QString why;
    if (!writeWholeFile(path, bytes, &why))
        Prompts::error(
            parent,
            QStringLiteral("Не могу записать файл %1: %2").arg(QFileInfo(path).fileName(), why));
}

} // namespace plan
