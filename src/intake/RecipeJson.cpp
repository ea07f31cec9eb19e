// schema.org Recipe in JSON: a recipe file, or a page's JSON-LD.

#include "ReaderParts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace intake {

namespace reading {

QStringList lines(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString t = line.simplified();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

bool isRecipeType(const QJsonValue& type) {
    auto is = [](const QString& t) {
        return t == QLatin1String("Recipe") || t.endsWith(QLatin1String("/Recipe")) ||
               t == QLatin1String("schema:Recipe");
    };
    if (type.isString())
        return is(type.toString());
    if (type.isArray())
        for (const QJsonValue& t : type.toArray())
            if (t.isString() && is(t.toString()))
                return true;
    return false;
}

// Every object in a JSON value, at its top, in arrays and nested in other objects, in
// document order; visit returns false to keep out of an object's insides.
template <class Visit> void eachObject(const QJsonValue& value, Visit visit, int depth = 0) {
    if (depth > 64)
        return;
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            eachObject(v, visit, depth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    if (!visit(object))
        return;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it->isArray() || it->isObject())
            eachObject(*it, visit, depth + 1);
}

// Every Recipe object in a JSON value: at its top, in arrays, under "@graph", and nested in
// other objects ("mainEntity"), in document order.
void collectRecipes(const QJsonValue& value, std::vector<QJsonObject>& out) {
    eachObject(value, [&out](const QJsonObject& object) {
        if (!isRecipeType(object.value(QLatin1String("@type"))))
            return true;
        out.push_back(object);
        return false;
    });
}

void indexIds(const QJsonValue& value, IdIndex& ids) {
    eachObject(value, [&ids](const QJsonObject& object) {
        const QString id = object.value(QLatin1String("@id")).toString();
        if (!id.isEmpty() && object.size() > 1 && !ids.contains(id))
            ids.insert(id, object);
        return true;
    });
}

// The addresses of a recipe's image, in the order given: strings, arrays of them,
// ImageObjects' urls, and the objects their "@id" names.
void addImages(const QJsonValue& value, const IdIndex& ids, QStringList& out, int depth = 0) {
    if (depth > 8)
        return;
    if (value.isString()) {
        const QString address = value.toString().trimmed();
        if (!address.isEmpty() && !out.contains(address))
            out << address;
    } else if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            addImages(v, ids, out, depth + 1);
    } else if (value.isObject()) {
        const QJsonObject o = value.toObject();
        const qsizetype before = out.size();
        for (const char* key : {"url", "contentUrl"})
            addImages(o.value(QLatin1String(key)), ids, out, depth + 1);
        const auto named = ids.find(o.value(QLatin1String("@id")).toString());
        if (out.size() == before && named != ids.end() && *named != o)
            addImages(*named, ids, out, depth + 1);
    }
}

// Sites list one picture in several sizes; a thumbnail ("…-225x225.jpg") goes last.
void thumbnailsLast(QStringList& addresses) {
    static const QRegularExpression sized(QStringLiteral("\\b(\\d{2,4})x(\\d{2,4})\\b"));
    auto small = [](const QString& address) {
        const QRegularExpressionMatch m = sized.match(address);
        return m.hasMatch() && m.captured(1).toInt() < 400 && m.captured(2).toInt() < 400;
    };
    std::stable_partition(addresses.begin(), addresses.end(),
                          [&](const QString& a) { return !small(a); });
}

// Text of a JSON string: markup and entities read, twice where a site encoded them twice
// ("&amp;amp;").
QString decoded(const QString& text) {
    QString out = plainText(text);
    if (out.contains(QLatin1Char('&')) && out != text)
        out = plainText(out);
    return out;
}

QString jsonText(const QJsonValue& value) {
    if (value.isString())
        return decoded(value.toString()).simplified();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 6);
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        // An ingredient as a PropertyValue: name, value, unit.
        if (o.contains(QLatin1String("value")) && o.contains(QLatin1String("name"))) {
            QString amount = jsonText(o.value(QLatin1String("value")));
            if (const double v = amount.toDouble(); v > 0)
                amount = QString::number(v, 'g', 6);
            const QString unit = jsonText(o.contains(QLatin1String("unitText"))
                                              ? o.value(QLatin1String("unitText"))
                                              : o.value(QLatin1String("unitCode")));
            const QString quantity = QStringList{amount, unit}.join(QLatin1Char(' ')).trimmed();
            const QString name = jsonText(o.value(QLatin1String("name")));
            return quantity.isEmpty() || amount == QLatin1String("0")
                       ? name
                       : name + QStringLiteral(" — ") + quantity;
        }
        return jsonText(o.contains(QLatin1String("text")) ? o.value(QLatin1String("text"))
                                                          : o.value(QLatin1String("name")));
    }
    return {};
}

