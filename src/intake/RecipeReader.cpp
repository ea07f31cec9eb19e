#include "RecipeReader.h"

#include "IngredientLine.h"
#include "data/WholeFile.h"
#include "photos/PhotoImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <vector>

namespace intake {

ReadRecipe readText(const QString& text) {
    QStringList all;
    for (const QString& line : text.left(int(kMaxIntakeBytes)).split(QLatin1Char('\n')))
        all << line.simplified();
    ReadRecipe r;
    // "на 4 порции", "на 6-8 персон": the servings, on a line of their own or in a heading.
    static const QString servingsPhrase = QStringLiteral(
        "на\\s+\\d+(?:\\s*[-–]\\s*\\d+)?\\s+(?:порци\\w*|персон\\w*|человек\\w*|едок\\w*)");
    // "Порций: 4" or "На 4 порции" on a line of its own says the yield, wherever it stands.
    static const QRegularExpression yieldLine(
        QStringLiteral("^(?:(?:количество |кол-во )?порци[йи]|выход|servings|serves|yield)\\s*:\\s*"
                       "(.+)$|^(%1)\\.?$")
            .arg(servingsPhrase),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    for (qsizetype k = 1; k < all.size(); ++k)
        if (const auto m = yieldLine.match(all[k]); m.hasMatch()) {
            r.yield = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
            all.removeAt(k);
            break;
        }
    // "Время приготовления: 2 часа", "Сложность: легко": what a recipe site says of the
    // recipe, not a product.
    static const QRegularExpression about(
        QStringLiteral("^(?:время[а-яё ]*|сложность|калорийность|кухня|категория)\\s*:"),
        QRegularExpression::CaseInsensitiveOption);
    for (qsizetype k = 1; k < all.size();)
        if (about.match(all[k]).hasMatch())
            all.removeAt(k);
        else
            ++k;
    qsizetype i = 0;
    while (i < all.size() && all[i].isEmpty())
        ++i;
    if (i == all.size())
        throw IntakeError(QStringLiteral("текст пуст"));
    r.title = all[i++];
    // "Ингредиенты:", "Ингредиенты на 4 порции:", "Продукты (на 6 порций)", "Вам понадобится".
    static const QRegularExpression ingredientsHeading(
        QStringLiteral("^(?:ингредиенты|продукты|состав|вам понадобится|понадобится)"
                       "(?:\\s+(?:на|для)\\s[^:]*|\\s*\\([^)]*\\))?\\s*:?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression methodHeading(
        QStringLiteral("^(приготовление|способ приготовления|как приготовить|как готовить|"
                       "пошаговый рецепт|рецепт|шаги|инструкция)\\s*:?$"),
        QRegularExpression::CaseInsensitiveOption);
    // "Вам понадобится: 500 г фарша, 1 луковица, ...": the heading and its list in one line.
    static const QRegularExpression headingWithList(
        QStringLiteral("^(?:ингредиенты|продукты|необходимые продукты|состав|(?:вам |нам )?"
                       "(?:понадобится|понадобятся|потребуется|потребуются)|для приготовления "
                       "(?:понадобится|понадобятся|потребуется|потребуются|нужно|нужны))"
                       "[^:]{0,40}:\\s*(\\S.*)$"),
        QRegularExpression::CaseInsensitiveOption);
    // Without a heading, ingredients are the lines that read as ingredient lines.
    const auto readsAsIngredient = [](const QString& line) {
        const ParsedLine parsed = parseLine(line);
        return parsed.amount != 0 || !parsed.unit.isEmpty();
    };
    // What the text says before its list (how the dish came to be, what it is like, or the
    // whole method of an old book) opens the method rather than being lost.
    const auto toMethod = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            if (!all[k].isEmpty() && !methodHeading.match(all[k]).hasMatch())
                r.method << all[k];
    };
    // Where the ingredients start: after their heading, else at once.
    qsizetype start = i;
    bool headed = false;
    for (qsizetype j = i; j < all.size(); ++j) {
        const bool own = ingredientsHeading.match(all[j]).hasMatch();
        const QRegularExpressionMatch withList = headingWithList.match(all[j]);
        if (!own && !withList.hasMatch())
            continue;
        // The servings the heading names are the yield, unless a line said it.
        static const QRegularExpression servings(
            servingsPhrase, QRegularExpression::CaseInsensitiveOption |
                                QRegularExpression::UseUnicodePropertiesOption);
        if (const auto m = servings.match(all[j]); m.hasMatch() && r.yield.isEmpty())
            r.yield = m.captured();
        toMethod(i, j);
        if (own) {
            start = j + 1;
            headed = true;
        } else {
            // The list goes on in the lines below only while they read as ingredients.
            all[j] = withList.captured(1);
            start = j;
        }
        break;
    }
    // A recipe that tells the method first and lists its products after it, as old books
    // do: the list is the first line of several products with their amounts, or the first
    // of two such lines in a row.
    if (!headed && start == i && start < all.size() && !readsAsIngredient(all[start])) {
        const auto productsWithAmounts = [](const QString& line) {
            const std::vector<ParsedLine> products = parseProducts(line);
            return std::count_if(products.begin(), products.end(),
                                 [](const ParsedLine& p) { return p.amount > 0; });
        };
        for (qsizetype j = start + 1; j < all.size(); ++j) {
            if (all[j].isEmpty() || !readsAsIngredient(all[j]))
                continue;
            const bool nextToo = j + 1 < all.size() && readsAsIngredient(all[j + 1]);
            if (nextToo || productsWithAmounts(all[j]) >= 2) {
                toMethod(start, j);
                start = j;
                break;
            }
        }
    }
    // "Для теста:": a group's heading within the list, which goes on after it.
    const auto groupHeading = [](const QString& line) {
        return line.endsWith(QLatin1Char(':')) && parseProducts(line).empty();
    };
    // What the cook says among the products ("*Муку можно заменить цельнозерновой", "Совет:
    // крем лучше охладить") is no product: it goes after the method, as it was said.
    const auto cooksWord = [&readsAsIngredient](const QString& line) {
        static const QRegularExpression label(
            QStringLiteral("^(?:совет|примечание|важно|внимание|note|tip|nb|п\\. ?с\\.)\\s*[:.!]"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression starred(QStringLiteral("^\\*+\\p{L}"),
                                                QRegularExpression::UseUnicodePropertiesOption);
        static const QRegularExpression advice(
            QStringLiteral(
                "(?:^|\\s)(?:можно|лучше|нужно|надо|если|следует|советую|рекомендую)(?:\\s|$)"),
            QRegularExpression::CaseInsensitiveOption);
        const qsizetype words = line.count(QLatin1Char(' ')) + 1;
        if (label.match(line).hasMatch())
            return true;
        if (readsAsIngredient(line))
            return false;
        // "Сахар — можно не класть" is a product with its note; the advice that makes up
        // the whole name is none.
        return (starred.match(line).hasMatch() && words >= 3) ||
               (words >= 4 && advice.match(parseLine(line).product).hasMatch());
    };
    QStringList words;
    qsizetype j = start;
    for (; j < all.size(); ++j) {
        const QString& line = all[j];
        if (methodHeading.match(line).hasMatch()) {
            ++j;
            break;
        }
        if (line.isEmpty()) {
            if (r.ingredients.isEmpty())
                continue;
            // An empty line ends the list, unless another group or more lines follow it.
            qsizetype next = j + 1;
            while (next < all.size() && all[next].isEmpty())
                ++next;
            if (next < all.size() && !methodHeading.match(all[next]).hasMatch() &&
                (groupHeading(all[next]) || readsAsIngredient(all[next])))
                continue;
            break;
        }
        if (!headed && !groupHeading(line) && !readsAsIngredient(line))
            break;
        if (cooksWord(line)) {
            words << line;
            continue;
        }
        r.ingredients << line;
    }
    for (; j < all.size(); ++j)
        if (!all[j].isEmpty() && !methodHeading.match(all[j]).hasMatch())
            r.method << all[j];
    r.method << words;
    if (r.ingredients.isEmpty() && r.method.isEmpty())
        throw IntakeError(QStringLiteral("в тексте нет ни продуктов, ни описания"));
    // A text of which no line reads as a product with its amount is no recipe (a README,
    // a letter): refused, as a page without a recipe is.
    const bool anyIngredient =
        std::any_of(r.ingredients.begin(), r.ingredients.end(), readsAsIngredient);
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

bool looksLikeArchive(const QByteArray& head) {
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06") ||
           head.startsWith("\x1F\x8B") || (head.size() > 262 && head.mid(257, 5) == "ustar");
}

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

bool isPicture(const QByteArray& b) {
    return b.startsWith("\xFF\xD8\xFF") || b.startsWith("\x89PNG\r\n\x1A\n") ||
           b.startsWith("GIF87a") || b.startsWith("GIF89a") ||
           (b.startsWith("RIFF") && b.mid(8, 4) == "WEBP");
}

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
    // A picture or another program's archive read as text would only say that no line
    // reads as a product: what the file is, and where it belongs, helps more.
    if (isPicture(bytes))
        throw cannot(QStringLiteral("это картинка, а не рецепт. Фотографию ставят к рецепту "
                                    "командой «Фотография рецепта...» (ovelta-db photo)"));
    if (looksLikeArchive(bytes))
        throw cannot(QStringLiteral("это архив. Коллекцию другой программы читает «Импорт "
                                    "коллекции из другой программы...» (ovelta-db "
                                    "import-collection)"));
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