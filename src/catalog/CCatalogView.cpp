#include "CCatalogView.h"

#include "CatalogStore.h"
#include "data/Database.h"
#include "data/TextOrder.h"
#include "ui/BusyCursor.h"
#include "ui/Commands.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QCollatorSortKey>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <numeric>
#include <optional>

namespace {

constexpr int kValueRole = Qt::UserRole;

// Items sort by the Russian order of their text, sections and recipes mixed. The sort key
// is made once per text, so sorting a section of thousands of recipes stays quick.
class CatalogItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    CatalogItem(const QString& text, QCollatorSortKey key) : QTreeWidgetItem(QStringList{text}) {
        m_key.emplace(std::move(key));
    }

    void setData(int column, int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            m_key.reset();
        QTreeWidgetItem::setData(column, role, value);
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        auto o = dynamic_cast<const CatalogItem*>(&other);
        if (!o)
            return QTreeWidgetItem::operator<(other);
        return key().compare(o->key()) < 0;
    }

private:
    const QCollatorSortKey& key() const {
        if (!m_key)
            m_key.emplace(russianCollator().sortKey(text(0)));
        return *m_key;
    }
    mutable std::optional<QCollatorSortKey> m_key;
};

} // namespace

QPixmap catalogDragImage(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 0) {
        // A sheet with a folded corner: the thing being carried.
        QPolygonF sheet;
        sheet << QPointF(3, 1.5) << QPointF(10, 1.5) << QPointF(13, 4.5) << QPointF(13, 14.5)
              << QPointF(3, 14.5);
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(QColor(250, 250, 240));
        p.drawPolygon(sheet);
        p.drawLine(QPointF(10, 1.5), QPointF(10, 4.5));
        p.drawLine(QPointF(10, 4.5), QPointF(13, 4.5));
        p.setPen(QPen(QColor(40, 150, 60), 1.5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        p.drawLine(QPointF(5, 11), QPointF(11, 11));
    } else {
        // No entry: a red ring with a bar across.
        p.setPen(QPen(QColor(200, 40, 30), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
    }
    return pixmap;
}

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

void CCatalogView::MoveItem(QTreeWidgetItem* newItem, QTreeWidgetItem* source) {
    newItem->setText(0, source->text(0));
    const qint32 value = itemValue(source);
    newItem->setData(0, kValueRole, value);
    if (!catalog::isRecipeValue(value))
        newItem->addChild(new CatalogItem(QStringList{QString()}));
    sortChildrenOf(newItem->parent());
}

bool CCatalogView::CanDrop(QTreeWidgetItem* dragged, QTreeWidgetItem* target) const {
    if (!target)
        return true; // the root
    if (target == dragged)
        return false;
    for (QTreeWidgetItem* up = target->parent(); up; up = up->parent())
        if (up == dragged)
            return false; // a section cannot go into its own subtree
    return !catalog::isRecipeValue(itemValue(target));
}

bool CCatalogView::CanDrag(QTreeWidgetItem*) const {
    return true;
}

// --- dragging --------------------------------------------------------------------------

QTreeWidgetItem* CCatalogView::itemOf(const QPersistentModelIndex& index) const {
    return index.isValid() ? itemFromIndex(index) : nullptr;
}

void CCatalogView::beginDrag(QTreeWidgetItem* item, const QPoint& pos) {
    if (m_dragging || !item || isPlaceholder(item) || !CanDrag(item))
        return;
    viewport()->grabMouse();
    m_dragging = true;
    m_draggedItem = QPersistentModelIndex(indexFromItem(item));
    selectEntry(item);

    m_dragImage = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    m_dragImage->setObjectName(QStringLiteral("dragImage"));
    m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    {
        // Picture and name side by side, drawn once for the whole drag.
        const QPixmap icon = catalogDragImage(0);
        const QFontMetrics fm(font());
        QPixmap image(20 + fm.horizontalAdvance(item->text(0)) + 4, std::max(18, fm.height() + 2));
        image.fill(QColor(255, 255, 255, 200));
        QPainter p(&image);
        p.drawPixmap(1, (image.height() - 16) / 2, icon);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(20, 0, image.width() - 20, image.height()), Qt::AlignVCenter,
                   item->text(0));
        p.end();
        m_dragImage->setPixmap(image);
        m_dragImage->resize(image.size());
    }
    QApplication::setOverrideCursor(QCursor(catalogDragImage(0), 0, 0));
    updateDragVisuals(pos, false);
}

void CCatalogView::updateDragVisuals(const QPoint& pos, bool refused) {
    if (refused != m_markRefused || !QApplication::overrideCursor()) {
        m_markRefused = refused;
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(QCursor(catalogDragImage(refused ? 1 : 0), 0, 0));
    }
    if (m_dragImage) {
        // Hot spot at (8, 8) of the dragged picture.
        m_dragImage->move(viewport()->mapToGlobal(pos) - QPoint(8, 8) + QPoint(16, 16));
        m_dragImage->show();
    }
}

void CCatalogView::dragMoveTo(const QPoint& pos) {
    if (m_dragging) {
        QTreeWidgetItem* over = viewport()->rect().contains(pos) ? itemAt(pos) : nullptr;
        QTreeWidgetItem* dragged = itemOf(m_draggedItem);
        const bool refused = over && (!dragged || !CanDrop(dragged, over));
        updateDragVisuals(pos, refused);
    }
    // Scrolling while the pointer is held above or below the tree.
    const int y = pos.y();
    const int h = viewport()->height();
    if (y < 0) {
        m_scrollDirection = +1;
        m_scrollTimer->start();
    } else if (y >= h) {
        m_scrollDirection = -1;
        m_scrollTimer->start();
    } else if (y > 0) {
        m_scrollTimer->stop();
    }
}

bool CCatalogView::isAutoScrolling() const {
    return m_scrollTimer->isActive();
}

void CCatalogView::onAutoScroll() {
    if (m_scrollDirection > 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (m_scrollDirection < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void CCatalogView::endDragVisuals() {
    if (m_dragging) {
        viewport()->releaseMouse();
        QApplication::restoreOverrideCursor();
    }
    m_dragging = false;
    m_markRefused = false;
    delete m_dragImage;
    m_dragImage = nullptr;
    m_scrollTimer->stop();
    m_scrollDirection = 0;
}

void CCatalogView::dropAt(const QPoint& pos) {
    if (!m_dragging)
        return;
    QTreeWidgetItem* dragged = itemOf(m_draggedItem);
    endDragVisuals();
    m_draggedItem = QPersistentModelIndex();
    // Outside the tree counts as empty space: the root.
    QTreeWidgetItem* target = viewport()->rect().contains(pos) ? itemAt(pos) : nullptr;
    if (!dragged || !CanDrop(dragged, target))
        return;
    const QString question = target
                                 ? QStringLiteral("Переместить в раздел %1?").arg(target->text(0))
                                 : QStringLiteral("Переместить в корневой раздел?");
    if (!Prompts::ask(this, question, QStringLiteral("Перемещение")))
        return;

    // The database first: if it refuses, the tree still shows the truth.
    const qint32 value = itemValue(dragged);
    catalog::fileInSection(m_db, value, target ? itemValue(target) : 0);

    QTreeWidgetItem* moved = nullptr;
    if (target && target->childCount() > 0 && isPlaceholder(target->child(0))) {
        // A target never opened reads its contents now, the moved item among them.
        expandSection(target);
        moved = findChild(target, value);
    }
    if (!moved) {
        moved = new CatalogItem(QStringList{QString()});
        if (target)
            target->addChild(moved);
        else
            addTopLevelItem(moved);
        MoveItem(moved, dragged);
        if (target)
            expandSection(target);
    }
    selectEntry(moved);
    delete dragged;
}

void CCatalogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_pressItem = QPersistentModelIndex(indexAt(m_pressPos));
    }
    QTreeWidget::mousePressEvent(event);
}

void CCatalogView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        dragMoveTo(pos);
        return;
    }
    QTreeWidgetItem* pressed = itemOf(m_pressItem);
    if ((event->buttons() & Qt::LeftButton) && pressed &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressItem = QPersistentModelIndex();
        beginDrag(pressed, m_pressPos);
        dragMoveTo(pos);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CCatalogView::mouseReleaseEvent(QMouseEvent* event) {
    m_pressItem = QPersistentModelIndex();
    if (m_dragging && event->button() == Qt::LeftButton) {
        dropAt(event->position().toPoint());
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
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
