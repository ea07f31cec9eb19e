// Recipes in web pages: JSON-LD in the page, or microdata, through the gumbo parser.

#include "ReaderParts.h"

#include <QJsonArray>
#include <QJsonDocument>
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

} // namespace intake
