#include "RecipeDocument.h"

#include "RtfText.h"
#include "data/Records.h"

#include <QStringList>

std::optional<RecipeContent> loadRecipeContent(Database& db, int recipeId) {
    CRecipesset recipe(db);
    if (!recipe.openFirst({"ID=?", recipeId}))
        return std::nullopt;
    RecipeContent content;
    content.name = recipe.Name;
    content.text = recipe.Recipe;
    recipe.close();

    CRecipeIngredientsFull lines(db);
    lines.setFilter({"ID=?", recipeId});
    lines.open();
    for (; !lines.isEOF(); lines.moveNext())
        content.lines.push_back({lines.Name, lines.Quantity, lines.Unit});
    return content;
}

QByteArray recipeRtf(const RecipeContent& recipe) {
    QByteArray doc;
    doc.reserve(256 + recipe.text.size() + qsizetype(recipe.lines.size()) * 32);
    doc += rtf::kDocumentHeader;
    doc += "{\\f0\\fs28\\b\\i ";
    rtf::appendText(doc, recipe.name);
    doc += "}\\par\\par";
    doc += "{\\f0\\fs16\\i ";
    for (const RecipeContent::Line& line : recipe.lines) {
        rtf::appendText(doc, line.product);
        if (!line.shown.isEmpty()) {
            doc += "\t ";
            rtf::appendText(doc, line.shown);
        } else if (line.quantity != 0) {
            doc += '\t';
            doc += ' ' + rtf::formatAmount(line.quantity) + ' ';
            rtf::appendText(doc, line.unit);
        }
        doc += "\\line";
    }
    doc += "}\\par";
    doc += "{\\f1\\fs22 ";
    // Each CR LF becomes a line break; a lone CR or LF stays as it is.
    const QStringList parts = recipe.text.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            doc += "\\line";
        rtf::appendText(doc, parts[i]);
    }
    doc += "}}";
    return doc;
}

QByteArray recipeRtf(Database& db, int recipeId) {
    std::optional<RecipeContent> content = loadRecipeContent(db, recipeId);
    return content ? recipeRtf(*content) : QByteArray();
}
