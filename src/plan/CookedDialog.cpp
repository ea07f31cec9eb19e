#include "CookedDialog.h"

#include "CookLog.h"
#include "data/DbError.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString stars(int rating) {
    return rating <= 0 ? QString()
                       : QString(rating, QChar(0x2605)) + QString(5 - rating, QChar(0x2606));
}

} // namespace

CookedDialog::CookedDialog(Database& db, int recipe, const QString& name, QWidget* parent,
                           const QDate& day)
    : QDialog(parent), m_db(db), m_recipe(recipe) {
    setObjectName(QStringLiteral("cookedDialog"));
    setWindowTitle(QStringLiteral("Приготовлено"));
    auto title = new QLabel(QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped()), this);
    m_day = new QDateEdit(day, this);
    m_day->setObjectName(QStringLiteral("day"));
    m_day->setCalendarPopup(true);
    m_day->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_rating = new QComboBox(this);
    m_rating->setObjectName(QStringLiteral("rating"));
    m_rating->addItem(QStringLiteral("без оценки"), 0);
    for (int r = 5; r >= 1; --r)
        m_rating->addItem(QStringLiteral("%1  %2").arg(stars(r)).arg(r), r);
    m_note = new QPlainTextEdit(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setTabChangesFocus(true);
    m_note->setPlaceholderText(QStringLiteral("Что получилось, что изменить в следующий раз"));
    auto form = new QFormLayout;
    form->addRow(QStringLiteral("&Когда:"), m_day);
    form->addRow(QStringLiteral("&Оценка:"), m_rating);
    form->addRow(QStringLiteral("&Заметка:"), m_note);
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CookedDialog::confirm);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, 300);
}

bool plan::writeOrSay(QWidget* dialog, const std::function<void()>& write) {
    try {
        write();
        return true;
    } catch (const InputError& e) {
        Prompts::error(dialog, e.message());
    } catch (const DbError& e) {
        Prompts::databaseError(dialog, e.message());
    }
    return false;
}

void CookedDialog::confirm() {
    if (plan::writeOrSay(this, [this] {
            plan::addCooked(m_db, m_recipe, m_day->date(), m_rating->currentData().toInt(),
                            m_note->toPlainText());
        }))
        accept();
}

CookHistoryDialog::CookHistoryDialog(Database& db, int recipe, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("cookHistory"));
    const std::vector<plan::Cooked> rows = plan::history(db, recipe);
    setWindowTitle(recipe > 0 && !rows.empty()
                       ? QStringLiteral("Когда готовили: %1").arg(rows.front().name)
                       : QStringLiteral("Когда готовили"));
    auto list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("history"));
    list->setRootIsDecorated(false);
    QStringList headers{QStringLiteral("Дата"), QStringLiteral("Оценка"),
                        QStringLiteral("Заметка")};
    if (recipe == 0)
        headers.insert(1, QStringLiteral("Рецепт"));
    list->setHeaderLabels(headers);
    const QLocale russian(QLocale::Russian);
    for (const plan::Cooked& c : rows) {
        QStringList cells{russian.toString(c.day, QStringLiteral("d MMMM yyyy")), stars(c.rating),
                          c.note.simplified()};
        if (recipe == 0)
            cells.insert(1, c.name);
        auto item = new QTreeWidgetItem(list, cells);
        item->setToolTip(cells.size() - 1, c.note);
    }
    list->header()->setStretchLastSection(true);
    for (int i = 0; i + 1 < list->columnCount(); ++i)
        list->resizeColumnToContents(i);
    auto empty = new QLabel(QStringLiteral("Этот рецепт ещё не отмечали приготовленным."), this);
    empty->setVisible(rows.empty());
    auto buttons = new QDialogButtonBox(this);
    addDialogButton(buttons, QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole,
                    "closeButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(empty);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    resize(560, 320);
}
