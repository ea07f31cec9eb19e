// Recipes in web pages: JSON-LD in the page, or microdata, through the gumbo parser.

#include "ReaderParts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <gumbo.h>
#include <memory>

namespace intake {

using namespace reading;

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
        if (prop == QLatin1String("recipeYield") && out.yield.isEmpty()) {
            out.yield = propertyText(node).simplified();
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

// --- lists the markup leaves out ------------------------------------------------------
// Some pages declare a recipe with its title and method but keep its products in the page's
// own list: under a heading that names them, or in an element whose class does.

bool hiddenElement(const GumboNode* node) {
    QString style = attribute(node, "style").toLower();
    style.remove(QLatin1Char(' '));
    return style.contains(QLatin1String("display:none")) ||
           gumbo_get_attribute(&node->v.element.attributes, "hidden") != nullptr;
}

// A page's menus, header and footer hold lists that are never a recipe's.
bool outsideContent(GumboTag tag) {
    return tag == GUMBO_TAG_NAV || tag == GUMBO_TAG_HEADER || tag == GUMBO_TAG_FOOTER ||
           tag == GUMBO_TAG_ASIDE;
}

int headingLevel(GumboTag tag) {
    return tag >= GUMBO_TAG_H1 && tag <= GUMBO_TAG_H6 ? int(tag - GUMBO_TAG_H1) + 1 : 0;
}

bool namesIngredients(const QString& text) {
    static const QRegularExpression words(
        QStringLiteral("^\\W*(ингредиент|состав\\b|продукты\\b|(вам |нам )?понадобится|что нужно|"
                       "ingredient|zutaten|ingrédient|ingrediënt|składnik|ingrediens)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return text.size() <= 60 && words.match(text).hasMatch();
}

bool classNamesIngredients(const GumboNode* node) {
    const QString names =
        (attribute(node, "class") + QLatin1Char(' ') + attribute(node, "id")).toLower();
    return names.contains(QLatin1String("ingredient")) &&
           !names.contains(QLatin1String("method")) &&
           !names.contains(QLatin1String("instruction")) &&
           !names.contains(QLatin1String("direction")) && !names.contains(QLatin1String("step"));
}

// The lines of a list, each item that holds no list of its own: an item that does is a
// group's name ("Для соуса"), not a product.
void collectItems(const GumboNode* root, QStringList& out) {
    eachElement(root, [&](const GumboNode* node) {
        if (hiddenElement(node))
            return false;
        if (node->v.element.tag != GUMBO_TAG_LI)
            return true;
        // One walk of the item finds a list inside it and the text of its links: an item that
        // is one link is a menu's, a share button's or a path's, never a line.
        bool holdsList = false;
        QString linked;
        eachElement(node, [&](const GumboNode* inner) {
            if (holdsList)
                return false;
            if (inner != node && inner->v.element.tag == GUMBO_TAG_LI) {
                holdsList = true;
                return false;
            }
            if (inner->v.element.tag != GUMBO_TAG_A)
                return true;
            linked += textOf(inner);
            return false;
        });
        if (holdsList)
            return true;
        const QString line = textOf(node).simplified();
        if (!line.isEmpty() && line != linked.simplified())
            out << line;
        return false;
    });
}

bool namesMethod(const QString& text) {
    static const QRegularExpression words(
        QStringLiteral("^\\W*(как приготовить|приготовление|способ приготовления|пошагов|инструкци|"
                       "instructions|directions|method|preparation|steps|zubereitung|préparation|"
                       "bereiding|preparazione|preparación|przygotowanie)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return text.size() <= 60 && words.match(text).hasMatch();
}

// The items of the lists after the first heading that names them, up to the next heading as
// high.
// With prose, the paragraphs there count when no list does: a method is often written so.
QStringList itemsUnderHeading(const GumboNode* root, bool (*names)(const QString&),
                              bool prose = false) {
    QStringList out, paragraphs;
    int level = 0;
    bool done = false;
    eachElement(root, [&](const GumboNode* node) {
        if (done || hiddenElement(node) || outsideContent(node->v.element.tag))
            return false;
        const int h = headingLevel(node->v.element.tag);
        if (h > 0 && h <= level) {
            // A heading whose lists gave nothing: the next one that names them is tried.
            done = !out.isEmpty() || !paragraphs.isEmpty();
            level = 0;
        }
        if (level == 0) {
            if (h > 0 && names(textOf(node).simplified()))
                level = h;
            return h == 0;
        }
        if (node->v.element.tag == GUMBO_TAG_UL || node->v.element.tag == GUMBO_TAG_OL) {
            collectItems(node, out);
            return false;
        }
        if (prose && node->v.element.tag == GUMBO_TAG_P) {
            paragraphs << lines(textOf(node, true));
            return false;
        }
        return true;
    });
    return out.isEmpty() ? paragraphs : out;
}

QStringList listedIngredients(const GumboNode* root) {
    QStringList out = itemsUnderHeading(root, namesIngredients);
    if (!out.isEmpty())
        return out;
    // Else the first list inside an element named for the products, with every list of the
    // outermost such element around it: a recipe's groups are lists side by side.
    const GumboNode* container = nullptr;
    eachElement(root, [&](const GumboNode* node) {
        if (container || hiddenElement(node) || outsideContent(node->v.element.tag))
            return false;
        if (node->v.element.tag != GUMBO_TAG_UL && node->v.element.tag != GUMBO_TAG_OL)
            return true;
        const GumboNode* named = node;
        for (int up = 0; named && named->type == GUMBO_NODE_ELEMENT && up < 4; ++up) {
            if (classNamesIngredients(named))
                break;
            named = named->parent;
        }
        if (!named || named->type != GUMBO_NODE_ELEMENT || !classNamesIngredients(named))
            return true;
        while (named->parent && named->parent->type == GUMBO_NODE_ELEMENT &&
               classNamesIngredients(named->parent))
            named = named->parent;
        container = named;
        return false;
    });
    if (container)
        collectItems(container, out);
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

// The page's own name for what it shows: its first top heading, else the title it gives
// for sharing, else its window title.
QString pageTitle(const GumboNode* root) {
    QString h1, shared, window;
    eachElement(root, [&](const GumboNode* node) {
        const GumboTag tag = node->v.element.tag;
        if (tag == GUMBO_TAG_H1 && h1.isEmpty())
            h1 = textOf(node).simplified();
        else if (tag == GUMBO_TAG_META && attribute(node, "property") == QLatin1String("og:title"))
            shared = attribute(node, "content").simplified();
        else if (tag == GUMBO_TAG_TITLE && window.isEmpty())
            window = textOf(node).simplified();
        return tag != GUMBO_TAG_H1 && tag != GUMBO_TAG_TITLE;
    });
    return !h1.isEmpty() ? h1 : !shared.isEmpty() ? shared : window;
}

// What every recipe read from a page ends with: something to store, and a picture.
ReadRecipe completed(ReadRecipe r, const Declared& found) {
    requireSomething(r, QStringLiteral("на странице"));
    // A recipe without a picture of its own is shown by the page's picture.
    if (!found.shareImage.isEmpty() && !r.images.contains(found.shareImage))
        r.images << found.shareImage;
    return r;
}

// page: the whole page's tree, where the products may be listed outside the markup.
ReadRecipe fromDeclared(const Declared& found, const GumboNode* page) {
    ReadRecipe r;
    if (!found.recipes.empty()) {
        r = firstOf(found.recipes, found.ids);
    } else if (!found.scopes.empty()) {
        r = fromMicrodata(found.scopes.front());
        r.notice = severalNotice(found.scopes.size());
    } else if (QStringList listed = listedIngredients(page); listed.size() >= 2) {
        // No markup, but the page lists its products under a heading: read as a cook
        // reads it, and said so, since nothing on the page vouches for it.
        r.title = pageTitle(page);
        r.ingredients = listed;
        r.notice = QStringLiteral("На странице нет разметки рецепта: продукты и шаги прочитаны "
                                  "по заголовкам страницы, проверьте их.");
    } else {
        throw IntakeError(QStringLiteral("на странице нет рецепта в разметке schema.org "
                                         "(JSON-LD или микроданные)"));
    }
    if (r.ingredients.isEmpty())
        r.ingredients = listedIngredients(page);
    if (r.method.isEmpty())
        r.method = itemsUnderHeading(page, namesMethod, true);
    return completed(std::move(r), found);
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
        // A head's recipe without products or method sends the whole page to be read for
        // its lists.
        if (!inHead.recipes.empty()) {
            ReadRecipe first = firstOf(inHead.recipes, inHead.ids);
            if (!first.ingredients.isEmpty() && !first.method.isEmpty())
                return completed(std::move(first), inHead);
        }
    }
    const Parsed parsed = parseHtml(html);
    return fromDeclared(declaredIn(parsed->root), parsed->root);
}

} // namespace intake
