#include "DbTool.h"

#include "data/WholeFile.h"

#include <QRegularExpression>

void print(FILE* out, const QString& text) {
    QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

extern const char* const kUsage;
const char* const kUsage = R"(Использование / usage:
  ovelta-db create [--version 1.01|2.01|2.02|3.01] [--sample] FILE
      Создаёт новый файл коллекции рецептов (по умолчанию версии 3.01); с --sample в нём
      сразу есть стартовая коллекция рецептов. Существующий файл не перезаписывается.
      Creates a new recipe collection file (version 3.01 unless given); with --sample it
      holds the starter recipes. An existing file is never overwritten.
  ovelta-db rtf [--db FILE] ID [OUT]
      Записывает рецепт номер ID в виде документа RTF (тот же, что показывает программа)
      в файл OUT или на стандартный вывод.
      Writes recipe ID as the RTF document the program shows, to OUT or standard output.
  ovelta-db menu-rtf [--db FILE] [--grams] [OUT]
      Записывает список продуктов для меню документом RTF; с --grams количества одного
      продукта в разных единицах складываются в граммах, где известен вес.
      Writes the menu's product list as the RTF document the program shows; with --grams
      a product's amounts in different units are added up where its weights are known.
  ovelta-db cook [--db FILE] [--missing N]
      Перечисляет рецепты, которые можно приготовить из имеющихся продуктов: номер,
      табуляция, название. Lists what can be cooked: ID, a tab, the name.
      С --missing N (1-3) — рецепты, которым не хватает не больше N продуктов: номер,
      название, сколько не хватает и чего, через табуляцию.
      With --missing N (1-3): recipes lacking at most N products: ID, name, how many
      and which, tab-separated.
  ovelta-db import-recipe [--db FILE] [--section ID] FILE|URL
      Добавляет рецепт из сохранённой веб-страницы (.html), файла schema.org Recipe (.json)
      или текста (.txt); продукты и единицы сопоставляются с имеющимися. Печатает номер
      и название нового рецепта. Ссылка http(s):// загружается вместе с фотографией.
      Adds a recipe from a saved web page, a schema.org Recipe JSON file or text, its
      products and units matched to the collection's; prints the new recipe's ID and name.
  ovelta-db import-collection [--db FILE] [--section ID] PATH
      Переносит коллекцию другой программы: архив Paprika (.paprikarecipes), экспорт
      Mealie или Tandoor (.zip), папку Nextcloud Cookbook или папку (архив) файлов
      рецептов. Всё в новый раздел, с фотографиями, всё или ничего; печатает итог.
      Moves a whole collection in from another program, into a new section, all or
      nothing; prints the summary.
  ovelta-db find [--db FILE] [--text] TEXT
      Ищет рецепты, как поле поиска программы: по части названия или (с --text) по
      словам названия, продуктов и описания в любой форме. Номер, табуляция, название.
      Finds recipes as the program's search box does: by part of the name, or (--text) by
      the words of names, products and methods in any form. ID, a tab, the name.
  ovelta-db shopping-list [--db FILE] [OUT]
      Записывает список покупок (UTF-8, продукт на строку, количества в граммах, где
      известен вес) в OUT или на стандартный вывод.
      Writes the shopping list as UTF-8 text, a product a line, its amounts added up in
      grams where the weights are known.
  ovelta-db nutrition [--db FILE] ID
      Печатает пищевую ценность рецепта ID: вес продуктов, всего ккал, на 100 г, и что
      не учтено. Prints recipe ID's food value and the products left out of it.
  ovelta-db product [--db FILE] NAME
      Печатает вес единиц и пищевую ценность продукта. Prints a product's unit weights
      and food value.
  ovelta-db import [--db FILE] IN
      Добавляет в коллекцию разделы и рецепты из файла обмена IN (всё или ничего).
      Adds the sections and recipes of exchange file IN, all or nothing.
  ovelta-db export [--db FILE] [--section ID] OUT
      Записывает раздел ID (или всю коллекцию) в файл обмена OUT.
      Writes section ID (or the whole collection) to exchange file OUT.
  ovelta-db photo [--db FILE] ID IMAGE
  ovelta-db photo [--db FILE] --remove ID
  ovelta-db photo [--db FILE] --save ID OUT
      Ставит фотографию рецепта из файла изображения (JPEG, PNG, WebP, GIF, BMP), убирает
      её или записывает в файл. Sets a recipe's photo from a picture file, removes it, or
      writes it out.
  ovelta-db recipe [--db FILE] [--servings N | --times F] [--grams] ID
      Печатает рецепт ID простым текстом, пересчитанным на N порций или в F раз, с весом
      в граммах рядом со строками. Prints recipe ID as plain text, scaled to N servings or
      F times, with grams beside its lines.
  ovelta-db backup [--db FILE]
      Делает резервную копию в папке backups рядом с коллекцией и печатает её путь.
      Backs the collection up into the folder backups beside it; prints the copy's path.
  ovelta-db backups [--db FILE]
      Резервные копии, новые первыми: номер, дата и время, рецептов, байт.
      The backups, newest first: number, date and time, recipes, bytes.
  ovelta-db restore [--db FILE] N|PATH
      Восстанавливает коллекцию из копии N (1 — самая новая) или файла PATH; нынешняя
      коллекция сохраняется копией. Restores backup N (1 = newest) or file PATH, keeping
      the collection as it is now as a backup.
  ovelta-db check [--db FILE]
      Полная проверка: «Коллекция в порядке» или что не так (код 1).
      A full check: "Коллекция в порядке", or what is wrong (exit 1).
  ovelta-db delete [--db FILE] ID|sID
      Перемещает рецепт ID (или раздел sID со всем содержимым) в корзину.
      Moves recipe ID (or section sID with everything in it) to the trash.
  ovelta-db trash [--db FILE]
      Что в корзине, последнее первым: ID<TAB>когда удалено<TAB>название.
      What is in the trash, newest first: ID<TAB>deleted at<TAB>name.
  ovelta-db undelete [--db FILE] ID|sID
      Возвращает рецепт или раздел из корзины на его место.
      Puts a recipe or section back from the trash where it was.
  ovelta-db cooked [--db FILE] ID [--date YYYY-MM-DD] [--rating 1-5] [--note TEXT]
      Отмечает, что рецепт ID приготовлен (сегодня, если дата не дана).
      Notes that recipe ID was cooked (today unless a date is given).
  ovelta-db plan [--db FILE] add DATE ID [--servings N] [--meal завтрак|обед|ужин|перекус]
  ovelta-db plan [--db FILE] remove DATE ID
  ovelta-db plan [--db FILE] list [--from DATE] [--to DATE]
      План питания по датам (ГГГГ-ММ-ДД): добавить рецепт на день (по умолчанию обед, порций
      столько, сколько в рецепте), убрать, перечислить: ДАТА<TAB>приём<TAB>ID<TAB>название
      <TAB>порций. The dated meal plan: add, remove, list.
  ovelta-db plan [--db FILE] shopping-list --from DATE --to DATE [OUT]
      Список покупок на эти дни (UTF-8, как shopping-list): без продуктов в наличии и
      постоянных. The shopping list for the plan's days.
  ovelta-db plan [--db FILE] ics --from DATE --to DATE OUT
      Эти дни плана файлом iCalendar (.ics). The plan's days as an iCalendar file.
  ovelta-db history [--db FILE] [ID]
      Когда готовили, новое первым: ДАТА<TAB>ID<TAB>название<TAB>оценка<TAB>заметка.
      What was cooked, newest first: DATE<TAB>ID<TAB>name<TAB>rating<TAB>note.
  ovelta-db --help
      Эта справка / this help.

База — FILE, по умолчанию data.db в текущей папке; --db FILE можно указать и перед командой.
The collection is FILE, data.db in the working folder unless given; --db may also come first.
Коды выхода / exit status: 0 успех / success, 1 ошибка / error, 2 неверный вызов / bad usage.
)";

