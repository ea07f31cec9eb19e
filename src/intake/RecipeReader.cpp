#include "RecipeReader.h"

#include "IngredientLine.h"
#include "data/WholeFile.h"
#include "photos/PhotoImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <gumbo.h>
#include <memory>
#include <vector>

namespace intake {

namespace {

// --- HTML, through the gumbo parser -------------------------------------------------

struct GumboDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};
using Parsed = std::unique_ptr<GumboOutput, GumboDeleter>;

// How deep the page's elements nest, counted on the bytes alone, up to limit: the parser
// spends time with every element in proportion to the depth it stands at, so a page of
// thousands of nested elements (a few hundred kilobytes) would keep it busy for minutes.
bool nestsDeeperThan(const QByteArray& html, int limit) {
    static const char* const kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    int depth = 0;
    const char* p = html.constData();
    const qsizetype n = html.size();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (p[i] != '<')
            continue;
        if (p[i + 1] == '/') {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (!isLetter(p[i + 1]))
            continue; // comments, doctypes, "a < b" in text
        qsizetype end = i + 1;
        while (end < n && (isLetter(p[end]) || (p[end] >= '0' && p[end] <= '9')))
            ++end;
        const QByteArrayView tag(p + i + 1, end - i - 1);
        bool isVoid = false;
        for (const char* v : kVoid)
            isVoid = isVoid || tag.compare(QByteArrayView(v), Qt::CaseInsensitive) == 0;
        if (isVoid)
            continue;
        const qsizetype close = html.indexOf('>', end);
        if (close > 0 && p[close - 1] == '/')
            continue; // <x/>
        if (++depth > limit)
            return true;
    }
    return false;
}

Parsed parseHtml(const QByteArray& html) {
    GumboOptions options = kGumboDefaultOptions;
    // Errors are not wanted, and recording each one copies the parser's state: with many
    // unclosed elements that alone would take gigabytes.
    options.max_errors = 0;
    return Parsed(gumbo_parse_with_options(&options, html.constData(), size_t(html.size())));
}

QString attribute(const GumboNode* node, const char* name) {
    if (node->type != GUMBO_NODE_ELEMENT)
        return {};
    const GumboAttribute* a = gumbo_get_attribute(&node->v.element.attributes, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

bool isBlock(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_SECTION:
        return true;
    default:
        return false;
    }
}

// The text below a node, blocks on lines of their own; with breaksOnly, only <br> starts a
// line and the rest of the markup is one run of text. The tree is walked with a stack of
// its own: however deep a page nests, no call stack runs out.
QString textOf(const GumboNode* root, bool breaksOnly = false) {
    QString out;
    std::vector<std::pair<const GumboNode*, bool>> stack{{root, false}}; // node, leaving
    while (!stack.empty()) {
        auto [node, leaving] = stack.back();
        stack.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
            node->type == GUMBO_NODE_CDATA) {
            QString text = QString::fromUtf8(node->v.text.text);
            if (breaksOnly)
                text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            out += text;
            continue;
        }
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT)
            continue;
        const GumboVector* children = node->type == GUMBO_NODE_ELEMENT ? &node->v.element.children
                                                                       : &node->v.document.children;
        const bool element = node->type == GUMBO_NODE_ELEMENT;
        const bool block = element && (breaksOnly ? node->v.element.tag == GUMBO_TAG_BR
                                                  : isBlock(node->v.element.tag));
        if (leaving) {
            if (block)
                out += QLatin1Char('\n');
            else if (breaksOnly && element && isBlock(node->v.element.tag))
                out += QLatin1Char(' ');
            continue;
        }
        if (node->type == GUMBO_NODE_ELEMENT &&
            (node->v.element.tag == GUMBO_TAG_SCRIPT || node->v.element.tag == GUMBO_TAG_STYLE))
            continue;
        if (block)
            out += QLatin1Char('\n');
        stack.push_back({node, true});
        for (unsigned i = children->length; i > 0; --i)
            stack.push_back({static_cast<const GumboNode*>(children->data[i - 1]), false});
    }
    return out;
}

// Every element below root, in document order.
template <class Visit> void eachElement(const GumboNode* root, Visit visit) {
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT)
            continue;
        if (node->type == GUMBO_NODE_ELEMENT && !visit(node))
            continue; // the visitor took this element whole
        const GumboVector* children = node->type == GUMBO_NODE_ELEMENT ? &node->v.element.children
                                                                       : &node->v.document.children;
        for (unsigned i = children->length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
    }
}

