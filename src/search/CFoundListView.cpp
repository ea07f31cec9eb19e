#include "CFoundListView.h"

#include "ui/RecipeDrag.h"

#include "data/Database.h"
#include <unordered_map>

#include "ui/Commands.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

// --- the rows ------------------------------------------------------------------------

int FoundModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FoundModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows[size_t(index.row())].first;
    if (role == Qt::UserRole)
        return m_rows[size_t(index.row())].second;
    return {};
}

QVariant FoundModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Результаты поиска");
    return {};
}

Qt::ItemFlags FoundModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (index.isValid())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList FoundModel::mimeTypes() const {
    return {QString::fromLatin1(recipedrag::kMimeType)};
}

QMimeData* FoundModel::mimeData(const QModelIndexList& indexes) const {
    for (const QModelIndex& index : indexes)
        if (const int recipe = recipeAt(index.row()); recipe > 0)
            return recipedrag::mimeFor(recipe);
    return nullptr;
}

void FoundModel::setRows(std::vector<std::pair<QString, int>> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void FoundModel::append(const QString& name, int recipe) {
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.emplace_back(name, recipe);
    endInsertRows();
}

int FoundModel::recipeAt(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].second : 0;
}

QString FoundModel::nameAt(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].first : QString();
}

void FoundModel::rename(int recipe, const QString& name) {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].second == recipe) {
            m_rows[i].first = name;
            emit dataChanged(index(int(i)), index(int(i)));
        }
}

void FoundModel::remove(int recipe) {
    for (int i = int(m_rows.size()) - 1; i >= 0; --i)
        if (m_rows[size_t(i)].second == recipe) {
            beginRemoveRows({}, i, i);
            m_rows.erase(m_rows.begin() + i);
            endRemoveRows();
        }
}

// --- the view --------------------------------------------------------------------------

CFoundListView::CFoundListView(Database& db, QWidget* parent)
    : QTreeView(parent), m_db(db), m_model(new FoundModel(this)) {
    setObjectName(QStringLiteral("foundListView"));
    setModel(m_model);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    // The one column is as wide as the pane: a long name is elided, never scrolled to.
    header()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    // Every row the same height: the view lays out tens of thousands of rows at no cost.
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CFoundListView::onSelectionChanged);
}

void CFoundListView::clearResults() {
    // Emptying the list is not a choice of the user: it shows nothing.
    const QSignalBlocker blocker(selectionModel());
    m_model->setRows({});
}

void CFoundListView::appendResult(const QString& name, int recipeId) {
    m_model->append(name, recipeId);
}

void CFoundListView::setResults(std::vector<std::pair<QString, int>> rows) {
    const QSignalBlocker blocker(selectionModel());
    m_model->setRows(std::move(rows));
}

void CFoundListView::showFound(const std::vector<search::Found>& found) {
    std::vector<std::pair<QString, int>> rows;
    rows.reserve(found.size());
    for (const search::Found& f : found)
        rows.emplace_back(f.name, f.recipe);
    setResults(std::move(rows));
}

void CFoundListView::renameRecipe(int recipeId, const QString& name) {
    m_model->rename(recipeId, name);
}

void CFoundListView::removeRecipe(int recipeId) {
    // Not a choice of the user: removing rows shows nothing.
    const QSignalBlocker blocker(selectionModel());
    m_model->remove(recipeId);
}

void CFoundListView::dropGoneRecipes() {
    std::vector<std::pair<QString, int>> kept;
    std::unordered_map<int, bool> exists;
    Statement lookUp(m_db, SqlText("SELECT 1 FROM Recipes WHERE ID=?"));
    for (int i = 0; i < m_model->rowCount(); ++i) {
        const int id = m_model->recipeAt(i);
        auto [it, added] = exists.emplace(id, false);
        if (added) {
            lookUp.reset();
            lookUp.bind(1, qint64(id));
            it->second = lookUp.step();
        }
        if (it->second)
            kept.emplace_back(m_model->nameAt(i), id);
    }
    if (int(kept.size()) != m_model->rowCount())
        setResults(std::move(kept));
}

QStringList CFoundListView::texts() const {
    QStringList out;
    for (int i = 0; i < m_model->rowCount(); ++i)
        out << m_model->nameAt(i);
    return out;
}

std::optional<int> CFoundListView::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.front().row();
}

void CFoundListView::selectRow(int row) {
    const QModelIndex index = m_model->index(row);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
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
    QTreeView::keyPressEvent(event);
}

void CFoundListView::contextMenuEvent(QContextMenuEvent* event) {
    QPoint pos = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (currentIndex().isValid())
            pos = visualRect(currentIndex()).center();
    } else if (const QModelIndex under = indexAt(pos); under.isValid()) {
        // The row under the pointer becomes the one selected (and shown); over no row
        // the earlier selection stays.
        selectRow(under.row());
    }
    QMenu* menu = buildContextMenu(this);
    QAction* chosen = menu->exec(viewport()->mapToGlobal(pos));
    const int id = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (id && m_runCommand)
        m_runCommand(id);
}
