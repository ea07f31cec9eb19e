#include "TrashWindow.h"

#include "backup/Backups.h"
#include "data/DbError.h"
#include "trash/TrashStore.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

namespace {

// "Супы (раздел, 12 рецептов)": a section says what it holds.
QString whatText(const trash::Entry& e) {
    const QString name = e.name.isEmpty() ? QStringLiteral("(без названия)") : e.name;
    if (e.kind == trash::Kind::Recipe)
        return name;
    if (e.recipes == 0)
        return QStringLiteral("%1 (раздел)").arg(name);
    return QStringLiteral("%1 (раздел, рецептов: %2)").arg(name, QString::number(e.recipes));
}

} // namespace

TrashWindow::TrashWindow(Database& db, std::function<bool(qint64)> restore, QWidget* parent)
    : QDialog(parent), m_db(db), m_restore(std::move(restore)) {
    setObjectName(QStringLiteral("trashWindow"));
    setWindowTitle(QStringLiteral("Корзина"));
    auto hint = new QLabel(QStringLiteral("&Удалённое (последнее первым). Через %1 дней оно "
                                          "уходит совсем.")
                               .arg(trash::kKeepDays),
                           this);
    hint->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("trashList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Что"), QStringLiteral("Откуда"), QStringLiteral("Когда удалено")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    hint->setBuddy(m_list);

    auto buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_restoreButton = addDialogButton(buttons, QStringLiteral("&Восстановить"),
                                      QDialogButtonBox::ActionRole, "restoreButton");
    m_restoreButton->setDefault(true);
    m_emptyButton = addDialogButton(buttons, QStringLiteral("&Очистить корзину"),
                                    QDialogButtonBox::ActionRole, "emptyButton");
    addDialogButton(buttons, QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole,
                    "closeButton");
    connect(m_restoreButton, &QPushButton::clicked, this, &TrashWindow::restoreChosen);
    connect(m_emptyButton, &QPushButton::clicked, this, &TrashWindow::emptyTrash);
    connect(m_list, &QTreeWidget::itemActivated, this, &TrashWindow::restoreChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    listWithButtons(this, {hint}, m_list, {}, buttons);
    resize(640, 360);
    reload();
}

void TrashWindow::reload() {
    m_list->clear();
    for (const trash::Entry& e : trash::entries(m_db)) {
        auto item = new QTreeWidgetItem(
            m_list, {whatText(e), e.place.isEmpty() ? QStringLiteral("верхний уровень") : e.place,
                     backup::whenText(e.deleted)});
        item->setData(0, Qt::UserRole, e.id);
    }
    m_list->resizeColumnToContents(1);
    m_list->resizeColumnToContents(2);
    const bool any = m_list->topLevelItemCount() > 0;
    if (any)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_restoreButton->setEnabled(any);
    m_emptyButton->setEnabled(any);
}

void TrashWindow::restoreChosen() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const int row = m_list->indexOfTopLevelItem(item);
    if (!m_restore(item->data(0, Qt::UserRole).toLongLong()))
        return;
    reload();
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(
            m_list->topLevelItem(std::min(row, m_list->topLevelItemCount() - 1)));
}

void TrashWindow::emptyTrash() {
    const int count = m_list->topLevelItemCount();
    if (!Prompts::ask(this,
                      QStringLiteral("Удалить из корзины всё (%1) насовсем? Вернуть это "
                                     "можно будет только из резервной копии.")
                          .arg(count),
                      QStringLiteral("Очистить корзину")))
        return;
    try {
        const BusyCursor busy;
        trash::empty(m_db);
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
    }
    reload();
}