QStringList lines(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString t = line.simplified();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

// --- schema.org Recipe in JSON ------------------------------------------------------

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

// Objects of a JSON-LD graph by their "@id": a recipe's image is often one of them, named
// only by its id ({"@id": ".../#primaryimage"}).
using IdIndex = QHash<QString, QJsonObject>;

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
    const QString text = jsonText(o);
    if (!text.isEmpty())
        method << text;
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

// --- microdata ----------------------------------------------------------------------

bool isRecipeScope(const GumboNode* node) {
    return node->type == GUMBO_NODE_ELEMENT &&
           gumbo_get_attribute(&node->v.element.attributes, "itemscope") &&
           attribute(node, "itemtype").contains(QLatin1String("schema.org/Recipe"));
}

// A property's value: a <meta>'s content, else the element's text.
QString propertyText(const GumboNode* node) {
    if (node->v.element.tag == GUMBO_TAG_META)
        return decoded(attribute(node, "content"));
    return textOf(node);
}

ReadRecipe fromMicrodata(const GumboNode* scope) {
    ReadRecipe out;
    eachElement(scope, [&](const GumboNode* node) {
        if (node != scope && isRecipeScope(node))
            return false; // a recipe inside the recipe is another one
        const QString prop = attribute(node, "itemprop");
        if (prop == QLatin1String("name") && out.title.isEmpty()) {
            out.title = propertyText(node).simplified();
            return false;
        }
        if (prop == QLatin1String("recipeIngredient") || prop == QLatin1String("ingredients")) {
            // Some sites put every line in one element, a <br> between them.
            out.ingredients << lines(node->v.element.tag == GUMBO_TAG_META ? propertyText(node)
                                                                           : textOf(node, true));
            return false;
        }
        if (prop == QLatin1String("recipeInstructions")) {
            out.method << lines(propertyText(node));
            return false;
        }
        if (prop == QLatin1String("image")) {
            // A lazily loaded picture keeps its real address aside, a placeholder in src.
            for (const char* where : {"data-src", "data-lazy-src", "src", "content", "href"})
                if (const QString address = attribute(node, where).trimmed(); !address.isEmpty()) {
                    out.images << address;
                    return false;
                }
        }
        return true;
    });
    return out;
}

} // namespace

QString plainText(const QString& html) {
    if (!html.contains(QLatin1Char('<')) && !html.contains(QLatin1Char('&')))
        return html;
    const QByteArray bytes = html.toUtf8();
    if (nestsDeeperThan(bytes, 500))
        return html.simplified();
    const Parsed parsed = parseHtml(bytes);
    return textOf(parsed->root).trimmed();
}

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

namespace {

// The recipes a parsed page declares: its JSON-LD blocks, in order, and its microdata
// recipe scopes.
struct Declared {
    std::vector<QJsonObject> recipes;
    std::vector<const GumboNode*> scopes;
    IdIndex ids;
    QString shareImage; // the picture the page gives for sharing it (og:image)
};

Declared declaredIn(const GumboNode* root) {
    Declared out;
    eachElement(root, [&](const GumboNode* node) {
        if (node->v.element.tag == GUMBO_TAG_SCRIPT &&
            attribute(node, "type").trimmed().toLower() == QLatin1String("application/ld+json")) {
            QByteArray json; // a script's text is its text children as they stand
            const GumboVector& children = node->v.element.children;
            for (unsigned i = 0; i < children.length; ++i) {
                auto child = static_cast<const GumboNode*>(children.data[i]);
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
                    json += child->v.text.text;
            }
            const QJsonDocument doc = QJsonDocument::fromJson(json);
            if (!doc.isNull()) {
                const QJsonValue top =
                    doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
                collectRecipes(top, out.recipes);
                indexIds(top, out.ids);
            }
            return false;
        }
        if (isRecipeScope(node)) {
            out.scopes.push_back(node);
            return false;
        }
        if (node->v.element.tag == GUMBO_TAG_META && out.shareImage.isEmpty() &&
            attribute(node, "property") == QLatin1String("og:image"))
            out.shareImage = attribute(node, "content").trimmed();
        return true;
    });
    return out;
}

ReadRecipe fromDeclared(const Declared& found) {
    ReadRecipe r;
    if (!found.recipes.empty()) {
        r = firstOf(found.recipes, found.ids);
    } else if (!found.scopes.empty()) {
        r = fromMicrodata(found.scopes.front());
        r.notice = severalNotice(found.scopes.size());
    } else {
        throw IntakeError(QStringLiteral("на странице нет рецепта в разметке schema.org "
                                         "(JSON-LD или микроданные)"));
    }
    requireSomething(r, QStringLiteral("на странице"));
    // A recipe without a picture of its own is shown by the page's picture.
    if (!found.shareImage.isEmpty() && !r.images.contains(found.shareImage))
        r.images << found.shareImage;
    return r;
}

} // namespace

