#pragma once

#include "CatalogStore.h"
#include "data/TextOrder.h"

#include <QApplication>
#include <QCollatorSortKey>
#include <QIcon>
#include <QStyle>
#include <QTreeWidgetItem>
#include <optional>

// The tree's items: what the view and its dragging share. The catalog's inner part;
// nothing else needs it.
namespace catalogtree {

// The pictures of a section and of a recipe in the tree, from the style.
inline QIcon sectionIcon() {
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    return icon;
}
inline QIcon recipeIcon() {
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

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

    // A section shows a folder and a recipe a sheet, so that an empty section never looks
    // like a recipe; the placeholder that stands for unread contents shows nothing.
    QVariant data(int column, int role) const override {
        if (role == Qt::DecorationRole && column == 0) {
            const qint32 value = QTreeWidgetItem::data(0, kValueRole).toInt();
            if (value == 0)
                return {};
            return catalog::isRecipeValue(value) ? recipeIcon() : sectionIcon();
        }
        return QTreeWidgetItem::data(column, role);
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

} // namespace catalogtree
