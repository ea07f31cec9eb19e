#pragma once

#include "Archive.h"
#include "intake/IngredientLine.h"
#include "intake/RecipeReader.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// Whole collections as other recipe programs export them, read recipe by recipe: a
// Nextcloud Cookbook folder, a Mealie or Tandoor export, a Paprika archive, or a folder or
// archive of recipe files that the intake reads one by one. No database here.
namespace movein {

enum class Program { Files, Nextcloud, Mealie, Tandoor, Paprika };
QString programName(Program program);

struct Line {
    QString written;
    // Programs that split a line themselves (food, amount, unit) are taken at their word.
    bool isSplit = false;
    intake::ParsedLine split;
};

struct Incoming {
    QString title;
    std::vector<Line> lines;
    QStringList method;
    QString yield;      // the servings as the program wrote them
    QString category;   // the first, where the source has categories
    QByteArray photo;   // when the recipe carried it
    QString photoEntry; // else the entry that is its photo, read in a later pass
    QString entry;      // where it came from, for messages
};

struct Skipped {
    QString name;
    QString reason;
};

// The recipes of one entry of a collection: none when it is no recipe, several when it is a
// list of them or a nested archive. Throws MoveInError or IntakeError with the reason for an
// entry that should be a recipe and cannot be read. depth counts the archives around it.
std::vector<Incoming> readEntry(const QString& name, const QByteArray& bytes, int depth = 0);

class CollectionReader {
public:
    // A folder, an archive, or a single recipe file. Lists the entries; throws MoveInError
    // when the path cannot be read.
    explicit CollectionReader(const QString& path, const Limits& limits = {});

    Program program() const { return m_program; }
    // The new section's name: "Paprika — Мои рецепты".
    QString sectionName() const;
    // How many entries may hold recipes, for progress.
    int candidates() const { return m_candidates; }

    // Every recipe in the order of the entries; entries that are no recipe or cannot be read
    // go to skipped(), the ones a user would not call files (__MACOSX, .DS_Store) to nowhere.
    void eachRecipe(const std::function<void(Incoming&&)>& take);
    // The bytes of the named entries, in the order of the entries.
    void eachEntry(const QSet<QString>& names, const Take& take);
    const std::vector<Skipped>& skipped() const { return m_skipped; }

private:
    void each(const Wanted& wanted, const Take& take);
    QString photoFor(const QString& entry) const;

    QString m_path;
    Limits m_limits;
    enum class Kind { Folder, Archive, File } m_kind = Kind::File;
    Program m_program = Program::Files;
    QStringList m_pictures;
    int m_candidates = 0;
    std::vector<Skipped> m_skipped;
};

} // namespace movein
