#include "recipes/RecipeDocument.h"
#include "data/Records.h"
#include "recipes/CRView.h"
#include "recipes/RtfReader.h"
#include "recipes/RtfText.h"
#include "support/TestDb.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray cp(const char* utf8) {
    return rtf::toCp1251(QString::fromUtf8(utf8));
}

const QByteArray kHeader = "{\\rtf0\\ansi{\\fonttbl{\\f0\\fswiss Arial;\\f1\\froman Times New "
                           "Roman;}}";

struct Stored {
    QString product;
    float quantity;
    QString unit;
};

RecipeContent recipe(const char* name, std::vector<Stored> stored, const char* text) {
    std::vector<RecipeContent::Line> lines;
    for (const Stored& s : stored)
        lines.push_back({s.product, s.quantity, s.unit, {}});
    return {QString::fromUtf8(name), std::move(lines), QString::fromUtf8(text)};
}

QString readBack(const QByteArray& doc) {
    QTextDocument d;
    readRtf(doc, &d);
    return d.toPlainText();
}

} // namespace

TEST(RecipeDocument, BlinyExampleIsByteForByte) {
    RecipeContent r = recipe("Блины", {{"Мука", 200, "г"}, {"Соль", 0, "г"}}, "Смешать\r\nЖарить");
    QByteArray expected = kHeader + "{\\f0\\fs28\\b\\i " + cp("Блины") + "}\\par\\par" +
                          "{\\f0\\fs16\\i " + cp("Мука") + "\t 200 " + cp("г") + "\\line" +
                          cp("Соль") + "\\line" + "}\\par" + "{\\f1\\fs22 " + cp("Смешать") +
                          "\\line" + cp("Жарить") + "}}";
    EXPECT_EQ(recipeRtf(r), expected);
}

TEST(RecipeDocument, AmountsEmptyPartsAndLineBreaks) {
    auto products = [](float q) {
        QByteArray doc = recipeRtf(recipe("Т", {{"Мука", q, "г"}}, ""));
        int start = doc.indexOf("\\fs16\\i ") + 8;
        return doc.mid(start, doc.indexOf("\\line", start) - start);
    };
    EXPECT_EQ(products(200), cp("Мука") + "\t 200 " + cp("г"));
    EXPECT_EQ(products(0.5f), cp("Мука") + "\t 0.5 " + cp("г"));
    EXPECT_EQ(products(0.1f), cp("Мука") + "\t 0.1 " + cp("г"));
    EXPECT_EQ(products(1.0f / 3), cp("Мука") + "\t 0.333333 " + cp("г"));
    // Three exponent digits, as other copies of the program write them.
    EXPECT_EQ(products(1e6f), cp("Мука") + "\t 1e+006 " + cp("г"));
    EXPECT_EQ(products(0.00001f), cp("Мука") + "\t 1e-005 " + cp("г"));
    EXPECT_EQ(products(-2.5e-7f), cp("Мука") + "\t -2.5e-007 " + cp("г"));
    EXPECT_EQ(products(0), cp("Мука"));

    QByteArray empty = recipeRtf(recipe("Т", {}, ""));
    EXPECT_TRUE(empty.contains("{\\f0\\fs16\\i }\\par"));
    EXPECT_TRUE(empty.endsWith("{\\f1\\fs22 }}"));

    QByteArray breaks = recipeRtf(recipe("Т", {}, "а\r\n\r\nб\rв\nг"));
    EXPECT_TRUE(breaks.endsWith("{\\f1\\fs22 " + cp("а") + "\\line\\line" + cp("б") + "\r" +
                                cp("в") + "\n" + cp("г") + "}}"));
}

TEST(RecipeDocument, TextThatLooksLikeMarkupReadsBackAsTyped) {
    RecipeContent r = recipe("Торт {\"Наполеон\"} \\ 1",
                             {{"Мука", 0, QString()},
                              {"Egg", 2, "pcs"},
                              {"2 ложки мёда", 0, QString()},
                              {"-соль", 0, QString()},
                              {" перец", 0, QString()},
                              {"Васаби 山葵 😀", 1, "ч.л."}},
                             "Step 1: {mix}\r\n200 g \\ C:\\temp\r\n- done");
    QByteArray doc = recipeRtf(r);
    EXPECT_TRUE(doc.contains("\\line Egg\t 2 pcs\\line 2 "));
    EXPECT_TRUE(doc.contains("\\{mix\\}"));
    EXPECT_TRUE(doc.contains("\\u23665?\\u-31627?"));
    const QString text = readBack(doc);
    // (Plain text shows line breaks as new lines.)
    EXPECT_EQ(text, QStringLiteral("Торт {\"Наполеон\"} \\ 1\n\nМука\nEgg\t 2 pcs\n"
                                   "2 ложки мёда\n-соль\n перец\n"
                                   "Васаби 山葵 😀\t 1 ч.л.\n\n"
                                   "Step 1: {mix}\n200 g \\ C:\\temp\n- done"));
}

