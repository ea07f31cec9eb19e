#include "CFoundListView.h"

#include "ui/Commands.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

CFoundListView::CFoundListView(Database& db, QWidget* parent) : QTreeWidget(parent), m_db(db) {
    setObjectName(QStringLiteral("foundListView"));
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Результаты поиска")});
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    // The one column is as wide as the pane: a long name is elided, never scrolled to.
    header()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setRootIsDecorated(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CFoundListView::onSelectionChanged);
}

void CFoundListView::clearResults() {
    // Emptying the list is not a choice of the user: it shows nothing.
    const QSignalBlocker blocker(this);
    clear();
}

void CFoundListView::appendResult(const QString& name, int recipeId) {
    auto item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, Qt::UserRole, recipeId);
    addTopLevelItem(item);
}

void CFoundListView::renameRecipe(int recipeId, const QString& name) {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (recipeAt(i) == recipeId)
            topLevelItem(i)->setText(0, name);
}

void CFoundListView::removeRecipe(int recipeId) {
    // Not a choice of the user: removing rows shows nothing.
    const QSignalBlocker blocker(this);
    for (int i = topLevelItemCount() - 1; i >= 0; --i)
        if (recipeAt(i) == recipeId)
            delete takeTopLevelItem(i);
}

int CFoundListView::recipeAt(int row) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

std::optional<int> CFoundListView::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return indexOfTopLevelItem(selected.front());
}

void CFoundListView::onSelectionChanged() {
    const std::optional<int> row = selectedRow();
    if (row && m_showRecipe)
        m_showRecipe(recipeAt(*row));
}

QMenu* CFoundListView::buildContextMenu(QWidget* parent) {
    auto menu = new QMenu(parent);
    auto add = [menu](int id, const char* text) {
        menu->addAction(QString::fromUtf8(text))->setData(id);
    };
    add(ID_FIND_RECIPE, "Найти рецепт");
    add(ID_FIND_BY_PRODUCT, "Поиск по продукту");
    if (selectedRow()) {
        add(ID_LOCATE_IN_CATALOG, "Найти в содержании");
        menu->addSeparator();
        add(ID_MENU_ADD, "Добавить в меню");
    }
    return menu;
}

void CFoundListView::keyPressEvent(QKeyEvent* event) {
    // The Menu key comes as a context-menu event of its own; Shift+F10 does not.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(0, 0),
                               mapToGlobal(QPoint(0, 0)));
        contextMenuEvent(&menu);
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CFoundListView::contextMenuEvent(QContextMenuEvent* event) {
    QPoint pos = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (QTreeWidgetItem* current = currentItem())
            pos = visualItemRect(current).center();
    } else if (QTreeWidgetItem* under = itemAt(pos)) {
        // The row under the pointer becomes the one selected (and shown); over no row
        // the earlier selection stays.
        setCurrentItem(under);
    }
    QMenu* menu = buildContextMenu(this);
    QAction* chosen = menu->exec(viewport()->mapToGlobal(pos));
    const int id = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (id && m_runCommand)
        m_runCommand(id);
}
