#include "CCatalogView.h"

#include "CatalogItem.h"
#include "CatalogStore.h"
#include "data/Database.h"
#include "data/TextOrder.h"
#include "ui/BusyCursor.h"
#include "ui/Commands.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <numeric>
#include <optional>

using namespace catalogtree;

CCatalogView::CCatalogView(Database& db, QWidget* parent) : QTreeWidget(parent), m_db(db) {
    setObjectName(QStringLiteral("catalogView"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setUniformRowHeights(true);

    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(100);
    connect(m_scrollTimer, &QTimer::timeout, this, &CCatalogView::onAutoScroll);
    connect(this, &QTreeWidget::itemExpanded, this, &CCatalogView::ensureLoaded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CCatalogView::ensureLoaded);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CCatalogView::onSelectionChanged);
}

CCatalogView::~CCatalogView() {
    endDragVisuals();
}

qint32 CCatalogView::itemValue(const QTreeWidgetItem* item) {
    return item ? qint32(item->data(0, kValueRole).toInt()) : 0;
}

bool CCatalogView::isPlaceholder(const QTreeWidgetItem* item) {
    return item && item->text(0).isEmpty() && itemValue(item) == 0;
}

namespace {

// Items for a section's contents as read from the database, in the Russian order;
// sections get a placeholder. Sorting here, by keys made once and without the tree's
// per-comparison casts, is what keeps opening the top of a large collection quick.
QList<QTreeWidgetItem*> makeItems(const std::vector<catalog::Entry>& entries,
                                  const QCollator& collator = russianCollator()) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const catalog::Entry& e : entries)
        keys.push_back(collator.sortKey(e.name));
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(entries.size()));
    for (size_t i : order) {
        auto item = new CatalogItem(entries[i].name, keys[i]);
        item->setData(0, kValueRole, entries[i].value);
        if (!catalog::isRecipeValue(entries[i].value))
            item->addChild(new CatalogItem(QStringList{QString()}));
        items << item;
    }
    return items;
}

} // namespace

TopLevelReadAhead::TopLevelReadAhead(const Database& db) {
    if (db.transactionDepth() > 0 || !QFileInfo(db.path()).isFile())
        return;
    // Items that belong to no tree yet are plain data, which this thread may make.
    m_items = std::async(std::launch::async, [path = db.path()] {
        Database own;
        own.open(path, Database::OpenMode::Existing);
        return makeItems(catalog::children(own, 0), newRussianCollator());
    });
}

TopLevelReadAhead::~TopLevelReadAhead() {
    if (std::optional<QList<QTreeWidgetItem*>> items = take())
        qDeleteAll(*items);
}

std::optional<QList<QTreeWidgetItem*>> TopLevelReadAhead::take() {
    if (!m_items.valid())
        return std::nullopt;
    try {
        return m_items.get();
    } catch (const std::exception&) {
        // The tree reads for itself, and tells of the failure in the usual way.
        return std::nullopt;
    }
}

void CCatalogView::loadTopLevel(TopLevelReadAhead* ahead) {
    BusyCursor busy;
    clear();
    std::optional<QList<QTreeWidgetItem*>> items = ahead ? ahead->take() : std::nullopt;
    addTopLevelItems(items ? *items : makeItems(catalog::children(m_db, 0)));
}

QTreeWidgetItem* CCatalogView::insertEntry(QTreeWidgetItem* parent, const QString& text,
                                           qint32 value, bool withPlaceholder) {
    auto item = new CatalogItem(QStringList{text});
    item->setData(0, kValueRole, value);
    if (withPlaceholder && !catalog::isRecipeValue(value))
        item->addChild(new CatalogItem(QStringList{QString()}));
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void CCatalogView::sortChildrenOf(QTreeWidgetItem* parent) {
    (parent ? parent : invisibleRootItem())->sortChildren(0, Qt::AscendingOrder);
}

void CCatalogView::renameRecipe(int recipeId, const QString& name) {
    const qint32 value = catalog::recipeValue(recipeId);
    std::vector<QTreeWidgetItem*> found;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (itemValue(*it) == value)
            found.push_back(*it);
    for (QTreeWidgetItem* item : found) {
        if (item->text(0) == name)
            continue;
        item->setText(0, name);
        sortChildrenOf(item->parent());
    }
}

void CCatalogView::ensureLoaded(QTreeWidgetItem* item) {
    if (!item || item->childCount() == 0 || !isPlaceholder(item->child(0)))
        return;
    // Read first: if reading fails, the placeholder stays and the section can be opened
    // again later.
    BusyCursor busy;
    std::vector<catalog::Entry> entries;
    try {
        entries = catalog::children(m_db, itemValue(item));
    } catch (...) {
        const QSignalBlocker quiet(this);
        item->setExpanded(false);
        throw;
    }
    delete item->takeChild(0);
    item->addChildren(makeItems(entries));
}

void CCatalogView::expandSection(QTreeWidgetItem* item) {
    if (!item)
        return;
    ensureLoaded(item);
    item->setExpanded(true);
}

QTreeWidgetItem* CCatalogView::selectedSection() const {
    QTreeWidgetItem* item = selectedEntry();
    // A selected recipe stands for the section that holds it.
    if (item && catalog::isRecipeValue(itemValue(item)))
        item = item->parent();
    return item;
}

QTreeWidgetItem* CCatalogView::addRecipeEntry(QTreeWidgetItem* section, const QString& name,
                                              int recipe) {
    expandSection(section);
    // A section opened just now read the recipe with the rest: it must not be listed twice.
    if (QTreeWidgetItem* read = findChild(section, catalog::recipeValue(recipe))) {
        selectEntry(read);
        return read;
    }
    QTreeWidgetItem* item = insertEntry(section, name, catalog::recipeValue(recipe), false);
    sortChildrenOf(section);
    selectEntry(item);
    return item;
}

QTreeWidgetItem* CCatalogView::selectedEntry() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void CCatalogView::selectEntry(QTreeWidgetItem* item) {
    if (!item)
        return;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void CCatalogView::setBottomBar(QWidget* bar) {
    m_bottomBar = bar;
    bar->setParent(this);
    bar->show();
    placeBottomBar();
}

void CCatalogView::placeBottomBar() {
    if (!m_bottomBar)
        return;
    const int height = m_bottomBar->isVisibleTo(this) ? m_bottomBar->sizeHint().height() : 0;
    setViewportMargins(0, 0, 0, height);
    const QRect inside = contentsRect();
    m_bottomBar->setGeometry(inside.left(), inside.bottom() + 1 - height, inside.width(), height);
}

void CCatalogView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    placeBottomBar();
}

QTreeWidgetItem* CCatalogView::findChild(QTreeWidgetItem* parent, qint32 value) const {
    QTreeWidgetItem* root = parent ? parent : invisibleRootItem();
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* child = root->child(i);
        if (!isPlaceholder(child) && itemValue(child) == value)
            return child;
    }
    return nullptr;
}