// Ingredients as sites give them: one string, an array of strings, objects, or arrays of
// those (groups).
void addIngredients(const QJsonValue& value, QStringList& out, int depth = 0) {
    if (depth > 8)
        return;
    if (value.isString()) {
        for (const QString& line : lines(decoded(value.toString())))
            out << line;
        return;
    }
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            addIngredients(v, out, depth + 1);
        return;
    }
    const QString line = jsonText(value);
    if (!line.isEmpty())
        out << line;
}

void addSteps(const QJsonValue& value, QStringList& method, int depth = 0) {
    if (depth > 16)
        return;
    if (value.isString()) {
        method << lines(plainText(value.toString()));
        return;
    }
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            addSteps(v, method, depth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject o = value.toObject();
    const QString type = o.value(QLatin1String("@type")).toString();
    if (type.endsWith(QLatin1String("HowToSection")) ||
        o.contains(QLatin1String("itemListElement"))) {
        const QString name = jsonText(o.value(QLatin1String("name")));
        if (!name.isEmpty())
            method << name;
        addSteps(o.value(QLatin1String("itemListElement")), method, depth + 1);
        return;
    }
    // A step's own line breaks keep its lines apart, as a step given as a string does.
    if (const QJsonValue text = o.value(QLatin1String("text")); text.isString()) {
        method << lines(decoded(text.toString()));
        return;
    }
    const QString text = jsonText(o);
    if (!text.isEmpty())
        method << text;
}

// A yield as sites give it: a number, a text, or a list of both ("4", "4 порции"), of which
// the one that says most is taken.
QString yieldText(const QJsonValue& value) {
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isArray()) {
        QString best;
        for (const QJsonValue& v : value.toArray())
            if (const QString t = yieldText(v); t.size() > best.size())
                best = t;
        return best;
    }
    return plainText(jsonText(value)).simplified();
}

ReadRecipe fromJson(const QJsonObject& recipe, const IdIndex& ids) {
    ReadRecipe out;
    out.title = jsonText(recipe.value(QLatin1String("name")));
    addImages(recipe.value(QLatin1String("image")), ids, out.images);
    thumbnailsLast(out.images);
    QJsonValue ingredients = recipe.value(QLatin1String("recipeIngredient"));
    if (ingredients.isUndefined())
        ingredients = recipe.value(QLatin1String("ingredients"));
    addIngredients(ingredients, out.ingredients);
    addSteps(recipe.value(QLatin1String("recipeInstructions")), out.method);
    out.yield = yieldText(recipe.value(QLatin1String("recipeYield")));
    return out;
}

QString severalNotice(size_t found) {
    return found > 1 ? QStringLiteral("В файле рецептов: %1; взят первый.").arg(found) : QString();
}

ReadRecipe firstOf(const std::vector<QJsonObject>& recipes, const IdIndex& ids) {
    ReadRecipe r = fromJson(recipes.front(), ids);
    r.notice = severalNotice(recipes.size());
    return r;
}

// A recipe with neither products nor a method is no recipe; one without either is read,
// and the preview says what is missing rather than storing a title alone unremarked.
void requireSomething(ReadRecipe& r, const QString& where) {
    if (r.ingredients.isEmpty() && r.method.isEmpty())
        throw IntakeError(r.title.isEmpty()
                              ? QStringLiteral("%1 нет рецепта").arg(where)
                              : QStringLiteral("%1 у рецепта «%2» нет ни списка продуктов, ни "
                                               "описания приготовления")
                                    .arg(where, r.title));
    QStringList missing;
    if (r.ingredients.isEmpty())
        missing << QStringLiteral("%1 нет списка продуктов").arg(where);
    if (r.method.isEmpty())
        missing << QStringLiteral("%1 нет описания приготовления").arg(where);
    if (!missing.isEmpty()) {
        missing.front()[0] = missing.front()[0].toUpper();
        const QString what = missing.join(QStringLiteral("; ")) + QLatin1Char('.');
        r.notice = r.notice.isEmpty() ? what : r.notice + QLatin1Char(' ') + what;
    }
}

} // namespace reading

using namespace reading;

ReadRecipe readJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        throw IntakeError(QStringLiteral("файл JSON повреждён (%1)").arg(error.errorString()));
    std::vector<QJsonObject> recipes;
    const QJsonValue top = doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
    collectRecipes(top, recipes);
    if (recipes.empty())
        throw IntakeError(QStringLiteral("в файле JSON нет рецепта (schema.org Recipe)"));
    IdIndex ids;
    indexIds(top, ids);
    ReadRecipe r = firstOf(recipes, ids);
    requireSomething(r, QStringLiteral("в файле JSON"));
    return r;
}

} // namespace intake
