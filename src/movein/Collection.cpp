#include "Collection.h"

#include "data/WholeFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace movein {

namespace {

const QStringList kPictureSuffixes{"jpg", "jpeg", "png", "webp", "gif", "bmp"};

QString suffixOf(const QString& name) {
    return QFileInfo(name).suffix().toLower();
}

bool isPicture(const QString& name) {
    return kPictureSuffixes.contains(suffixOf(name));
}

QString folderOf(const QString& name) {
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : name.left(slash);
}

// What archives made on a Mac carry beside the files, and hidden files generally.
bool isClutter(const QString& name) {
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part == QLatin1String("__MACOSX") ||
            (part.startsWith(QLatin1Char('.')) && part != QLatin1String("..")))
            return true;
    return false;
}

bool mayHoldRecipes(const QString& name) {
    static const QStringList suffixes{"json", "html", "htm", "txt", "paprikarecipe", "zip"};
    return suffixes.contains(suffixOf(name));
}

QString text(const QJsonValue& v) {
    if (v.isString())
        return v.toString().trimmed();
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 6);
    if (v.isObject())
        return text(v.toObject().value(QLatin1String("name")));
    if (v.isArray() && !v.toArray().isEmpty())
        return text(v.toArray().first());
    return {};
}

QStringList linesOf(const QString& blob) {
    QStringList out;
    for (const QString& line : blob.split(QRegularExpression(QStringLiteral("[\r\n]+"))))
        if (!line.trimmed().isEmpty())
            out << line.trimmed();
    return out;
}

// A line as written, for the intake's parser.
Line wholeLine(const QString& written) {
    Line line;
    line.written = written.trimmed();
    return line;
}

std::vector<Line> writtenLines(const QStringList& written) {
    std::vector<Line> out;
    for (const QString& w : written)
        out.push_back(wholeLine(w));
    return out;
}

// A line the source split itself: its food, amount and unit, and what it noted.
Line splitLine(const QString& food, double amount, const QString& unit, const QString& note,
               const QString& written) {
    Line line;
    line.isSplit = true;
    line.split.product = food.trimmed();
    line.split.amount = float(amount);
    const QString usual = intake::usualUnit(unit.trimmed());
    line.split.unit = usual.isEmpty() ? unit.trimmed() : usual;
    // "Яйца", 3: a count with no unit is in pieces, as the intake reads "3 яйца".
    if (line.split.unit.isEmpty() && amount > 0)
        line.split.unit = QStringLiteral("шт");
    line.split.note = note.trimmed();
    line.split.nameFirst = true;
    line.written = written.isEmpty() ? food.trimmed() : written.trimmed();
    return line;
}

// A yield given as a number or as text; nothing for 0, which programs write for "not said".
QString yieldOf(const QJsonValue& value) {
    if (value.isDouble())
        return value.toDouble() > 0 ? QString::number(value.toDouble()) : QString();
    return text(value);
}

// Paprika: lines and directions as blocks of text, categories as names, the photo inline.
Incoming paprika(const QJsonObject& o) {
    Incoming in;
    in.title = text(o.value(QLatin1String("name")));
    in.lines = writtenLines(linesOf(o.value(QLatin1String("ingredients")).toString()));
    in.method = linesOf(o.value(QLatin1String("directions")).toString());
    const QString notes = o.value(QLatin1String("notes")).toString().trimmed();
    if (!notes.isEmpty())
        in.method << QString() << linesOf(notes);
    in.category = text(o.value(QLatin1String("categories")));
    in.yield = text(o.value(QLatin1String("servings")));
    in.photo = QByteArray::fromBase64(o.value(QLatin1String("photo_data")).toString().toLatin1());
    return in;
}

// Tandoor: its lines inside its steps, each with food, unit and amount.
Incoming tandoor(const QJsonObject& o) {
    Incoming in;
    in.title = text(o.value(QLatin1String("name")));
    in.yield = yieldOf(o.value(QLatin1String("servings")));
    if (const QString words = text(o.value(QLatin1String("servings_text"))); !words.isEmpty())
        in.yield += QLatin1Char(' ') + words;
    const QString description = o.value(QLatin1String("description")).toString().trimmed();
    if (!description.isEmpty())
        in.method << description;
    for (const QJsonValue& stepValue : o.value(QLatin1String("steps")).toArray()) {
        const QJsonObject step = stepValue.toObject();
        const QString name = step.value(QLatin1String("name")).toString().trimmed();
        if (!name.isEmpty())
            in.method << name;
        in.method << linesOf(step.value(QLatin1String("instruction")).toString());
        for (const QJsonValue& v : step.value(QLatin1String("ingredients")).toArray()) {
            const QJsonObject i = v.toObject();
            const QString food = text(i.value(QLatin1String("food")));
            if (i.value(QLatin1String("is_header")).toBool() || food.isEmpty())
                continue;
            const bool noAmount = i.value(QLatin1String("no_amount")).toBool();
            in.lines.push_back(
                splitLine(food, noAmount ? 0 : i.value(QLatin1String("amount")).toDouble(),
                          noAmount ? QString() : text(i.value(QLatin1String("unit"))),
                          i.value(QLatin1String("note")).toString(),
                          i.value(QLatin1String("original_text")).toString()));
        }
    }
    return in;
}