void CCatalogView::onSelectionChanged() {
    QTreeWidgetItem* item = selectedEntry();
    const qint32 value = itemValue(item);
    if (!item || !catalog::isRecipeValue(value) || !m_showRecipe)
        return;
    if (m_showRecipe(catalog::recipeIdOf(value)))
        return;
    // The recipe is gone, so its item goes too: just after this selection change, since the
    // code that selected the item may still be using it.
    QTimer::singleShot(0, this, [this, item, value] {
        for (QTreeWidgetItemIterator it(this); *it; ++it) {
            if (*it == item && itemValue(item) == value) {
                delete item;
                return;
            }
        }
    });
}

void CCatalogView::keyPressEvent(QKeyEvent* event) {
    // Esc gives up a drag: nothing moves.
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDragVisuals();
        m_draggedItem = QPersistentModelIndex();
        return;
    }
    // The keys a file manager's tree has, reaching the same commands as the menus.
    const QTreeWidgetItem* item = selectedEntry();
    if (isPlaceholder(item))
        item = nullptr;
    const bool recipe = item && catalog::isRecipeValue(itemValue(item));
    auto run = [this, event](int id) {
        event->accept();
        if (m_runCommand)
            m_runCommand(id);
    };
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (item && plain)
            return run(recipe ? ID_DELETE_RECIPE : ID_DELETE_SECTION);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (recipe && plain)
            return run(ID_EDIT_RECIPE);
        break;
    case Qt::Key_F2:
        if (item && plain)
            return run(recipe ? ID_EDIT_RECIPE : ID_RENAME_SECTION);
        break;
    case Qt::Key_Insert:
        if (plain)
            return run(item ? ID_ADD_RECIPE : ID_ADD_RECIPE_ROOT);
        break;
    case Qt::Key_F10:
        // The Menu key comes as a context-menu event of its own; Shift+F10 does not.
        if (event->modifiers() == Qt::ShiftModifier) {
            event->accept();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                   mapToGlobal(QPoint(0, 0)));
            contextMenuEvent(&menu);
            return;
        }
        break;
    default:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

// --- context menu ----------------------------------------------------------------------

QMenu* CCatalogView::buildContextMenu(QTreeWidgetItem* under, QWidget* parent) {
    auto menu = new QMenu(parent);
    auto add = [menu](int id, const char* text) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setData(id);
    };
    if (under && catalog::isRecipeValue(itemValue(under))) {
        add(ID_EDIT_RECIPE, "Изменить рецепт");
        add(ID_DELETE_RECIPE, "Удалить рецепт");
        menu->addSeparator();
        add(ID_MENU_ADD, "Добавить в меню");
    } else if (under) {
        add(ID_ADD_SUBSECTION, "Добавить раздел");
        add(ID_RENAME_SECTION, "Переименовать раздел");
        add(ID_DELETE_SECTION, "Удалить раздел");
        menu->addSeparator();
        add(ID_ADD_RECIPE, "Добавить рецепт");
    } else {
        add(ID_ADD_SECTION, "Добавить раздел");
        menu->addSeparator();
        add(ID_ADD_RECIPE_ROOT, "Добавить рецепт");
    }
    return menu;
}

void CCatalogView::contextMenuEvent(QContextMenuEvent* event) {
    QPoint pos = event->pos();
    QTreeWidgetItem* under = nullptr;
    if (event->reason() == QContextMenuEvent::Keyboard) {
        under = selectedEntry();
        if (under)
            pos = visualItemRect(under).center();
    } else {
        under = itemAt(pos);
    }
    if (isPlaceholder(under))
        under = nullptr;
    if (under)
        selectEntry(under);
    QMenu* menu = buildContextMenu(under, this);
    QAction* chosen = menu->exec(viewport()->mapToGlobal(pos));
    const int id = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (id && m_runCommand)
        m_runCommand(id);
}
