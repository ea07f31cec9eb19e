#include "CCatalogView.h"

#include <QHeaderView>

CCatalogView::CCatalogView(Database& db, QWidget* parent) : QTreeWidget(parent), m_db(db) {
    setObjectName(QStringLiteral("catalogView"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}
