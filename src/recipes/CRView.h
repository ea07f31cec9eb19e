#pragma once

#include <QTextEdit>

class Database;

// The recipe view: one formatted document at a time, read-only, in the middle pane.
class CRView : public QTextEdit {
    Q_OBJECT
public:
    explicit CRView(Database& db, QWidget* parent = nullptr);

private:
    Database& m_db;
};
