#include "Recordset.h"

#include <sqlite3.h>

namespace {

template <class T> T fromCell(const SqlValue& cell);

template <> int fromCell<int>(const SqlValue& cell) {
    if (auto i = std::get_if<qint64>(&cell))
        return int(*i);
    if (auto d = std::get_if<double>(&cell))
        return int(*d);
    if (auto s = std::get_if<QString>(&cell))
        return s->toInt();
    return 0;
}

template <> bool fromCell<bool>(const SqlValue& cell) {
    return fromCell<int>(cell) != 0;
}

template <> float fromCell<float>(const SqlValue& cell) {
    if (auto d = std::get_if<double>(&cell))
        return float(*d);
    if (auto i = std::get_if<qint64>(&cell))
        return float(*i);
    if (auto s = std::get_if<QString>(&cell))
        return s->toFloat();
    return 0.0f;
}

template <> QString fromCell<QString>(const SqlValue& cell) {
    if (auto s = std::get_if<QString>(&cell))
        return *s;
    if (auto i = std::get_if<qint64>(&cell))
        return QString::number(*i);
    if (auto d = std::get_if<double>(&cell))
        return QString::number(*d);
    return QString();
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

} // namespace

template <class T> void FieldExchange::visit(const char* column, T& value, bool isKey) {
    switch (m_op) {
    case Op::Describe:
        m_columns.push_back({column, isKey});
        break;
    case Op::Load:
        value = fromCell<T>(m_cells[m_index]);
        break;
    case Op::Save:
        if (!isKey)
            m_saved.push_back(toSqlValue(value));
        break;
    case Op::Reset:
        value = T();
        break;
    case Op::SetKey:
        if constexpr (std::is_same_v<T, int>) {
            if (isKey)
                value = int(m_newKey);
        }
        break;
    }
    ++m_index;
}

void FieldExchange::key(const char* column, int& value) {
    visit(column, value, true);
}
void FieldExchange::field(const char* column, int& value) {
    visit(column, value, false);
}
void FieldExchange::field(const char* column, QString& value) {
    visit(column, value, false);
}
void FieldExchange::field(const char* column, float& value) {
    visit(column, value, false);
}
void FieldExchange::field(const char* column, bool& value) {
    visit(column, value, false);
}

// ---------------------------------------------------------------------------------------

CRecordset::CRecordset(Database& db, const char* source, Kind kind)
    : m_db(db), m_source(source), m_kind(kind) {}

CRecordset::~CRecordset() = default;

const std::vector<FieldExchange::Column>& CRecordset::columns() {
    if (!m_columns) {
        FieldExchange fx(FieldExchange::Op::Describe);
        exchange(fx);
        m_columns = std::move(fx.m_columns);
    }
    return *m_columns;
}

std::string CRecordset::whereClause() const {
    return m_filter.isEmpty() ? std::string() : " WHERE " + m_filter.sql();
}

std::string CRecordset::selectSql() {
    // Tables are read in the order their rows were added (the row key); stored queries
    // carry a Seq column for the same purpose.
    const std::string order = m_kind == Kind::Table ? "rowid" : "Seq";
    std::string sql = "SELECT " + std::string(m_kind == Kind::Table ? "rowid" : "NULL");
    for (const auto& c : columns())
        sql += ", " + quoted(c.name);
    sql += " FROM " + quoted(m_source) + whereClause() + " ORDER BY ";
    sql += m_sort.empty() ? order : m_sort + ", " + order;
    return sql;
}

void CRecordset::open() {
    const std::string sql = selectSql();
    m_stride = int(columns().size()) + 1;
    m_cells.clear();
    m_deleted.clear();
    Statement st(m_db, sql);
    st.bindAll(m_filter.params());
    while (st.step())
        for (int c = 0; c < m_stride; ++c)
            m_cells.push_back(st.value(c));
    m_rows = m_cells.size() / size_t(m_stride);
    m_deleted.assign(m_rows, false);
    m_pos = 0;
    m_edit = Edit::None;
    m_open = true;
    if (m_rows > 0)
        loadCurrent();
    else
        resetFields();
}

void CRecordset::openForAdding() {
    m_filter = Filter("0");
    open();
}

bool CRecordset::openFirst(Filter filter) {
    m_filter = std::move(filter);
    open();
    return !isEOF();
}

void CRecordset::close() {
    m_open = false;
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_deleted.clear();
    m_rows = m_pos = 0;
    m_edit = Edit::None;
}

void CRecordset::requery() {
    open();
}

bool CRecordset::isEOF() const {
    return !m_open || m_pos >= m_rows;
}

void CRecordset::moveNext() {
    m_edit = Edit::None;
    if (m_pos < m_rows)
        ++m_pos;
    while (m_pos < m_rows && m_deleted[m_pos])
        ++m_pos;
    if (m_pos < m_rows)
        loadCurrent();
}

void CRecordset::moveLast() {
    m_edit = Edit::None;
    size_t pos = m_rows;
    while (pos > 0 && m_deleted[pos - 1])
        --pos;
    if (pos == 0)
        return;
    m_pos = pos - 1;
    loadCurrent();
}

void CRecordset::loadCurrent() {
    FieldExchange fx(FieldExchange::Op::Load);
    fx.m_cells = &m_cells[m_pos * size_t(m_stride) + 1];
    exchange(fx);
}

void CRecordset::resetFields() {
    FieldExchange fx(FieldExchange::Op::Reset);
    exchange(fx);
}

void CRecordset::requireTable(const char* operation) const {
    if (m_kind != Kind::Table)
        throw DbError(SQLITE_READONLY, QStringLiteral("%1: %2 is a read-only query")
                                           .arg(QLatin1String(operation), QLatin1String(m_source)));
}

void CRecordset::requireCurrent(const char* operation) const {
    if (isEOF() || m_deleted[m_pos])
        throw DbError(SQLITE_MISUSE, QStringLiteral("%1 on %2: no current row")
                                         .arg(QLatin1String(operation), QLatin1String(m_source)));
}

void CRecordset::addNew() {
    requireTable("add");
    resetFields();
    m_edit = Edit::Adding;
}

void CRecordset::edit() {
    requireTable("edit");
    requireCurrent("edit");
    m_edit = Edit::Editing;
}

void CRecordset::update() {
    requireTable("update");
    FieldExchange fx(FieldExchange::Op::Save);
    exchange(fx);
    SqlValues values = std::move(fx.m_saved);
    std::vector<std::string> names;
    for (const auto& c : columns())
        if (!c.isKey)
            names.push_back(quoted(c.name));

    if (m_edit == Edit::Adding) {
        std::string sql = "INSERT INTO " + quoted(m_source) + " (";
        std::string marks;
        for (size_t i = 0; i < names.size(); ++i) {
            sql += (i ? ", " : "") + names[i];
            marks += i ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        Statement st(m_db, sql);
        st.bindAll(values);
        st.run();
        m_lastInsertedId = m_db.lastInsertRowId();
        FieldExchange keyFx(FieldExchange::Op::SetKey);
        keyFx.m_newKey = m_lastInsertedId;
        exchange(keyFx);
    } else if (m_edit == Edit::Editing) {
        requireCurrent("update");
        std::string sql = "UPDATE " + quoted(m_source) + " SET ";
        for (size_t i = 0; i < names.size(); ++i)
            sql += (i ? ", " : "") + names[i] + "=?";
        sql += " WHERE rowid=?";
        SqlValue key = m_cells[m_pos * size_t(m_stride)];
        values.push_back(key);
        Statement st(m_db, sql);
        st.bindAll(values);
        st.run();
        // Keep the walk's copy of the row in step with what was written.
        size_t base = m_pos * size_t(m_stride) + 1;
        size_t v = 0;
        const auto& cols = columns();
        for (size_t c = 0; c < cols.size(); ++c)
            if (!cols[c].isKey)
                m_cells[base + c] = values[v++];
    } else {
        throw DbError(
            SQLITE_MISUSE,
            QStringLiteral("update on %1 without add or edit").arg(QLatin1String(m_source)));
    }
    m_edit = Edit::None;
}

void CRecordset::remove() {
    requireTable("delete");
    requireCurrent("delete");
    Statement st(m_db, "DELETE FROM " + quoted(m_source) + " WHERE rowid=?");
    st.bind(1, m_cells[m_pos * size_t(m_stride)]);
    st.run();
    m_deleted[m_pos] = true;
    m_edit = Edit::None;
}

qint64 CRecordset::count() {
    Statement st(m_db, "SELECT count(*) FROM " + quoted(m_source) + whereClause());
    st.bindAll(m_filter.params());
    return st.step() ? st.int64(0) : 0;
}
