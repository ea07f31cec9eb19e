#pragma once

#include "DbError.h"
#include "SqlValue.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Statement;

// One connection to a collection file. Statements are prepared once and kept in a small
// cache keyed by their SQL text; the custom SQL functions are registered on every open.
class Database {
public:
    enum class OpenMode {
        Existing, // the file must exist and be writable; it is never created
        Create    // a new file; an existing one is refused
    };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void open(const QString& path, OpenMode mode); // throws DbError
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }
    // A number no other opening of any connection in this process had: caches of what a
    // connection read can tell whether they still belong to it.
    quint64 serial() const { return m_serial; }

    // Runs one statement of program SQL with its parameters bound, to completion.
    void exec(SqlText sql, const SqlValues& params = {});
    // Runs a script of program statements without parameters (schema creation).
    void execScript(SqlText sql) { execRaw(sql.c_str()); }
    // The first column of the first row, or an empty value when there is no row.
    SqlValue scalar(SqlText sql, const SqlValues& params = {});

    qint64 lastInsertRowId() const;
    bool hasTable(const QString& name) const; // table or view
    int transactionDepth() const { return m_savepointDepth; }
    // True once the engine itself rolled back the open transaction after an error. Every
    // statement is refused from then on until the transaction is rolled back here too,
    // so nothing meant to be undoable is kept behind the user's back.
    bool transactionLost() const { return m_transactionLost; }
    // Grows whenever something done on this connection is undone: a transaction or a
    // savepoint rolled back, or a statement that failed (the engine undoes its part). What
    // a cache was told of the connection's changes holds only while this stays the same.
    quint64 undoCount() const { return m_undos; }

    // Throws DbError with the engine's message when rc is an error code.
    void check(int rc) const;

private:
    friend class Statement;
    friend class Transaction;
    friend class CRecordset;
    void execRaw(const char* sql);
    void noteFailure() const;
    void requireLiveTransaction() const;
    struct CachedStatement {
        sqlite3_stmt* stmt = nullptr;
        bool inUse = false;
    };
    sqlite3_stmt* acquire(const std::string& sql, bool& cached);
    void release(sqlite3_stmt* stmt, bool cached);
    void finalizeAll();

    sqlite3* m_db = nullptr;
    QString m_path;
    quint64 m_serial = 0;
    std::unordered_map<std::string, CachedStatement> m_cache;
    int m_savepointDepth = 0;
    mutable bool m_transactionLost = false;
    mutable quint64 m_undos = 0;
};

// A lease of a prepared statement. When the cached copy is already in use (a statement
// running inside the loop of another with the same text) a private copy is prepared.
class Statement {
public:
    Statement(Database& db, SqlText sql) : Statement(db, std::string(sql.c_str())) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const SqlValue& value); // 1-based, as the engine counts
    void bindAll(const SqlValues& values);
    void bindBlob(int index, const QByteArray& bytes); // pictures and other bytes
    bool step();                                       // true: a row is ready; false: done
    void run();                                        // steps to completion
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    QByteArray blob(int column) const;
    SqlValue value(int column) const;

private:
    // SQL assembled at run time comes only from the record layer, out of program
    // literals and quoted table and column names.
    friend class CRecordset;
    Statement(Database& db, const std::string& sql);

    Database& m_db;
    sqlite3_stmt* m_stmt;
    bool m_cached;
};

// A unit of work on savepoints, so units nest: the outermost one is the real transaction.
// Unless committed, the destructor rolls back everything done since it began.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool isActive() const { return m_active; }

private:
    Database& m_db;
    std::string m_name;
    bool m_active = true;
};

// Registers UCase, Len, a case-insensitive like and the RU collation on a connection.
void registerSqlFunctions(sqlite3* db);