QStringList instructions(const QJsonValue& value) {
    QStringList out;
    if (value.isString())
        return linesOf(value.toString());
    for (const QJsonValue& v : value.toArray()) {
        if (v.isString()) {
            out << linesOf(v.toString());
            continue;
        }
        const QJsonObject step = v.toObject();
        if (step.value(QLatin1String("@type")).toString() == QLatin1String("HowToSection")) {
            out << text(step.value(QLatin1String("name")))
                << instructions(step.value(QLatin1String("itemListElement")));
            continue;
        }
        const QString title = step.value(QLatin1String("title")).toString().trimmed();
        if (!title.isEmpty())
            out << title;
        out << linesOf(step.value(QLatin1String("text")).toString());
    }
    return out;
}

// A field under its schema.org name, or under the one older Mealie exports gave it
// ("recipe_ingredient" for "recipeIngredient").
QJsonValue field(const QJsonObject& o, const char* name, const char* older) {
    const QJsonValue v = o.value(QLatin1String(name));
    return v.isUndefined() || v.isNull() ? o.value(QLatin1String(older)) : v;
}

// Mealie: schema.org names, but lines as objects; newer exports split them into food, unit
// and quantity, older ones keep the line whole in "note", and the oldest (2021) name every
// field with underscores.
Incoming mealie(const QJsonObject& o) {
    Incoming in;
    in.title = text(o.value(QLatin1String("name")));
    for (const QJsonValue& v : field(o, "recipeIngredient", "recipe_ingredient").toArray()) {
        if (v.isString()) {
            in.lines.push_back(wholeLine(v.toString()));
            continue;
        }
        const QJsonObject i = v.toObject();
        const QString food = text(i.value(QLatin1String("food")));
        const QString note = i.value(QLatin1String("note")).toString();
        const QString original = i.value(QLatin1String("originalText")).toString();
        if (!food.isEmpty()) {
            in.lines.push_back(splitLine(food, i.value(QLatin1String("quantity")).toDouble(),
                                         text(i.value(QLatin1String("unit"))), note, original));
            continue;
        }
        QString whole = original.trimmed();
        if (whole.isEmpty())
            whole = i.value(QLatin1String("display")).toString().trimmed();
        if (whole.isEmpty())
            whole = note.trimmed();
        if (!whole.isEmpty())
            in.lines.push_back(wholeLine(whole));
    }
    in.method = instructions(field(o, "recipeInstructions", "recipe_instructions"));
    in.category = text(field(o, "recipeCategory", "recipe_category"));
    in.yield = yieldOf(field(o, "recipeYield", "recipe_yield"));
    if (in.yield.isEmpty())
        in.yield = yieldOf(o.value(QLatin1String("recipeServings")));
    return in;
}

bool isMealie(const QJsonObject& o) {
    for (const QJsonValue& v : field(o, "recipeIngredient", "recipe_ingredient").toArray())
        if (v.isObject())
            return true;
    return false;
}

std::vector<Incoming> fromJson(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (doc.isNull())
        throw MoveInError(QStringLiteral("JSON с ошибкой (%1)").arg(error.errorString()));
    std::vector<QJsonObject> objects;
    if (doc.isArray()) {
        for (const QJsonValue& v : doc.array())
            if (v.isObject())
                objects.push_back(v.toObject());
    } else {
        objects.push_back(doc.object());
    }
    std::vector<Incoming> out;
    for (const QJsonObject& o : objects) {
        if (o.value(QLatin1String("steps")).isArray()) {
            out.push_back(tandoor(o));
        } else if (o.contains(QLatin1String("directions")) ||
                   o.value(QLatin1String("ingredients")).isString()) {
            out.push_back(paprika(o));
        } else if (isMealie(o)) {
            out.push_back(mealie(o));
        } else {
            // schema.org, as Nextcloud Cookbook and many sites write it: the intake's reader.
            const intake::ReadRecipe r = intake::readJson(QJsonDocument(o).toJson());
            Incoming in;
            in.title = r.title;
            in.lines = writtenLines(r.ingredients);
            in.method = r.method;
            in.yield = r.yield;
            in.category = text(o.value(QLatin1String("recipeCategory")));
            out.push_back(std::move(in));
        }
    }
    if (out.empty())
        throw MoveInError(QStringLiteral("в файле нет рецепта"));
    return out;
}

