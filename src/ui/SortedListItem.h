#pragma once

#include "data/TextOrder.h"

#include <QCollatorSortKey>
#include <QListWidgetItem>
#include <optional>

// A list-box entry that sorts in the program's Russian order, ignoring letter case. The
// sort key is made once per text, so long lists fill quickly.
class SortedListItem : public QListWidgetItem {
public:
    SortedListItem(const QString& text, int id) : QListWidgetItem(text), m_id(id) {
        setData(Qt::UserRole, id);
    }

    int id() const { return m_id; }

    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            m_key.reset();
        QListWidgetItem::setData(role, value);
    }

    bool operator<(const QListWidgetItem& other) const override {
        auto o = dynamic_cast<const SortedListItem*>(&other);
        return o ? key().compare(o->key()) < 0 : QListWidgetItem::operator<(other);
    }

private:
    const QCollatorSortKey& key() const {
        if (!m_key)
            m_key.emplace(russianCollator().sortKey(text()));
        return *m_key;
    }
    int m_id;
    mutable std::optional<QCollatorSortKey> m_key;
};
