#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTreeWidget>
#include <functional>
#include <future>
#include <optional>

class Database;
class QLabel;
class QMenu;
class QTimer;

// The top level of a collection read on a thread of its own, through a connection of its
// own, while the window around the tree is being made: at a hundred thousand recipes the
// top level alone holds thousands of entries, and start-up need not wait for them.
class TopLevelReadAhead {
public:
    // Reads nothing when db has a transaction open (another connection would not see its
    // changes) or is not a file.
    explicit TopLevelReadAhead(const Database& db);
    ~TopLevelReadAhead();
    TopLevelReadAhead(const TopLevelReadAhead&) = delete;
    TopLevelReadAhead& operator=(const TopLevelReadAhead&) = delete;

    // The items in their order, once; nothing when the read failed or never started.
    std::optional<QList<QTreeWidgetItem*>> take();

private:
    std::future<QList<QTreeWidgetItem*>> m_items;
};

// The catalog tree: sections with their recipes, in the left pane. A section's contents
// are read from the database the first time it is opened; until then it holds one
// placeholder child (empty text, value 0) so that it shows an expand button.
class CCatalogView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CCatalogView(Database& db, QWidget* parent = nullptr);
    ~CCatalogView() override;

    // How the tree reaches the rest of the window: showing a recipe (false when it is
    // gone) and running a command of its context menu.
    void setRecipeShower(std::function<bool(int)> show) { m_showRecipe = std::move(show); }
    void setCommandRunner(std::function<void(int)> run) { m_runCommand = std::move(run); }

    static qint32 itemValue(const QTreeWidgetItem* item);
    static bool isPlaceholder(const QTreeWidgetItem* item);

    // Reads the top level from the database (once, at creation), or takes it from a read
    // ahead when that succeeded.
    void loadTopLevel(TopLevelReadAhead* ahead = nullptr);
    // Adds an item as the last child of parent (top level when null); a section gets a
    // placeholder child when it has contents still to be read.
    QTreeWidgetItem* insertEntry(QTreeWidgetItem* parent, const QString& text, qint32 value,
                                 bool withPlaceholder);
    // Sorts the direct children of parent (the top level when null).
    void sortChildrenOf(QTreeWidgetItem* parent);
    // Reads a section's contents if they have not been read yet.
    void ensureLoaded(QTreeWidgetItem* item);
    // Loads and opens a section (nothing for null).
    void expandSection(QTreeWidgetItem* item);
    QTreeWidgetItem* selectedEntry() const;
    // The section a new recipe goes into: the one selected, or the one holding the selected
    // recipe; nullptr for the root.
    QTreeWidgetItem* selectedSection() const;
    // A new recipe's item under a section's item (nullptr: the root), sorted in and selected.
    QTreeWidgetItem* addRecipeEntry(QTreeWidgetItem* section, const QString& name, int recipe);
    void selectEntry(QTreeWidgetItem* item);
    // Gives every loaded item of that recipe its new name, in its sorted place.
    void renameRecipe(int recipeId, const QString& name);
    // A row that stands beneath the tree's items, inside its frame ("Корзина").
    void setBottomBar(QWidget* bar);

    // Finds the loaded child of parent (top level when null) carrying value.
    QTreeWidgetItem* findChild(QTreeWidgetItem* parent, qint32 value) const;

    virtual void MoveItem(QTreeWidgetItem* newItem, QTreeWidgetItem* source);
    virtual bool CanDrop(QTreeWidgetItem* dragged, QTreeWidgetItem* target) const;
    virtual bool CanDrag(QTreeWidgetItem* item) const;

    // Dragging, by viewport coordinates; the mouse handlers call these.
    void beginDrag(QTreeWidgetItem* item, const QPoint& pos);
    void dragMoveTo(const QPoint& pos);
    void dropAt(const QPoint& pos);
    bool isDragging() const { return m_dragging; }
    qint8 scrollDirection() const { return m_scrollDirection; }
    bool isAutoScrolling() const;
    bool dropMarkRefused() const { return m_markRefused; }

    // The context menu for the item under the mouse (null: empty space). Each action
    // carries its command identifier.
    QMenu* buildContextMenu(QTreeWidgetItem* under, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onSelectionChanged();
    void onAutoScroll();
    void endDragVisuals();
    void placeBottomBar();
    void updateDragVisuals(const QPoint& pos, bool refused);

    Database& m_db;
    std::function<bool(int)> m_showRecipe;
    std::function<void(int)> m_runCommand;

    // Items can be deleted while the mouse is down (a recipe found gone, say): they are
    // held by index, which forgets a deleted item, never by pointer.
    QTreeWidgetItem* itemOf(const QPersistentModelIndex& index) const;
    QPersistentModelIndex m_draggedItem;
    bool m_dragging = false;
    qint8 m_scrollDirection = 0;
    bool m_markRefused = false;
    QTimer* m_scrollTimer = nullptr;
    QLabel* m_dragImage = nullptr;
    QPoint m_pressPos;
    QPersistentModelIndex m_pressItem;
    QWidget* m_bottomBar = nullptr;
};

// The two 16 by 16 drag pictures: 0 the dragged item (and the mark where a drop is
// allowed), 1 the mark where a drop is refused.
QPixmap catalogDragImage(int index);
