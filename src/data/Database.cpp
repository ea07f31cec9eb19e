#include "Database.h"

#include "FullTextTokenizer.h"

#include <QFileInfo>
#include <atomic>
#include <sqlite3.h>

namespace {

constexpr size_t kMaxCachedStatements = 200;

// The engine's own words, after a Russian sentence for the failures a user can meet and
// act on.
QString engineMessage(sqlite3* db, int rc) {
    const QString engine = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const char* russian = nullptr;
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        russian = "База данных занята другой программой. Попробуйте ещё раз немного позже.";
        break;
    case SQLITE_FULL:
        russian = "На диске не хватает места.";
        break;
    case SQLITE_READONLY:
        russian = "Файл базы данных защищён от записи.";
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        russian = "Файл базы данных повреждён или не является базой данных.";
        break;
    case SQLITE_IOERR:
        russian = "Ошибка чтения или записи файла базы данных.";
        break;
    case SQLITE_CANTOPEN:
        russian = "Не удаётся открыть файл базы данных.";
        break;
    default:
        return engine;
    }
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(russian), engine);
}

} // namespace

Database::Database() = default;

Database::~Database() {
    close();
}

void Database::check(int rc) const {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
        noteFailure();
        throw DbError(rc, engineMessage(m_db, rc));
    }
}

void Database::noteFailure() const {
    ++m_undos;
    // Some errors (a full disk, say) make the engine roll back the whole transaction by
    // itself. Every later statement would then run outside it and be kept at once.
    if (m_db && m_savepointDepth > 0 && sqlite3_get_autocommit(m_db))
        m_transactionLost = true;
}

void Database::requireLiveTransaction() const {
    if (m_transactionLost)
        throw DbError(SQLITE_ABORT, QStringLiteral("the transaction was rolled back by the "
                                                   "database engine after an error"));
}

void Database::open(const QString& path, OpenMode mode) {
    close();
    if (mode == OpenMode::Create && QFileInfo::exists(path))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("file already exists: %1").arg(path));
    // A connection is only ever used by the thread that opened it (a second thread opens
    // its own), so the engine's lock around every call on it guards nothing; on a pass
    // over a million lines, taking it twice per column read is a fifth of the time.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == OpenMode::Create)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString message = engineMessage(db, rc);
        sqlite3_close(db);
        throw DbError(rc, message);
    }
    m_db = db;
    m_path = path;
    static std::atomic<quint64> openings{0};
    m_serial = ++openings;
    sqlite3_extended_result_codes(m_db, 1);
    // Also the rollbacks the engine makes by itself, and those of SQL run as text.
    sqlite3_rollback_hook(
        m_db, [](void* self) { ++static_cast<Database*>(self)->m_undos; }, this);
    // Another program reading the file (a backup, say) briefly holds a lock: wait for it
    // rather than failing the user's command at once.
    sqlite3_busy_timeout(m_db, 3000);
    // The engine opens a write-protected file for reading only without saying so; every
    // later change would then fail, so such a file is refused up front.
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        close();
        throw DbError(SQLITE_READONLY, QStringLiteral("file is read-only: %1").arg(path));
    }
    try {
        registerSqlFunctions(m_db);
        registerRussianTokenizer(m_db);
        // Reading the schema is the first real access: a file that is not a database
        // fails here rather than at some later command.
        scalar("SELECT count(*) FROM sqlite_master");
        // The kitchen's scans join every ingredient line to its recipe in no useful
        // order: reading the file through a mapping instead of one system call per page
        // makes them several times faster. Changes still go through the journal.
        execRaw("PRAGMA mmap_size=268435456");
        execRaw("PRAGMA cache_size=-16384");
    } catch (...) {
        close();
        throw;
    }
}

void Database::close() {
    if (!m_db)
        return;
    finalizeAll();
    // A statement still open elsewhere keeps the engine's connection alive past this
    // object; its last rollback must not reach back into it.
    sqlite3_rollback_hook(m_db, nullptr, nullptr);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_savepointDepth = 0;
    m_transactionLost = false;
}

void Database::finalizeAll() {
    for (auto& [sql, entry] : m_cache)
        sqlite3_finalize(entry.stmt);
    m_cache.clear();
}

sqlite3_stmt* Database::acquire(const std::string& sql, bool& cached) {
    if (!m_db)
        throw DbError(SQLITE_MISUSE, QStringLiteral("database is not open"));
    auto it = m_cache.find(sql);
    if (it != m_cache.end() && !it->second.inUse) {
        it->second.inUse = true;
        cached = true;
        return it->second.stmt;
    }
    if (it == m_cache.end() && m_cache.size() >= kMaxCachedStatements) {
        // Keep the cache small: drop what is not in use now; it is prepared again if needed.
        for (auto e = m_cache.begin(); e != m_cache.end();) {
            if (e->second.inUse) {
                ++e;
            } else {
                sqlite3_finalize(e->second.stmt);
                e = m_cache.erase(e);
            }
        }
    }
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v3(m_db, sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                             nullptr));
    if (it == m_cache.end()) {
        m_cache.emplace(sql, CachedStatement{stmt, true});
        cached = true;
    } else {
        cached = false;
    }
    return stmt;
}

