#pragma once

#include <QCompleter>
#include <QStringList>

class QLineEdit;
class QStringListModel;

// Completion for a field that takes a dictionary name: it offers every name that holds
// the typed text anywhere, letter case aside and ё read as е, in the order given.
class NameCompleter : public QCompleter {
    Q_OBJECT
public:
    NameCompleter(QLineEdit* edit, const QStringList& names);
    void addName(const QString& name);
    // The names that the typed text would offer.
    QStringList matches(const QString& typed) const;

private:
    void offer(const QString& typed);

    QStringList m_names;
    QStringList m_folded;
    QStringListModel* m_model;
};
