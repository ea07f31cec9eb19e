#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the storage engine reaches the rest of the program as this one type,
// carrying the engine's own message so that the user sees what really went wrong.
class DbError : public std::runtime_error {
public:
    DbError(int code, const QString& message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}

    int code() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};
