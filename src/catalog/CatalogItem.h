#pragma once

#include "data/TextOrder.h"

#include <QCollatorSortKey>
#include <QTreeWidgetItem>
#include <optional>

// The tree's items: what the view and its dragging share. The catalog's inner part;
// nothing else needs it.
namespace catalogtree {

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

} // namespace catalogtree
