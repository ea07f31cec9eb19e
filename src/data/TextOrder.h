#pragma once

#include <QCollator>
#include <QString>

// The one alphabetical order of the program's lists and tree: Russian, ignoring letter
// case, with ё beside е as a Russian reader expects.
const QCollator& russianCollator();

inline bool russianLess(const QString& a, const QString& b) {
    return russianCollator().compare(a, b) < 0;
}

// Upper case as the program compares names (the same as code page 1251's own mapping on
// every character the code page has).
inline QString upperCase(const QString& text) {
    return text.toUpper();
}

// Matches text against a LIKE pattern ("%" any run, "_" one character), ignoring letter
// case for every alphabet and reading ё as е. escape, when not null, makes the next pattern
// character literal.
bool likeMatch(QStringView pattern, QStringView text, char32_t escape = 0);
