#pragma once

#include <QString>
#include <QStringList>

// Russian word forms for product names: the dictionary form a cook writes in a product
// list ("твёрдого сыра" is "Сыр твёрдый", "5 яиц" is "Яйцо") and the keys two names are
// compared by. The dictionary is Debian's hunspell-ru; it takes a tenth of a second to
// load, so it is loaded once, only when a name needs it, and can be loaded ahead on a
// thread of its own.
namespace intake {

// How a name was written: first on its line ("Сыр твёрдый — 100 г"), where a cook writes
// it in the nominative, or after its amount ("100 г твёрдого сыра"), mostly in the genitive.
enum class NamePlace { First, AfterAmount };

struct DictionaryName {
    QString name; // with a capital first letter
    // Words that say how the product is rather than which ("больших", "охлаждённого"),
    // left out of the name.
    QString left;
};
// With mayWait false and the dictionary still loading, the words stay as written.
DictionaryName dictionaryName(const QString& written, NamePlace place, bool mayWait = true);

// Loads the part of the dictionary that these names' words need, unless the whole one is
// loaded: a command that reads one recipe then pays milliseconds instead of a tenth of a
// second. Words outside the part load the whole dictionary when they are asked.
void prepareDictionaryFor(const QStringList& names);
// Starts loading the dictionary on a thread of its own, if it is not loaded or loading.
void loadDictionaryAhead();
// True when a name can be put in its dictionary form without waiting.
bool dictionaryReady();

} // namespace intake