// A nested archive (Tandoor keeps one a recipe): its recipes, with the picture inside it.
std::vector<Incoming> fromArchive(const QString& name, const QByteArray& bytes, int depth) {
    if (depth > 0)
        throw MoveInError(QStringLiteral("архив в архиве в архиве не читается"));
    std::vector<Incoming> out;
    QByteArray picture;
    readArchive(
        bytes, name, [](const QString& inner) { return !isClutter(inner); },
        [&](const QString& inner, const QByteArray& innerBytes) {
            if (isPicture(inner)) {
                if (picture.isEmpty())
                    picture = innerBytes;
                return;
            }
            if (!mayHoldRecipes(inner))
                return;
            for (Incoming& in : readEntry(name + QLatin1Char('/') + inner, innerBytes, depth + 1))
                out.push_back(std::move(in));
        });
    for (Incoming& in : out)
        if (in.photo.isEmpty())
            in.photo = picture;
    return out;
}

} // namespace

QString programName(Program program) {
    switch (program) {
    case Program::Nextcloud:
        return QStringLiteral("Nextcloud Cookbook");
    case Program::Mealie:
        return QStringLiteral("Mealie");
    case Program::Tandoor:
        return QStringLiteral("Tandoor");
    case Program::Paprika:
        return QStringLiteral("Paprika");
    case Program::Files:
        break;
    }
    return QStringLiteral("Рецепты");
}

std::vector<Incoming> readEntry(const QString& name, const QByteArray& bytes, int depth) {
    const QString suffix = suffixOf(name);
    std::vector<Incoming> out;
    if (suffix == QLatin1String("zip")) {
        out = fromArchive(name, bytes, depth);
    } else if (suffix == QLatin1String("paprikarecipe")) {
        const bool packed = bytes.startsWith("\x1F\x8B");
        out = fromJson(packed ? gunzip(bytes, Limits{}.entryBytes, name) : bytes);
    } else if (suffix == QLatin1String("json")) {
        out = fromJson(bytes);
    } else {
        const intake::ReadRecipe r = intake::readBytes(bytes, name);
        Incoming in;
        in.title = r.title;
        in.lines = writtenLines(r.ingredients);
        in.method = r.method;
        in.yield = r.yield;
        in.photo = r.photo;
        out.push_back(std::move(in));
    }
    for (Incoming& in : out) {
        in.title = in.title.simplified();
        in.category = in.category.simplified();
        if (in.entry.isEmpty())
            in.entry = name;
        if (in.title.isEmpty())
            in.title = QFileInfo(name).completeBaseName().simplified();
    }
    return out;
}

CollectionReader::CollectionReader(const QString& path, const Limits& limits)
    : m_path(path), m_limits(limits) {
    const QFileInfo info(path);
    if (!info.exists())
        throw MoveInError(QStringLiteral("«%1» не найден.").arg(info.fileName()));
    if (info.isDir()) {
        m_kind = Kind::Folder;
    } else {
        // A pipe or a device would hang the read: refused before it is opened.
        if (const QString problem = fileProblem(path); !problem.isEmpty())
            throw MoveInError(
                QStringLiteral("Не могу открыть «%1»: %2.").arg(info.fileName(), problem));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw MoveInError(
                QStringLiteral("Не могу открыть «%1»: %2").arg(info.fileName(), fileError(file)));
        const QString suffix = suffixOf(path);
        m_kind =
            suffix != QLatin1String("paprikarecipe") && intake::looksLikeArchive(file.read(512))
                ? Kind::Archive
                : Kind::File;
    }
    bool paprika = false, nested = false, nextcloud = false, mealie = false;
    each(
        [&](const QString& name) {
            if (isClutter(name))
                return false;
            if (isPicture(name))
                m_pictures << name;
            else if (mayHoldRecipes(name))
                ++m_candidates;
            const QString file = QFileInfo(name).fileName();
            const QString suffix = suffixOf(name);
            paprika |= suffix == QLatin1String("paprikarecipe");
            nested |= suffix == QLatin1String("zip");
            nextcloud |= file == QLatin1String("recipe.json");
            mealie |=
                suffix == QLatin1String("json") && (name.startsWith(QLatin1String("recipes/")) ||
                                                    name.contains(QLatin1String("/recipes/")));
            return false;
        },
        [](const QString&, const QByteArray&) {});
    if (m_kind == Kind::File && suffixOf(path) == QLatin1String("paprikarecipes"))
        paprika = true;
    m_program = paprika     ? Program::Paprika
                : nested    ? Program::Tandoor
                : mealie    ? Program::Mealie
                : nextcloud ? Program::Nextcloud
                            : Program::Files;
}

