#pragma once

#include "Database.h"
#include "Filter.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

// Walks the bound fields of a record class in binding order. One description of the
// columns serves describing, loading, saving and resetting them.
class FieldExchange {
public:
    enum class Op { Describe, Load, Save, Reset, SetKey };

    // The engine-assigned identifier: never written by an insert or an update.
    void key(const char* column, int& value);
    void field(const char* column, int& value);
    void field(const char* column, QString& value);
    void field(const char* column, float& value);
    void field(const char* column, bool& value);

private:
    friend class CRecordset;
    struct Column {
        std::string name;
        bool isKey;
    };
    explicit FieldExchange(Op op) : m_op(op) {}
    template <class T> void visit(const char* column, T& value, bool isKey);

    Op m_op;
    int m_index = 0;
    std::vector<Column> m_columns;     // Describe
    const SqlValue* m_cells = nullptr; // Load
    SqlValues m_saved;                 // Save (key columns left out)
    qint64 m_newKey = 0;               // SetKey
};

// A record set over one table or stored query: filter and sort texts, open, walk, add,
// edit, delete, re-run, close. Opening reads the selected rows at once, so the rows that a
// loop changes or deletes never disturb the walk itself.
class CRecordset {
public:
    enum class Kind { Table, View };

    CRecordset(Database& db, const char* source, Kind kind);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    void setFilter(Filter filter) { m_filter = std::move(filter); }
    void clearFilter() { m_filter = Filter(); }
    const Filter& filter() const { return m_filter; }
    // The ORDER BY list; with none the rows come in the order they were added.
    void setSort(SqlText sort) { m_sort = sort.c_str(); }
    void clearSort() { m_sort.clear(); }

    void open();
    // Opened only to add rows: reads none of the table's, which at a million lines would
    // cost a second for every row added.
    void openForAdding();
    // Opens with this filter; true when a row is current (the lookup of one row by ID).
    bool openFirst(Filter filter);
    void close();
    void requery();
    bool isOpen() const { return m_open; }

    bool isEOF() const;
    void moveNext();
    void moveLast();

    void addNew();
    void edit();
    void update();
    void remove(); // deletes the current row

    // The number of rows the filter selects, counted by the engine without reading them.
    qint64 count();
    // The identifier the engine gave the row added by the last addNew/update.
    qint64 lastInsertedId() const { return m_lastInsertedId; }

    const char* source() const { return m_source; }
    Database& database() const { return m_db; }

protected:
    virtual void exchange(FieldExchange& fx) = 0;

private:
    enum class Edit { None, Adding, Editing };
    const std::vector<FieldExchange::Column>& columns();
    std::string selectSql();
    std::string whereClause() const;
    void loadCurrent();
    void resetFields();
    void requireTable(const char* operation) const;
    void requireCurrent(const char* operation) const;

    Database& m_db;
    const char* m_source;
    Kind m_kind;
    Filter m_filter;
    std::string m_sort;
    std::optional<std::vector<FieldExchange::Column>> m_columns;

    bool m_open = false;
    int m_stride = 0; // cells per row: the row key, then the bound columns
    std::vector<SqlValue> m_cells;
    std::vector<bool> m_deleted;
    size_t m_rows = 0;
    size_t m_pos = 0;
    Edit m_edit = Edit::None;
    qint64 m_lastInsertedId = 0;
};