void Database::release(sqlite3_stmt* stmt, bool cached) {
    if (!cached) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    for (auto& [sql, entry] : m_cache) {
        if (entry.stmt == stmt) {
            entry.inUse = false;
            return;
        }
    }
}

void Database::exec(SqlText sql, const SqlValues& params) {
    Statement st(*this, sql);
    st.bindAll(params);
    st.run();
}

void Database::execRaw(const char* sql) {
    if (!m_db)
        throw DbError(SQLITE_MISUSE, QStringLiteral("database is not open"));
    requireLiveTransaction();
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        QString message = engineMessage(m_db, rc);
        if (error && (rc & 0xff) == SQLITE_ERROR)
            message = QString::fromUtf8(error);
        sqlite3_free(error);
        noteFailure();
        throw DbError(rc, message);
    }
}

SqlValue Database::scalar(SqlText sql, const SqlValues& params) {
    Statement st(*this, sql);
    st.bindAll(params);
    if (!st.step())
        return {};
    return st.value(0);
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

bool Database::hasTable(const QString& name) const {
    Statement st(const_cast<Database&>(*this),
                 SqlText("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name=?"));
    st.bind(1, name);
    return st.step();
}

// ---------------------------------------------------------------------------------------

Statement::Statement(Database& db, const std::string& sql)
    : m_db(db), m_stmt(db.acquire(sql, m_cached)) {}

Statement::~Statement() {
    m_db.release(m_stmt, m_cached);
}

void Statement::bind(int index, const SqlValue& value) {
    int rc = SQLITE_OK;
    if (std::holds_alternative<std::monostate>(value)) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (auto i = std::get_if<qint64>(&value)) {
        rc = sqlite3_bind_int64(m_stmt, index, *i);
    } else if (auto d = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(m_stmt, index, *d);
    } else {
        QByteArray utf8 = std::get<QString>(value).toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    m_db.check(rc);
}

void Statement::bindBlob(int index, const QByteArray& bytes) {
    m_db.check(sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT));
}

void Statement::bindAll(const SqlValues& values) {
    if (int(values.size()) != sqlite3_bind_parameter_count(m_stmt))
        throw DbError(SQLITE_RANGE, QStringLiteral("statement expects %1 values, %2 given: %3")
                                        .arg(sqlite3_bind_parameter_count(m_stmt))
                                        .arg(values.size())
                                        .arg(QString::fromUtf8(sqlite3_sql(m_stmt))));
    for (size_t i = 0; i < values.size(); ++i)
        bind(int(i) + 1, values[i]);
}

bool Statement::step() {
    m_db.requireLiveTransaction();
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement's own error is reported by reset, with the engine's message.
    QString message = engineMessage(m_db.handle(), rc);
    sqlite3_reset(m_stmt);
    m_db.noteFailure();
    throw DbError(rc, message);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

QByteArray Statement::blob(int column) const {
    const void* data = sqlite3_column_blob(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QByteArray(static_cast<const char*>(data), size) : QByteArray();
}

QString Statement::text(int column) const {
    auto data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QString::fromUtf8(data, size) : QString();
}

SqlValue Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return int64(column);
    case SQLITE_FLOAT:
        return real(column);
    case SQLITE_NULL:
        return {};
    default:
        return text(column);
    }
}

// ---------------------------------------------------------------------------------------

// The outermost unit is a plain transaction, so that rolling it back leaves the file
// byte for byte as it was; the ones inside it are savepoints.
Transaction::Transaction(Database& db) : m_db(db) {
    if (db.m_savepointDepth == 0) {
        db.execRaw("BEGIN");
    } else {
        m_name = "ovelta_sp" + std::to_string(db.m_savepointDepth);
        db.execRaw(("SAVEPOINT " + m_name).c_str());
    }
    ++db.m_savepointDepth;
}

Transaction::~Transaction() {
    if (m_active) {
        try {
            rollback();
        } catch (const DbError&) {
            // Nothing sensible is left to do in a destructor: the engine has already
            // abandoned the transaction if it cannot roll it back.
        }
    }
}

void Transaction::commit() {
    if (!m_active)
        return;
    m_db.execRaw(m_name.empty() ? "COMMIT" : ("RELEASE " + m_name).c_str());
    m_active = false;
    --m_db.m_savepointDepth;
}

void Transaction::rollback() {
    if (!m_active)
        return;
    m_active = false;
    ++m_db.m_undos;
    --m_db.m_savepointDepth;
    if (m_db.m_savepointDepth == 0)
        m_db.m_transactionLost = false;
    if (sqlite3_get_autocommit(m_db.handle()))
        return; // the engine already rolled everything back (a fatal error)
    if (m_name.empty())
        m_db.execRaw("ROLLBACK");
    else
        m_db.execRaw(("ROLLBACK TO " + m_name + "; RELEASE " + m_name).c_str());
}
