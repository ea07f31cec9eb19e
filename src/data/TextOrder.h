#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>
#include <algorithm>
#include <utility>
#include <vector>

// The one alphabetical order of the program's lists and tree: Russian, ignoring letter
// case, with ё beside е as a Russian reader expects.
const QCollator& russianCollator();
// A collator of that order of its own: one collator must not be used by two threads.
QCollator newRussianCollator();

inline bool russianLess(const QString& a, const QString& b) {
    return russianCollator().compare(a, b) < 0;
}

// Puts items in the order of the key each one is given (made once per item), keeping
// items with equal keys in the order they came.
template <class T, class KeyOf, class Less>
void stableSortByKey(std::vector<T>& items, KeyOf keyOf, Less less) {
    using Key = decltype(keyOf(items.front()));
    std::vector<std::pair<Key, size_t>> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        keys.emplace_back(keyOf(items[i]), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [&less](const auto& a, const auto& b) { return less(a.first, b.first); });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (auto& k : keys)
        sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

// Items in the Russian order of their texts; equal texts keep the order they came in.
template <class T, class Text> void sortRussian(std::vector<T>& items, Text text) {
    stableSortByKey(
        items, [&text](const T& item) { return russianCollator().sortKey(text(item)); },
        [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
}

// Upper case as the program compares names (the same as code page 1251's own mapping on
// every character the code page has).
inline QString upperCase(const QString& text) {
    return text.toUpper();
}

// A name as the program searches it: letter case folded and ё read as е, as Russian
// readers write it either way.
QString searchFolded(QStringView text);

// Matches text against a LIKE pattern ("%" any run, "_" one character), ignoring letter
// case for every alphabet and reading ё as е. escape, when not null, makes the next pattern
// character literal.
bool likeMatch(QStringView pattern, QStringView text, char32_t escape = 0);
