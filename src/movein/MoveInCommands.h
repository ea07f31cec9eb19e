#pragma once

class CCatalogView;
class Database;
class QWidget;

namespace movein {

// "Импорт коллекции из другой программы...": an archive or recipe file, or (fromFolder) a
// folder, read into a new section under the selected one, with a progress window that can
// cancel, then the summary. The new section is shown selected.
void importCollection(Database& db, CCatalogView& tree, QWidget* window, bool fromFolder);

} // namespace movein
