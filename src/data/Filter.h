#pragma once

#include "SqlValue.h"

#include <string>

// The condition of a record set, without the word WHERE. Its SQL is built only from
// program literals (SqlText); every integer or text it needs is a bound parameter, so a
// name with an apostrophe is just a name and can never change the query.
class Filter {
public:
    Filter() = default;

    template <class... Args>
    Filter(SqlText condition, const Args&... params) : m_sql(condition.c_str()) {
        (m_params.push_back(toSqlValue(params)), ...);
        checkParameterCount();
    }

    // Both conditions must hold.
    Filter operator&&(const Filter& other) const;

    bool isEmpty() const { return m_sql.empty(); }
    const std::string& sql() const { return m_sql; }
    const SqlValues& params() const { return m_params; }

private:
    void checkParameterCount() const;

    std::string m_sql;
    SqlValues m_params;
};

// LIKE patterns for a bound text: a pattern that finds the text anywhere, its "%" and "_"
// keeping their meaning as the user typed them.
QString containsPattern(const QString& text);
