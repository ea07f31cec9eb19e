#pragma once

#include "Collection.h"

#include <QString>
#include <functional>
#include <vector>

class Database;
class Progress;

// A whole collection from another program into a new section, all or nothing.
namespace movein {

struct Summary {
    int section = 0;
    QString sectionName;
    int recipes = 0;
    int products = 0; // new ones
    int units = 0;    // new ones
    int photos = 0;
    std::vector<Skipped> skipped; // entries, and photos that were refused
    // Lines stored against the usual product of a general name ("Мука — 300 г" as "Мука
    // пшеничная"): the line as written and the product, for the user to check.
    std::vector<std::pair<QString, QString>> toCheck;
};

// Reads the collection at path (see CollectionReader) into a new section under parent (0:
// the top level), a subsection per category, in one transaction: an error, or cancelled()
// turning true, leaves the collection as it was. The lines are matched as the intake
// matches them, a product new to the collection made once however many recipes name it.
// Throws MoveInError; one with the text "Импорт отменён" when cancelled.
Summary importCollection(Database& db, const QString& path, int parent, Progress& progress,
                         const std::function<bool()>& cancelled = {});

// The summary as the user reads it, the same in the window and in ovelta-db.
QString summaryText(const Summary& summary);

} // namespace movein