ReadRecipe readHtml(const QByteArray& html) {
    if (nestsDeeperThan(html, 500))
        throw IntakeError(QStringLiteral("страница устроена слишком сложно: элементы вложены "
                                         "друг в друга больше 500 раз"));
    // Cooking sites put the recipe's JSON-LD in the page's head; the rest of a saved page
    // (comments, advertisements) is most of its megabytes and most of the parsing time. So
    // the head is read first, and the whole page only when the head declares no recipe.
    const qsizetype headEnd =
        html.indexOf("</head>") >= 0 ? html.indexOf("</head>") : html.indexOf("</HEAD>");
    if (headEnd > 0 && headEnd < html.size() / 2) {
        const Parsed head = parseHtml(html.left(headEnd));
        const Declared inHead = declaredIn(head->root);
        if (!inHead.recipes.empty())
            return fromDeclared(inHead);
    }
    const Parsed parsed = parseHtml(html);
    return fromDeclared(declaredIn(parsed->root));
}

ReadRecipe readText(const QString& text) {
    QStringList all;
    for (const QString& line : text.left(int(kMaxIntakeBytes)).split(QLatin1Char('\n')))
        all << line.simplified();
    ReadRecipe r;
    qsizetype i = 0;
    while (i < all.size() && all[i].isEmpty())
        ++i;
    if (i == all.size())
        throw IntakeError(QStringLiteral("текст пуст"));
    r.title = all[i++];
    static const QRegularExpression ingredientsHeading(
        QStringLiteral("^(ингредиенты|продукты|состав|вам понадобится)\\s*:?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression methodHeading(
        QStringLiteral("^(приготовление|способ приготовления|как приготовить|рецепт|шаги|"
                       "инструкция)\\s*:?$"),
        QRegularExpression::CaseInsensitiveOption);
    // Where the ingredients start: after their heading, else at once.
    qsizetype start = i;
    for (qsizetype j = i; j < all.size(); ++j)
        if (ingredientsHeading.match(all[j]).hasMatch()) {
            start = j + 1;
            break;
        }
    const bool headed = start != i;
    qsizetype j = start;
    for (; j < all.size(); ++j) {
        const QString& line = all[j];
        if (methodHeading.match(line).hasMatch()) {
            ++j;
            break;
        }
        if (line.isEmpty()) {
            if (!r.ingredients.isEmpty())
                break;
            continue;
        }
        // Without a heading, ingredients are the lines that read as ingredient lines.
        const ParsedLine parsed = parseLine(line);
        if (!headed && parsed.amount == 0 && parsed.unit.isEmpty())
            break;
        r.ingredients << line;
    }
    for (; j < all.size(); ++j)
        if (!all[j].isEmpty() && !methodHeading.match(all[j]).hasMatch())
            r.method << all[j];
    if (r.ingredients.isEmpty() && r.method.isEmpty())
        throw IntakeError(QStringLiteral("в тексте нет ни продуктов, ни описания"));
    // A text of which no line reads as a product with its amount is no recipe (a README,
    // a letter): refused, as a page without a recipe is.
    const bool anyIngredient =
        std::any_of(r.ingredients.begin(), r.ingredients.end(), [](const QString& line) {
            const ParsedLine p = parseLine(line);
            return p.amount > 0 || !p.unit.isEmpty();
        });
    // Under an ingredients heading the lines are products even when none says how much.
    if (!anyIngredient && !(headed && !r.ingredients.isEmpty()))
        throw IntakeError(QStringLiteral("это не похоже на рецепт: ни одна строка текста не "
                                         "читается как продукт с количеством"));
    return r;
}

namespace {

// A picture given as bare base64, as recipe programs write it into their JSON.
QByteArray fromBareBase64(const QString& text) {
    static const QRegularExpression base64(QStringLiteral("^[A-Za-z0-9+/\\s]{64,}={0,2}$"));
    if (!base64.match(text).hasMatch())
        return {};
    QByteArray compact = text.toLatin1();
    compact.replace('\n', "").replace('\r', "").replace(' ', "");
    const auto decoded = QByteArray::fromBase64Encoding(
        compact, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

// A file in folder or below it, read whole when it may be a photo. A page names any path it
// likes ("../../.ssh/id_rsa"); nothing outside the folder it was saved in is read.
QByteArray fileWithin(const QDir& folder, const QString& relative) {
    const QFileInfo info(folder.filePath(relative));
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !info.isFile() || info.size() > photos::kMaxFileBytes ||
        !canonical.startsWith(folder.canonicalPath() + QLatin1Char('/')))
        return {};
    QFile file(canonical);
    return file.open(QIODevice::ReadOnly) ? file.read(photos::kMaxFileBytes) : QByteArray();
}

// The photo a recipe file names, where it can be had without the network: in the file
// itself, or saved beside it.
void attachPhoto(ReadRecipe& r, const QFileInfo& recipeFile, bool json) {
    const QDir folder = recipeFile.absoluteDir();
    const QString base = recipeFile.completeBaseName();
    QStringList candidates;
    for (const QString& image : r.images) {
        const bool dataUrl = image.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
        if (dataUrl || (json && !image.contains(QLatin1Char('.')))) {
            r.photo = dataUrl ? fromDataUrl(image) : fromBareBase64(image);
            if (!r.photo.isEmpty()) {
                r.photoSource = recipeFile.fileName();
                return;
            }
            continue;
        }
        const QUrl url(image);
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
            // A browser saving a page whole keeps its pictures in NAME_files, under their
            // own file names, and leaves the addresses in the markup as they were.
            const QString name = url.fileName(QUrl::FullyDecoded);
            if (!name.isEmpty())
                candidates << base + QStringLiteral("_files/") + name
                           << base + QStringLiteral(".files/") + name << name;
        } else if (url.isLocalFile()) {
            candidates << folder.relativeFilePath(url.toLocalFile());
        } else if (url.scheme().isEmpty()) {
            candidates << QUrl::fromPercentEncoding(image.section(QLatin1Char('?'), 0, 0).toUtf8());
        }
    }
    if (json)
        for (const char* suffix : {".jpg", ".jpeg", ".png", ".webp"})
            candidates << base + QLatin1String(suffix);
    for (const QString& candidate : candidates) {
        r.photo = fileWithin(folder, candidate);
        if (!r.photo.isEmpty()) {
            r.photoSource = QFileInfo(candidate).fileName();
            return;
        }
    }
}

} // namespace

// The bytes of a data: address ("data:image/jpeg;base64,/9j/…").
QByteArray fromDataUrl(const QString& url) {
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    const QByteArray payload = url.mid(comma + 1).toLatin1();
    if (!url.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
        return QByteArray::fromPercentEncoding(payload);
    const auto decoded = QByteArray::fromBase64Encoding(
        payload, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

// Pages saved on Russian systems may be in code page 1251: as UTF-8 they would read as
// "����". Bytes that are not UTF-8 are read as 1251 and handed on as UTF-8.
QByteArray readBytesAsUtf8(const QByteArray& bytes) {
    QByteArray utf8 = bytes;
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8.remove(0, 3);
    if (!QByteArrayView(utf8).isValidUtf8())
        utf8 = QString(QStringDecoder("windows-1251").decode(utf8)).toUtf8();
    return utf8;
}

namespace {

enum class Kind { Json, Page, Text };

Kind kindOf(const QByteArray& utf8, const QString& suffix) {
    const QByteArray head = utf8.left(512).trimmed().toLower();
    const bool markup = head.startsWith("<!doctype") || head.startsWith("<html") ||
                        head.startsWith("<!--") || head.startsWith("<head") ||
                        head.startsWith("<meta") || head.startsWith("<?xml");
    if (suffix == QLatin1String("json") ||
        (suffix != QLatin1String("txt") && (head.startsWith('{') || head.startsWith('['))))
        return Kind::Json;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm") || markup)
        return Kind::Page;
    return Kind::Text;
}

ReadRecipe readAs(Kind kind, const QByteArray& utf8) {
    switch (kind) {
    case Kind::Json:
        return readJson(utf8);
    case Kind::Page:
        return readHtml(utf8);
    case Kind::Text:
        break;
    }
    return readText(QString::fromUtf8(utf8));
}

} // namespace

ReadRecipe readBytes(const QByteArray& bytes, const QString& fileName) {
    const QByteArray utf8 = readBytesAsUtf8(bytes);
    return readAs(kindOf(utf8, QFileInfo(fileName).suffix().toLower()), utf8);
}

ReadRecipe readFile(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    auto cannot = [&](const QString& why) {
        return IntakeError(
            QStringLiteral("Не могу прочитать рецепт из файла %1: %2").arg(name, why));
    };
    if (!info.exists())
        throw cannot(QStringLiteral("файла нет"));
    if (!info.isFile())
        throw cannot(QStringLiteral("это не обычный файл"));
    if (info.size() > kMaxIntakeBytes)
        throw cannot(QStringLiteral("файл больше %1 МБ").arg(kMaxIntakeBytes >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannot(fileError(file));
    const QByteArray bytes = file.read(kMaxIntakeBytes + 1);
    if (bytes.size() > kMaxIntakeBytes)
        throw cannot(QStringLiteral("файл больше %1 МБ").arg(kMaxIntakeBytes >> 20));
    const QByteArray utf8 = readBytesAsUtf8(bytes);
    const Kind kind = kindOf(utf8, info.suffix().toLower());
    ReadRecipe r;
    try {
        r = readAs(kind, utf8);
    } catch (const IntakeError& e) {
        throw cannot(e.message());
    }
    if (kind == Kind::Text)
        return r;
    const bool json = kind == Kind::Json;
    attachPhoto(r, info, json);
    return r;
}

} // namespace intake
