#include "NameCompleter.h"

#include "data/TextOrder.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QStringListModel>

NameCompleter::NameCompleter(QLineEdit* edit, const QStringList& names)
    : QCompleter(edit), m_model(new QStringListModel(this)) {
    for (const QString& name : names)
        addName(name);
    setModel(m_model);
    // The model holds only the matches: the completer must not filter them again by
    // their beginnings.
    setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    setCaseSensitivity(Qt::CaseInsensitive);
    setMaxVisibleItems(12);
    setWidget(edit);
    connect(edit, &QLineEdit::textEdited, this, &NameCompleter::offer);
    connect(this, qOverload<const QString&>(&QCompleter::activated), edit, &QLineEdit::setText);
}

void NameCompleter::addName(const QString& name) {
    m_names << name;
    m_folded << searchFolded(name);
}

QStringList NameCompleter::matches(const QString& typed) const {
    const QString part = searchFolded(typed.trimmed());
    QStringList found;
    if (part.isEmpty())
        return found;
    for (qsizetype i = 0; i < m_names.size(); ++i)
        if (m_folded[i].contains(part))
            found << m_names[i];
    return found;
}

void NameCompleter::offer(const QString& typed) {
    const QStringList found = matches(typed);
    m_model->setStringList(found);
    if (found.isEmpty())
        popup()->hide();
    else
        complete();
}