int usageError(const QString& message) {
    print(stderr, QStringLiteral("ovelta-db: %1\n\n").arg(message));
    print(stderr, QString::fromUtf8(kUsage));
    return 2;
}

int failure(const QString& message) {
    print(stderr, QStringLiteral("ovelta-db: %1\n").arg(message));
    return 1;
}

// QCommandLineParser says what is wrong in English only; the tool speaks Russian first and
// keeps the English beside it, as its usage text does.
QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("неизвестный параметр / unknown option: --%1").arg(unknown.first());
    const QString english = parser.errorText();
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'"));
    static const QRegularExpression unexpected(QStringLiteral("^Unexpected value after '(.*)'"));
    if (const QRegularExpressionMatch m = missing.match(english); m.hasMatch())
        return QStringLiteral("нет значения после / missing value after %1").arg(m.captured(1));
    if (const QRegularExpressionMatch m = unexpected.match(english); m.hasMatch())
        return QStringLiteral("лишнее значение после / unexpected value after %1")
            .arg(m.captured(1));
    return QStringLiteral("неверный вызов / %1").arg(english);
}

QString readRecipeId(const QString& text, int& id) {
    bool ok = false;
    id = text.toInt(&ok);
    if (!ok || id <= 0)
        return QStringLiteral("неверный номер рецепта / bad recipe ID: %1").arg(text);
    return {};
}

bool openDb(Database& db, const QString& path, QString& error) {
    try {
        db.open(path, Database::OpenMode::Existing);
        return true;
    } catch (const DbError& e) {
        error = QStringLiteral("не могу открыть базу / cannot open %1: %2").arg(path, e.message());
        return false;
    }
}

int writeOut(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QString why;
    if (!writeWholeFile(path, bytes, &why))
        return failure(QStringLiteral("не могу записать / cannot write %1: %2").arg(path, why));
    return 0;
}

int readingCollection(Command& c, const std::function<int(Database&)>& work) {
    return onCollection(c, [&work](Database& db) {
        const Transaction untouched(db); // never committed
        return work(db);
    });
}

int onCollection(Command& c, const std::function<int(Database&)>& work) {
    Database db;
    QString error;
    if (!openDb(db, c.parser.value(c.db), error))
        return failure(error);
    try {
        return work(db);
    } catch (const DbError& e) {
        return failure(QStringLiteral("не могу прочитать базу / cannot read %1: %2")
                           .arg(c.parser.value(c.db), e.message()));
    }
}
