// ovelta-db photo: a recipe's photo set from a picture file, removed, or written out.

#include "DbTool.h"
#include "photos/PhotoStore.h"

int photoCommand(const QStringList& args) {
    Command c(true);
    QCommandLineOption remove(QStringLiteral("remove"));
    QCommandLineOption save(QStringLiteral("save"));
    c.parser.addOption(remove);
    c.parser.addOption(save);
    if (QString e = c.parse(args, 1, 2); !e.isEmpty())
        return usageError(e);
    const bool removing = c.parser.isSet(remove), saving = c.parser.isSet(save);
    if (removing && saving)
        return usageError(QStringLiteral("--remove или --save, не оба / not both"));
    if (c.argCount() != (removing ? 1 : 2))
        return usageError(removing
                              ? QStringLiteral("лишний аргумент / extra argument: %1").arg(c.arg(1))
                              : QStringLiteral("не хватает аргументов / missing arguments"));
    int id = 0;
    if (QString e = readRecipeId(c.arg(0), id); !e.isEmpty())
        return usageError(e);
    return onCollection(c, [&](Database& db) {
        if (std::holds_alternative<std::monostate>(
                db.scalar("SELECT 1 FROM Recipes WHERE ID=?", {qint64(id)})))
            return failure(QStringLiteral("нет рецепта с номером %1 / no recipe %1").arg(id));
        if (removing) {
            if (!photos::removePhoto(db, id))
                return failure(QStringLiteral("у рецепта %1 нет фотографии / recipe %1 has no "
                                              "photo")
                                   .arg(id));
            return 0;
        }
        if (saving) {
            const std::optional<QByteArray> bytes = photos::photoBytes(db, id);
            if (!bytes)
                return failure(QStringLiteral("у рецепта %1 нет фотографии / recipe %1 has no "
                                              "photo")
                                   .arg(id));
            return writeOut(c.arg(1), *bytes);
        }
        try {
            photos::setPhoto(db, id, photos::readPhotoFile(c.arg(1)));
        } catch (const photos::PhotoError& e) {
            return failure(e.message);
        }
        return 0;
    });
}