QString CollectionReader::sectionName() const {
    const QFileInfo info(m_path);
    QString base = info.isDir() ? QDir(m_path).dirName() : info.completeBaseName();
    base = base.simplified();
    const QString program = programName(m_program);
    if (base.isEmpty() || base.compare(program, Qt::CaseInsensitive) == 0)
        return program;
    return program + QStringLiteral(" — ") + base;
}

void CollectionReader::each(const Wanted& wanted, const Take& take) {
    switch (m_kind) {
    case Kind::Folder:
        readFolder(m_path, wanted, take, m_limits);
        return;
    case Kind::Archive:
        readArchive(m_path, wanted, take, m_limits);
        return;
    case Kind::File:
        break;
    }
    const QString name = QFileInfo(m_path).fileName();
    if (!wanted(name))
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw MoveInError(QStringLiteral("Не могу открыть «%1»: %2").arg(name, fileError(file)));
    const QByteArray bytes = file.read(m_limits.entryBytes + 1);
    if (bytes.size() > m_limits.entryBytes)
        throw MoveInError(
            QStringLiteral("Файл «%1» больше %2 МБ.").arg(name).arg(m_limits.entryBytes >> 20));
    take(name, bytes);
}

// Nextcloud keeps full.jpg beside recipe.json, Mealie images/original.webp in the recipe's
// folder (older exports images/SLUG.jpg at the top); a picture with the recipe file's own
// name serves anywhere. Thumbnails never.
QString CollectionReader::photoFor(const QString& entry) const {
    const QString folder = folderOf(entry);
    const QString base = QFileInfo(entry).completeBaseName();
    QString best;
    int bestRank = 0;
    for (const QString& picture : m_pictures) {
        const QString pictureFolder = folderOf(picture);
        const QString pictureBase = QFileInfo(picture).completeBaseName().toLower();
        if (pictureBase.contains(QLatin1String("thumb")) ||
            pictureBase.contains(QLatin1String("min-")) ||
            pictureBase.contains(QLatin1String("tiny-")))
            continue;
        int rank = 0;
        const bool here = pictureFolder == folder;
        const bool inImages = pictureFolder == folder + QStringLiteral("/images") ||
                              (folder.isEmpty() && pictureFolder == QLatin1String("images"));
        const bool sameName = QFileInfo(picture).completeBaseName() == base;
        const bool topImages = pictureFolder.endsWith(QLatin1String("images")) &&
                               folderOf(pictureFolder) == folderOf(folder);
        if ((here || inImages || topImages) && sameName)
            rank = 4;
        else if ((here || inImages) &&
                 (pictureBase == QLatin1String("full") || pictureBase == QLatin1String("original")))
            rank = 3;
        else if ((here || inImages) && base == QLatin1String("recipe"))
            rank = 2;
        if (rank > bestRank) {
            bestRank = rank;
            best = picture;
        }
    }
    return best;
}

void CollectionReader::eachRecipe(const std::function<void(Incoming&&)>& take) {
    each([](const QString& name) { return !isClutter(name) && !isPicture(name); },
         [&](const QString& name, const QByteArray& bytes) {
             if (!mayHoldRecipes(name)) {
                 m_skipped.push_back({name, QStringLiteral("не рецепт")});
                 return;
             }
             std::vector<Incoming> recipes;
             try {
                 recipes = readEntry(name, bytes);
             } catch (const LimitPassed&) {
                 throw;
             } catch (const MoveInError& e) {
                 m_skipped.push_back({name, e.message()});
                 return;
             } catch (const intake::IntakeError& e) {
                 m_skipped.push_back({name, e.message()});
                 return;
             }
             for (Incoming& in : recipes) {
                 if (in.photo.isEmpty())
                     in.photoEntry = photoFor(name);
                 take(std::move(in));
             }
         });
}

void CollectionReader::eachEntry(const QSet<QString>& names, const Take& take) {
    if (names.isEmpty())
        return;
    each([&names](const QString& name) { return names.contains(name); }, take);
}

} // namespace movein
