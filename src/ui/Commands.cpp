#include "Commands.h"

namespace {

const CommandInfo kCommands[] = {
    {ID_IMPORT, "Импорт", "Импорт\nИмпорт", "document-open"},
    {ID_EXPORT_SECTION, "Экспорт раздела", "Экспорт раздела\nЭкспорт раздела", nullptr},
    {ID_EXPORT_ALL, "Экспорт всего содержания",
     "Экспорт всего содержания\nЭкспорт всего содержания", "document-save-as"},
    {ID_PRINT_RECIPE, "Печать на принтер", "Печать на принтер\nПечать на принтер",
     "document-print"},
    {ID_FILE_PRINT_PREVIEW, "Предварительный просмотр",
     "Показать страницу такой, какой она будет напечатана\nПредварительный просмотр",
     "document-print-preview"},
    {ID_BACKUP_NOW, "Сделать резервную копию",
     "Сохранить копию коллекции в папке backups рядом с ней\nРезервная копия", nullptr},
    {ID_RESTORE_BACKUP, "Восстановить из резервной копии...",
     "Заменить коллекцию одной из её резервных копий\nВосстановить из резервной копии", nullptr},
    {ID_CHECK_COLLECTION, "Проверить коллекцию",
     "Полная проверка файла коллекции на повреждения\nПроверить коллекцию", nullptr},
    {ID_APP_EXIT, "Выход", "Выход из программы\nВыход", "application-exit"},
    {ID_ADD_SECTION, "Добавить раздел", "Добавить раздел\nДобавить раздел", "folder-new"},
    {ID_ADD_SUBSECTION, "Добавить подраздел", "Добавить подраздел\nДобавить подраздел", nullptr},
    {ID_RENAME_SECTION, "Переименовать раздел", "Переименовать раздел\nПереименовать раздел",
     nullptr},
    {ID_DELETE_SECTION, "Удалить раздел", "Удалить раздел\nУдалить раздел", nullptr},
    {ID_UNDO_DELETE, "Отменить удаление",
     "Вернуть из корзины то, что удалено последним\nОтменить удаление", "edit-undo"},
    {ID_COOKED, "Приготовлено...",
     "Отметить, что показанный рецепт приготовлен: когда, оценка, заметка\nПриготовлено", nullptr},
    {ID_MEAL_PLAN, "План питания",
     "Неделя по дням: что готовить на завтрак, обед, ужин и перекус\nПлан питания",
     "x-office-calendar"},
    {ID_PLAN_SHOPPING, "Список покупок на дни...",
     "Что купить для плана питания на несколько дней\nСписок покупок на дни", nullptr},
    {ID_PLAN_ADD, "Добавить в план...",
     "Поставить показанный рецепт в план питания на день\nДобавить в план", nullptr},
    {ID_COOK_HISTORY, "Когда готовили...",
     "Когда готовили показанный рецепт, с оценками и заметками\nКогда готовили", nullptr},
    {ID_NOT_COOKED_LATELY, "Давно не готовили...",
     "Рецепты, которые готовили раньше, но не в последние недели\nДавно не готовили", nullptr},
    {ID_SORT_BY_COOKED, "Результаты: недавно приготовленные первыми",
     "Упорядочить результаты поиска по дате приготовления\nПо дате приготовления", nullptr},
    {ID_SORT_BY_RATING, "Результаты: лучшие по оценке первыми",
     "Упорядочить результаты поиска по оценке\nПо оценке", nullptr},
    {ID_TRASH, "Корзина...", "Удалённые рецепты и разделы: вернуть или очистить\nКорзина",
     "user-trash"},
    {ID_IMPORT_RECIPE, "Рецепт из файла или текста",
     "Добавить рецепт из сохранённой веб-страницы, файла или текста\nРецепт из файла или "
     "текста",
     nullptr},
    {ID_IMPORT_LINK, "Рецепт по ссылке...",
     "Добавить рецепт со страницы сайта по её адресу\nРецепт по ссылке", nullptr},
    {ID_IMPORT_COLLECTION, "Импорт коллекции из другой программы...",
     "Перенести рецепты из Paprika, Mealie, Tandoor, Nextcloud Cookbook или архива "
     "файлов\nИмпорт коллекции",
     nullptr},
    {ID_IMPORT_COLLECTION_FOLDER, "Импорт коллекции из папки...",
     "Перенести рецепты из папки Nextcloud Cookbook или папки файлов рецептов\nИмпорт "
     "коллекции из папки",
     nullptr},
    {ID_ADD_RECIPE, "Добавить рецепт в выделенный раздел", "Добавить рецепт\nДобавить рецепт",
     "document-new"},
    {ID_ADD_RECIPE_ROOT, "Добавить рецепт в корневой раздел", nullptr, nullptr},
    {ID_EDIT_RECIPE, "Изменить рецепт", "Изменить рецепт\nИзменить рецепт", "document-properties"},
    {ID_DELETE_RECIPE, "Удалить рецепт", "Удалить рецепт\nУдалить рецепт", nullptr},
    {ID_RECIPE_PHOTO, "Фотография рецепта...",
     "Поставить или заменить фотографию рецепта\nФотография рецепта", "insert-image"},
    {ID_REMOVE_PHOTO, "Удалить фотографию", "Удалить фотографию рецепта\nУдалить фотографию",
     nullptr},
    {ID_COOK, "Готовить",
     "Готовить по рецепту: шаги крупно на весь экран, таймеры, экран не гаснет\nГотовить",
     "media-playback-start"},
    {ID_SCALE_UP, "Больше порций", "Пересчитать рецепт на порцию больше\nБольше порций", nullptr},
    {ID_SCALE_DOWN, "Меньше порций", "Пересчитать рецепт на порцию меньше\nМеньше порций", nullptr},
    {ID_SCALE_RESET, "Как в рецепте", "Показать рецепт без пересчёта\nКак в рецепте", nullptr},
    {ID_SHOW_GRAMS, "В граммах", "Показать вес рядом с объёмом и штуками\nВ граммах", nullptr},
    {ID_FIND_RECIPE, "Найти рецепт", "Найти рецепт\nНайти рецепт", "edit-find"},
    {ID_FIND_BY_PRODUCT, "Поиск по продукту", "Поиск по продукту\nПоиск по продукту", nullptr},
    {ID_FIND_TEXT, "Поиск в тексте",
     "Найти рецепты по словам названия, продуктов и описания\nПоиск в тексте", nullptr},
    {ID_LOCATE_IN_CATALOG, "Найти в содержании", "Найти в содержании\nНайти в содержании", nullptr},
    {ID_WHAT_TO_COOK, "Что приготовить?", "Что приготовить?\nЧто приготовить?", nullptr},
    {ID_PRODUCTS_ON_HAND, "Продукты в наличии", "Продукты в наличии\nПродукты в наличии", nullptr},
    {ID_PRODUCTS_ALWAYS, "Постоянные продукты", "Постоянные продукты\nПостоянные продукты",
     nullptr},
    {ID_MENU_VIEW, "Меню", "Смотреть меню\nСмотреть меню", nullptr},
    {ID_MENU_ADD, "Добавить в меню",
     "Добавить выделенный рецепт в меню\nДобавить выделенный рецепт в меню", nullptr},
    {ID_MENU_PRODUCT_LIST, "Список продуктов для меню",
     "Список продуктов для меню\nСписок продуктов для меню", nullptr},
    {ID_WHAT_IS_MISSING, "Чего не хватает?",
     "Рецепты, для которых не хватает одного-трёх продуктов\nЧего не хватает?", nullptr},
    {ID_SHOPPING_LIST, "Список покупок", "Список покупок\nСписок покупок", nullptr},
    {ID_PRODUCT_WORK, "Работа с продуктами", nullptr, nullptr},
    {ID_UNIT_WORK, "Работа с единицами", nullptr, nullptr},
    {ID_VIEW_TOOLBAR, "Панель инструментов",
     "Показать или скрыть панель инструментов\nПереключение панели инструментов", nullptr},
    {ID_VIEW_STATUS_BAR, "Панель состояния",
     "Показать или скрыть строку состояния\nПереключение строки состояния", nullptr},
    {ID_HELP_FINDER, "Справка", nullptr, "help-contents"},
    {ID_APP_ABOUT, "О программе...", "Информация о программе\nО программе...", "help-about"},
};

const int kFile[] = {ID_IMPORT,
                     ID_EXPORT_SECTION,
                     ID_EXPORT_ALL,
                     0,
                     ID_BACKUP_NOW,
                     ID_RESTORE_BACKUP,
                     ID_CHECK_COLLECTION,
                     0,
                     ID_PRINT_RECIPE,
                     ID_FILE_PRINT_PREVIEW,
                     0,
                     ID_APP_EXIT};
const int kCatalog[] = {ID_ADD_SECTION,
                        ID_ADD_SUBSECTION,
                        ID_RENAME_SECTION,
                        ID_DELETE_SECTION,
                        0,
                        ID_UNDO_DELETE,
                        ID_TRASH,
                        0,
                        ID_IMPORT_RECIPE,
                        ID_IMPORT_LINK,
                        ID_IMPORT_COLLECTION,
                        ID_IMPORT_COLLECTION_FOLDER};
const int kRecipes[] = {ID_ADD_RECIPE,
                        ID_ADD_RECIPE_ROOT,
                        ID_EDIT_RECIPE,
                        ID_DELETE_RECIPE,
                        0,
                        ID_RECIPE_PHOTO,
                        ID_REMOVE_PHOTO,
                        0,
                        ID_SCALE_UP,
                        ID_SCALE_DOWN,
                        ID_SCALE_RESET,
                        ID_SHOW_GRAMS,
                        0,
                        ID_COOK};
const int kSearch[] = {ID_FIND_RECIPE,    ID_FIND_BY_PRODUCT, ID_FIND_TEXT, ID_LOCATE_IN_CATALOG, 0,
                       ID_SORT_BY_COOKED, ID_SORT_BY_RATING};
const int kKitchen[] = {ID_WHAT_TO_COOK,
                        ID_WHAT_IS_MISSING,
                        ID_PRODUCTS_ON_HAND,
                        ID_PRODUCTS_ALWAYS,
                        0,
                        ID_MENU_VIEW,
                        ID_MENU_ADD,
                        ID_MENU_PRODUCT_LIST,
                        ID_SHOPPING_LIST,
                        0,
                        ID_MEAL_PLAN,
                        ID_PLAN_ADD,
                        ID_PLAN_SHOPPING,
                        0,
                        ID_COOKED,
                        ID_COOK_HISTORY,
                        ID_NOT_COOKED_LATELY};
const int kService[] = {ID_PRODUCT_WORK, ID_UNIT_WORK};
const int kView[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
const int kHelp[] = {ID_HELP_FINDER, 0, ID_APP_ABOUT};

const MenuLayout kMenuBar[] = {
    {"&Файл", kFile},     {"&Содержание", kCatalog}, {"&Ovelta", kRecipes}, {"&Поиск", kSearch},
    {"&Кухня", kKitchen}, {"С&ервис", kService},     {"&Вид", kView},       {"По&мощь", kHelp},
};

const int kToolbar[] = {ID_APP_EXIT,
                        ID_PRINT_RECIPE,
                        0,
                        ID_ADD_SECTION,
                        ID_ADD_SUBSECTION,
                        ID_RENAME_SECTION,
                        ID_DELETE_SECTION,
                        0,
                        ID_ADD_RECIPE,
                        ID_EDIT_RECIPE,
                        ID_DELETE_RECIPE,
                        ID_COOK,
                        0,
                        ID_FIND_RECIPE,
                        ID_FIND_BY_PRODUCT,
                        ID_LOCATE_IN_CATALOG,
                        0,
                        ID_WHAT_TO_COOK,
                        ID_WHAT_IS_MISSING,
                        ID_PRODUCTS_ON_HAND,
                        ID_PRODUCTS_ALWAYS,
                        0,
                        ID_MENU_VIEW,
                        ID_MENU_ADD,
                        ID_MENU_PRODUCT_LIST,
                        0,
                        ID_APP_ABOUT};

} // namespace

std::span<const CommandInfo> commandTable() {
    return kCommands;
}

const CommandInfo* findCommand(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id)
            return &c;
    return nullptr;
}

std::span<const MenuLayout> menuBarLayout() {
    return kMenuBar;
}
std::span<const int> toolbarLayout() {
    return kToolbar;
}
