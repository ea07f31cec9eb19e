#pragma once

#include "data/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>

// Failures show strings as text, not as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A fresh collection in a temporary folder, made by the same code as `ovelta-db create`.
class TestDb {
    QTemporaryDir m_dir; // first: it must outlive the open connection

public:
    explicit TestDb(const QString& version = QStringLiteral("3.01"));
    Database db;
    QString path() const { return m_dir.filePath(QStringLiteral("data.db")); }
    QString dir() const { return m_dir.path(); }

    int addSection(const QString& name, int parent = 0);
    // Saving a recipe also files the lines still waiting with Recipe = 0 under it.
    int addRecipe(const QString& name, int section = 0, const QString& text = {});
    int addProduct(const QString& name);
    int addUnit(const QString& name);
    int addLine(int recipe, int product, float quantity, int unit, bool have = false);

    // The one way to build a test collection in a line or two: a recipe with its lines,
    // whose products and units are found by name or made on first use.
    struct Line {
        QString product;
        float amount = 0;
        QString unit = {};
        bool have = false;
    };
    int recipe(const QString& name, std::initializer_list<Line> lines = {}, int section = 0,
               const QString& text = {});
    int product(const QString& name);
    int unit(const QString& name);
};

// The integer that a query of program SQL answers; anything else fails the test.
qint64 number(Database& db, SqlText sql, const SqlValues& params = {});

// The names of what a call listed (recipes found, dishes, dictionary entries), in order.
template <class Items> QStringList namesOf(const Items& items) {
    QStringList out;
    for (const auto& item : items)
        out << item.name;
    return out;
}

// Every ingredient line's availability mark, in line order: "1" for a product at hand.
QString lineMarks(Database& db);

// What a query of program SQL answers, as text (a number written out, nothing as empty).
QString textOf(Database& db, SqlText sql, const SqlValues& params = {});

// Every row a command could write, as text, to compare a collection before and after.
QString snapshot(Database& db);

// The bytes of a file, for checking that something left it exactly as it was.
QByteArray fileBytes(const QString& path);

// Makes a file of exactly these bytes; a failure fails the test.
void writeFile(const QString& path, const QByteArray& bytes);
