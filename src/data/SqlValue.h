#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>
#include <vector>

// A value travelling between the program and the engine: nothing (NULL), an integer,
// a real number or a text.
using SqlValue = std::variant<std::monostate, qint64, double, QString>;
using SqlValues = std::vector<SqlValue>;

// SQL text that can only come from the program's own source: the constructor runs at
// compile time, so a text typed by the user or read from a file cannot be passed here.
// Values travel beside it as bound parameters.
class SqlText {
public:
    consteval SqlText(const char* text) : m_text(text) {}
    constexpr const char* c_str() const { return m_text; }

private:
    const char* m_text;
};

inline SqlValue toSqlValue(int v) {
    return qint64(v);
}
inline SqlValue toSqlValue(qint64 v) {
    return v;
}
inline SqlValue toSqlValue(double v) {
    return v;
}
// Amounts are single precision: round through float so that the stored value is the one
// the program will read back.
inline SqlValue toSqlValue(float v) {
    return double(v);
}
inline SqlValue toSqlValue(bool v) {
    return qint64(v ? 1 : 0);
}
inline SqlValue toSqlValue(const QString& v) {
    return v;
}
inline SqlValue toSqlValue(const char* v) {
    return QString::fromUtf8(v);
}