// How a piece of text is drawn: size, then b(old), i(talic), u(nderlined), then the font.
QString styleOf(QTextDocument& d, const QString& text) {
    const QTextCharFormat f = d.find(text).charFormat();
    return QStringLiteral("%1%2%3%4 %5")
        .arg(f.fontPointSize())
        .arg(f.fontWeight() == int(QFont::Bold) ? "b" : "")
        .arg(f.fontItalic() ? "i" : "")
        .arg(f.fontUnderline() ? "u" : "")
        .arg(f.fontFamilies().toStringList().value(0));
}

TEST(RtfReader, StylesLandOnTheRightCharacters) {
    QTextDocument d;
    readRtf(recipeRtf(recipe("Борщ", {{"Свёкла", 1, "шт"}}, "Варить")), &d);
    EXPECT_EQ(styleOf(d, "Борщ"), "14bi Arial");
    EXPECT_EQ(styleOf(d, "Свёкла"), "8i Arial");
    EXPECT_EQ(styleOf(d, "Варить"), "11 Times New Roman");

    // The menu list's headings: bold italic underlined 11 pt; \b0, \ulnone and \plain end them.
    QTextDocument h;
    readRtf("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\f0\\fs22\\b\\i\\ul Heading}\\par "
            "{\\f0\\b Bold\\b0  plain\\ul  under\\ulnone  off\\b\\i\\ul  loud\\plain  quiet}}",
            &h);
    QStringList styles;
    for (const char* word : {"Heading", "plain", "under", "off", "loud", "quiet"})
        styles << styleOf(h, QString::fromLatin1(word));
    EXPECT_EQ(styles, (QStringList{"11biu Arial", "12 Arial", "12u Arial", "12 Arial",
                                   "12biu Arial", "12 Arial"}));
}

TEST(RtfReader, SkipsWhatItDoesNotKnowWithoutLosingText) {
    QByteArray doc = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}"
                     "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator Writer 1.0;}"
                     "\\viewkind4\\uc1\\pard\\sa200\\lang1049 "
                     "\xcc\xf3\xea\xe0\tA\\tab B\\'e0\\'C1 \\u1071?x\\uc2\\u1070ab\\emdash\\~"
                     "\\par\\highlight1 end\\unknownword123  \\{\\}\\\\}";
    EXPECT_EQ(readBack(doc), "Мука\tA\tBаБ Яx\u042e\u2014 \nend {}\\");
    // Broken documents give what text they have, never a crash.
    EXPECT_EQ(readBack("{\\rtf1 unclosed {group \\'4"), "unclosed group ");
    EXPECT_EQ(readBack("}}}{{{\\"), QString());
}

TEST(RecipeView, ShowsRecipesAndBlanksForMissingOnes) {
    TestDb t;
    const int r = t.recipe("Щи", {{"Капуста", 0.5f, "кг"}}, 0, "Варить");
    CRView view(t.db);
    EXPECT_EQ(view.CurrentRecipeId(), 0);
    EXPECT_TRUE(view.ShowRecipe(r));
    EXPECT_EQ(view.CurrentRecipeId(), r);
    EXPECT_TRUE(view.toPlainText().startsWith("Щи"));
    EXPECT_TRUE(view.toPlainText().contains("Капуста\t 0.5 кг"));
    EXPECT_EQ(view.documentRtf(), recipeRtf(t.db, r));
    EXPECT_TRUE(view.isReadOnly());

    EXPECT_FALSE(view.ShowRecipe(r + 100));
    EXPECT_EQ(view.CurrentRecipeId(), r + 100);
    EXPECT_TRUE(view.toPlainText().isEmpty());
    view.ShowRecipe(r);
    EXPECT_FALSE(view.ShowRecipe(0));
    EXPECT_EQ(view.CurrentRecipeId(), 0);
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

TEST(RecipeView, AmountsStartInOneColumnWhateverTheNamesLength) {
    TestDb t;
    const int r = t.recipe("Пирог", {{"Соль", 1, "г"},
                                     {"Мука пшеничная высшего сорта для выпечки", 200, "г"},
                                     {"Яйцо", 2, "г"}});
    CRView view(t.db);
    view.ShowRecipe(r);
    // A copy, as printing lays it out: the tab stop must travel with the document.
    std::unique_ptr<QTextDocument> doc(view.document()->clone());
    doc->setTextWidth(2000);
    doc->size(); // lays it out
    std::vector<qreal> amountX;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype i = text.indexOf('\t'); i >= 0; i = text.indexOf('\t', i + 1)) {
            const QTextLine line = block.layout()->lineForTextPosition(int(i + 1));
            ASSERT_TRUE(line.isValid());
            amountX.push_back(line.cursorToX(int(i + 1)));
        }
    }
    ASSERT_EQ(amountX.size(), 3u);
    EXPECT_EQ(amountX[0], amountX[1]);
    EXPECT_EQ(amountX[2], amountX[1]);
}
