#include "CFoundListView.h"

#include <QHeaderView>

CFoundListView::CFoundListView(Database& db, QWidget* parent) : QTreeWidget(parent), m_db(db) {
    setObjectName(QStringLiteral("foundListView"));
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Результаты поиска")});
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setColumnWidth(0, 1024);
    setRootIsDecorated(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
}
