#include "Filter.h"

#include <algorithm>
#include <stdexcept>

Filter Filter::operator&&(const Filter& other) const {
    if (isEmpty())
        return other;
    if (other.isEmpty())
        return *this;
    Filter both;
    both.m_sql = "(" + m_sql + ") AND (" + other.m_sql + ")";
    both.m_params = m_params;
    both.m_params.insert(both.m_params.end(), other.m_params.begin(), other.m_params.end());
    return both;
}

void Filter::checkParameterCount() const {
    auto marks = std::count(m_sql.begin(), m_sql.end(), '?');
    if (size_t(marks) != m_params.size())
        throw std::logic_error("filter parameter count does not match: " + m_sql);
}

QString containsPattern(const QString& text) {
    return QLatin1Char('%') + text + QLatin1Char('%');
}
