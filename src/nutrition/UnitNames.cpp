#include "UnitNames.h"

#include <QHash>

namespace nutrition {

const std::vector<UnitSpelling>& unitSpellings() {
    static const std::vector<UnitSpelling> table = [] {
        auto u = [](const char* usual, std::initializer_list<const char*> forms) {
            UnitSpelling s{QString::fromUtf8(usual), {}};
            s.forms << s.usual;
            for (const char* f : forms)
                s.forms << QString::fromUtf8(f);
            return s;
        };
        // "столовых ложки", "чайную ложечку": any case of the adjective with any of the noun.
        auto spoons = [](UnitSpelling s, const char* adjectiveStem) {
            for (const char* end : {"ая", "ые", "ых", "ой", "ую", "ыми"})
                for (const char* noun : {"ложка", "ложки", "ложек", "ложку", "ложкой", "ложечка",
                                         "ложечки", "ложечек", "ложечку"})
                    s.forms << QString::fromUtf8(adjectiveStem) + QString::fromUtf8(end) +
                                   QLatin1Char(' ') + QString::fromUtf8(noun);
            return s;
        };
        return std::vector<UnitSpelling>{
            spoons(u("ст.л.", {"msk",
                               "spsk",
                               "łyżka",
                               "łyżki",
                               "łyżek",
                               "c. de sopa",
                               "eetlepel",
                               "eetlepels",
                               "esslöffel",
                               "cucchiaio",
                               "cucchiai",
                               "cuillère à soupe",
                               "cuillères à soupe",
                               "c. à s.",
                               "cda",
                               "cdas",
                               "ст. л.",
                               "ст л",
                               "ст/л",
                               "ст. ложки",
                               "ст. ложка",
                               "ст. ложек",
                               "стол. л.",
                               "стол. ложки",
                               "столовая ложка",
                               "столовые ложки",
                               "столовых ложек",
                               "столовой ложки",
                               "ст.ложки",
                               "ст.ложка",
                               "ст.ложек",
                               "ст. лож.",
                               "стол. ложка",
                               "ст/ложка",
                               "ст/ложки",
                               "tbsp",
                               "tbs",
                               "tablespoon",
                               "tablespoons",
                               "el"}),
                   "столов"),
            spoons(u("ч.л.", {"tsk",
                              "łyżeczka",
                              "łyżeczki",
                              "łyżeczek",
                              "c. de chá",
                              "theelepel",
                              "theelepels",
                              "teelöffel",
                              "cucchiaino",
                              "cucchiaini",
                              "cuillère à café",
                              "cuillères à café",
                              "c. à c.",
                              "cdta",
                              "ч. л.",
                              "ч л",
                              "ч/л",
                              "ч. ложки",
                              "ч. ложка",
                              "ч. ложек",
                              "чайная ложка",
                              "чайные ложки",
                              "чайных ложек",
                              "чайной ложки",
                              "ч.ложки",
                              "ч/ложка",
                              "ч/ложки",
                              "ч. ложечки",
                              "чайн. ложка",
                              "чайн. ложки",
                              "чайн. ложек",
                              "чайн. л.",
                              "ч. лож.",
                              "tsp",
                              "teaspoon",
                              "teaspoons",
                              "tl"}),
                   "чайн"),
            spoons(u("дес.л.", {"дес. л.", "дес л", "дес. ложка", "дес. ложки", "дес. ложек"}),
                   "десертн"),
            // A coffee spoon, half a teaspoon.
            spoons(u("коф.л.", {"коф. л.", "коф. ложка", "коф. ложки", "коф. ложек"}), "кофейн"),
            // A spoon of no kind: a spoon, neither a table- nor a teaspoon, whose weight no
            // table knows.
            u("ложка", {"ложки", "ложек", "ложку", "ложкой", "ложечка", "ложечки", "ложечек"}),
            u("стакан", {"стакана", "стаканов", "ст.", "стак.", "стаканчик", "стаканчика",
                         "стаканчиков", "стакану"}),
            // The American cup of foreign pages is 240 ml, not the Russian glass.
            u("амер. стакан", {"cup", "cups"}),
            u("фунт", {"фунта", "фунтов", "lb", "lbs", "pound", "pounds"}),
            u("унция", {"унции", "унций", "oz", "ounce", "ounces"}),
            u("жидк. унция", {"fl oz", "fl. oz.", "fluid ounce", "fluid ounces"}),
            u("сл", {"cl"}),
            u("дл", {"dl"}),
            u("г", {"гр.", "гр", "г.", "грамм", "грамма", "граммов", "g", "gr", "gram", "grams"}),
            u("кг", {"кг.", "килограмм", "килограмма", "килограммов", "кило", "kg"}),
            u("мл", {"мл.", "миллилитр", "миллилитра", "миллилитров", "ml"}),
            u("л", {"liter", "litre", "liters", "litres", "л.", "литр", "литра", "литров", "l"}),
            // Buds of clove, peppercorns and star anise are counted as pieces.
            u("шт", {"stück",     "stk",       "stuk",      "stuks",     "unid",     "unidade",
                     "unidades",  "шт.",       "штука",     "штуки",     "штук",     "штуке",
                     "штучка",    "штучки",    "штучек",    "pc",        "pcs",      "бутон",
                     "бутона",    "бутонов",   "горошина",  "горошины",  "горошин",  "звёздочка",
                     "звёздочки", "звёздочек", "звездочка", "звездочки", "звездочек"}),
            u("зубчик", {"zehe", "zehen", "teentje", "teentjes", "clove", "cloves", "gousse",
                         "gousses", "spicchio", "spicchi", "dente", "dentes", "зубчика", "зубчиков",
                         "зубчику", "зуб.", "зубч."}),
            u("щепотка",
              {"prise",    "snuifje", "snufje",    "nypa",    "pizzico", "pincée",    "štipka",
               "szczypta", "щепотки", "щепоток",   "щеп.",    "щепот.",  "щепоточка", "щепоть",
               "щепоти",   "щепотей", "щепоточки", "щепотку", "щепотке", "pinch"}),
            u("пучок", {"bund", "bunch", "bosje", "mazzo", "пучка", "пучков", "пучку", "пуч."}),
            u("банка", {"can", "cans", "tin", "tins", "dose", "dosen", "blik", "банки", "банок",
                        "банке", "баночка", "баночки", "баночек", "бан."}),
            u("упаковка", {"package", "packages", "pkg", "packet", "packets", "box", "boxes",
                           "packung", "упаковки", "упаковок", "уп.", "упак."}),
            u("пачка", {"пачки", "пачек", "пачке"}),
            u("пакетик", {"пакетика", "пакетиков", "пакетику", "пак.", "päckchen", "pck."}),
            // What a product is bought or poured in, counted as the cook counts it.
            u("пакет", {"пакета", "пакетов"}),
            u("бутылка", {"бутылки", "бутылок", "бутылочка", "бутылочки", "бутылочек"}),
            u("коробка", {"коробки", "коробок", "коробочка", "коробочки", "коробочек"}),
            u("брикет", {"брикета", "брикетов"}),
            u("тюбик", {"тюбика", "тюбиков"}),
            u("стопка", {"стопки", "стопок"}),
            u("рюмка", {"рюмки", "рюмок"}),
            u("ломтик", {"slice", "slices", "scheibe", "scheiben", "plakje", "plakjes", "tranche",
                         "tranches", "ломтика", "ломтиков", "ломтику", "ломт."}),
            // Ginger and horseradish root are measured by length.
            u("см", {"см.", "сантиметр", "сантиметра", "сантиметров", "cm"}),
            u("кусочек", {"кусочка", "кусочков", "кусочку"}),
            u("кусок", {"куска", "кусков", "куску"}),
            u("головка", {"головки", "головок", "головке"}),
            u("веточка", {"sprig", "sprigs", "zweig", "zweige", "takje", "takjes", "rametto",
                          "веточки", "веточек", "веточке", "веточ.", "вет."}),
            u("стебель", {"стебля", "стеблей", "стебл."}),
            u("стручок", {"стручка", "стручков", "стручку"}),
            u("долька", {"дольки", "долек", "дольке"}),
            u("капля", {"капли", "капель", "капл."}),
            u("чашка", {"чашки", "чашек", "чашке", "чашечка", "чашечки", "чашечек"}),
            u("кружка", {"кружки", "кружек", "кружечка", "кружечки", "кружечек"}),
            u("бокал", {"бокала", "бокалов"}),
            // The cup that comes with a multicooker, 160 ml.
            u("мультистакан",
              {"мультистакана", "мультистаканов", "мультистаканчик", "мульти-стакан",
               "мульти-стакана", "мультиварочный стакан", "мультиварочных стакана"}),
            u("горсть",
              {"handful", "handfuls", "handvoll", "горсти", "горстей", "горсточка", "горсточки"}),
            u("плитка", {"плитки", "плиток"}),
            u("кисть", {"кисти", "кистей"}),
            // "Вилок" is what a head of cabbage is called in much of the south.
            u("кочан", {"кочана", "кочанов", "кочанчик", "кочанчика", "вилок", "вилка", "вилков"}),
            u("лист", {"листа", "листов", "листик", "листика", "листиков", "листочек", "листочка",
                       "листочков"}),
            u("десяток", {"десятка", "десятков"}),
            u("перо",
              {"пера", "перьев", "пёрышко", "пёрышка", "пёрышек", "перышко", "перышка", "перышек"}),
            u("порция", {"порции", "порций"}),
            u("по вкусу",
              {
                  "на свой вкус",
                  "на ваш вкус",
                  "по своему вкусу",
                  "по вашему вкусу",
                  "to taste",
                  "q.b.",
                  "nach geschmack",
                  "naar smaak",
                  "au goût",
                  "efter smak",
                  "a piacere",
                  "a gusto",
              }),
            u("на кончике ножа",
              {
                  "msp",
                  "messerspitze",
              }),
        };
    }();
    return table;
}

QString unitKey(QStringView text) {
    QString key;
    for (QChar c : text)
        if (c.isLetter())
            key += c == QChar(0x0451) ? QChar(0x0435) : c.toLower();
    return key;
}

namespace {

const QHash<QString, QString>& unitsByKey() {
    static const QHash<QString, QString> keys = [] {
        QHash<QString, QString> out;
        for (const UnitSpelling& s : unitSpellings())
            for (const QString& f : s.forms)
                out.insert(unitKey(f), s.usual);
        return out;
    }();
    return keys;
}

} // namespace

QString usualUnitByKey(const QString& key) {
    return unitsByKey().value(key);
}

QString usualUnit(const QString& written) {
    const QString key = unitKey(written);
    if (key.isEmpty())
        return {};
    return unitsByKey().value(key);
}

UnitSize unitSize(const QString& usual) {
    static const QHash<QString, UnitSize> sizes = {
        {QStringLiteral("г"), {Measure::Mass, 1}},
        {QStringLiteral("кг"), {Measure::Mass, 1000}},
        {QStringLiteral("мл"), {Measure::Volume, 1}},
        {QStringLiteral("л"), {Measure::Volume, 1000}},
        {QStringLiteral("стакан"), {Measure::Volume, 250}},
        {QStringLiteral("ст.л."), {Measure::Volume, 15}},
        {QStringLiteral("ч.л."), {Measure::Volume, 5}},
        {QStringLiteral("дес.л."), {Measure::Volume, 10}},
        {QStringLiteral("коф.л."), {Measure::Volume, 2.5}},
        {QStringLiteral("капля"), {Measure::Volume, 0.05}},
        {QStringLiteral("амер. стакан"), {Measure::Volume, 240}},
        {QStringLiteral("мультистакан"), {Measure::Volume, 160}},
        {QStringLiteral("жидк. унция"), {Measure::Volume, 29.6}},
        {QStringLiteral("сл"), {Measure::Volume, 10}},
        {QStringLiteral("дл"), {Measure::Volume, 100}},
        {QStringLiteral("фунт"), {Measure::Mass, 453.6}},
        {QStringLiteral("унция"), {Measure::Mass, 28.35}},
    };
    return sizes.value(usual);
}

} // namespace nutrition
