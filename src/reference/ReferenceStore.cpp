#include "ReferenceStore.h"

#include "data/Database.h"

namespace reference {

std::vector<Use> usage(Database& db, recipes::Dictionary which, int entry) {
    std::vector<Use> out;
    auto collect = [&](Statement& rows) {
        rows.bind(1, qint64(entry));
        while (rows.step())
            out.push_back({int(rows.int64(0)), rows.text(1)});
    };
    if (which == recipes::Dictionary::Products) {
        Statement rows(db, SqlText("SELECT ID, Name FROM IngredientUse WHERE Ingredient=? "
                                   "ORDER BY Seq"));
        collect(rows);
    } else {
        Statement rows(db, SqlText("SELECT ID, Name FROM UnitUse WHERE Unit=? ORDER BY Seq"));
        collect(rows);
    }
    return out;
}

} // namespace reference
