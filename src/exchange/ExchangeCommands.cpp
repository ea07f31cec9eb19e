#include "ExchangeCommands.h"

#include "backup/BackupCommands.h"

#include "ExchangeFormat.h"
#include "ExchangeStore.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/DbError.h"
#include "recipes/RecipeStore.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const QString kExport = QStringLiteral("Экспорт");
const QString kImport = QStringLiteral("Импорт");

QString fileFilter() {
    return QString::fromUtf8(exchange::kFileFilter);
}

void tell(QWidget* window, const QString& text, const QString& caption) {
    Prompts::message(window, text, caption, Prompts::Icon::None, Prompts::Buttons::Ok);
}

// Exchange files are the user's own documents, not the program's data: the dialogs start
// in the documents folder, where the program's working folder would be a hidden one.
QString documentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// The file an export suggests: named after the section, or after the program for all.
QString suggestedExportPath(const QString& sectionName) {
    QString name = sectionName.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("Ovelta");
    return QDir(documentsFolder()).filePath(name + QStringLiteral(".ovl"));
}

} // namespace

void ExchangeCommands::exportSection() {
    QTreeWidgetItem* item = m_tree.selectedEntry();
    const qint32 value = CCatalogView::itemValue(item);
    if (!item || catalog::isRecipeValue(value)) {
        Prompts::error(m_window, QStringLiteral("Не выделен раздел"));
        return;
    }
    const std::optional<catalog::Section> section = catalog::readSection(m_db, value);
    if (!section) {
        Prompts::error(m_window, QStringLiteral("Раздел не найден в базе данных"));
        return;
    }
    if (!Prompts::ask(m_window, QStringLiteral("Экспортировать раздел \"%1\"?").arg(section->name),
                      kExport)) {
        tell(m_window, QStringLiteral("Экспорт отменен"), kExport);
        return;
    }
    exportTo(value, false, section->name);
}

void ExchangeCommands::exportAll() {
    if (!Prompts::ask(m_window, QStringLiteral("Экспортировать всё содержание?"), kExport)) {
        tell(m_window, QStringLiteral("Экспорт отменен"), kExport);
        return;
    }
    exportTo(0, true, QString());
}

void ExchangeCommands::exportTo(int section, bool whole, const QString& sectionName) {
    const QString path = Prompts::saveFileName(m_window, kExport, suggestedExportPath(sectionName),
                                               fileFilter(), QStringLiteral("ovl"));
    if (path.isEmpty()) {
        tell(m_window, QStringLiteral("Экспорт отменен"), kExport);
        return;
    }
    exchange::ExportResult result;
    try {
        BusyCursor busy;
        result =
            exchange::exportToFile(m_db, whole ? std::nullopt : std::optional<int>(section), path);
    } catch (const exchange::ExchangeError& e) {
        Prompts::error(m_window, e.message());
        return;
    }
    QStringList text{QStringLiteral("Экспорт завершен")};
    text << exchange::exportWarnings(result);
    tell(m_window, text.join(QLatin1Char('\n')), kExport);
}

void ExchangeCommands::importFile() {
    const QString path = Prompts::openFileName(m_window, kImport, documentsFolder(), fileFilter());
    if (path.isEmpty()) {
        tell(m_window, QStringLiteral("Импорт отменен"), kImport);
        return;
    }
    if (!backupBefore(m_db, m_window, QStringLiteral("Импортировать")))
        return;
    exchange::ImportResult result;
    try {
        CProgress progress(m_window);
        progress.place();
        progress.show();
        BusyCursor busy;
        result = exchange::importFile(m_db, path, progress);
    } catch (const exchange::ExchangeError& e) {
        Prompts::error(m_window, e.message());
        return;
    }
    tell(m_window, QStringLiteral("Импорт завершен\n") + exchange::importSummary(result), kImport);
    if (result.topSections.empty() && result.rootRecipes.empty())
        return;

    QTreeWidgetItem* last = nullptr;
    for (int id : result.rootRecipes)
        if (std::optional<recipes::Recipe> r = recipes::readRecipe(m_db, id))
            last = m_tree.insertEntry(nullptr, r->name, catalog::recipeValue(id), false);
    for (int id : result.topSections)
        if (std::optional<catalog::Section> s = catalog::readSection(m_db, id))
            last = m_tree.insertEntry(nullptr, s->name, id, true);
    if (last)
        m_tree.selectEntry(last);
    m_tree.sortChildrenOf(nullptr);
    if (last)
        m_tree.scrollToItem(last);
}
