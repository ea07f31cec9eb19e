#pragma once

#include <span>

// Command identifiers. The menu, the toolbar, the accelerators and the context menus all
// carry these, so each command reaches one handler however it is given.
enum CommandId : int {
    ID_ADD_SECTION = 130,
    ID_ADD_SUBSECTION = 131,
    ID_RENAME_SECTION = 132,
    ID_DELETE_SECTION = 133,
    ID_ADD_RECIPE = 136,
    ID_EDIT_RECIPE = 137,
    ID_DELETE_RECIPE = 138,
    ID_ADD_RECIPE_ROOT = 139,
    ID_PRODUCT_WORK = 141,
    ID_UNIT_WORK = 142,
    ID_WHAT_TO_COOK = 143,
    ID_PRODUCTS_ON_HAND = 144,
    ID_FIND_RECIPE = 145,
    ID_LOCATE_IN_CATALOG = 146,
    ID_PRODUCTS_ALWAYS = 147,
    ID_PRINT_RECIPE = 150,
    ID_FIND_BY_PRODUCT = 151,
    ID_EXPORT_SECTION = 154,
    ID_EXPORT_ALL = 155,
    ID_IMPORT = 156,
    ID_MENU_VIEW = 157,
    ID_MENU_ADD = 160,
    ID_MENU_PRODUCT_LIST = 161,
    ID_WHAT_IS_MISSING = 162,
    ID_SHOPPING_LIST = 163,
    ID_FIND_TEXT = 164,
    ID_IMPORT_RECIPE = 165,
    ID_RECIPE_PHOTO = 166,
    ID_REMOVE_PHOTO = 167,
    ID_IMPORT_COLLECTION = 168,
    ID_IMPORT_COLLECTION_FOLDER = 169,
    ID_IMPORT_LINK = 170,
    ID_COOK = 171,
    ID_SCALE_UP = 172,
    ID_SCALE_DOWN = 173,
    ID_SCALE_RESET = 174,
    ID_SHOW_GRAMS = 175,
    ID_BACKUP_NOW = 176,
    ID_RESTORE_BACKUP = 177,
    ID_CHECK_COLLECTION = 178,
    ID_UNDO_DELETE = 179,
    ID_TRASH = 180,
    ID_COOKED = 181,
    ID_COOK_HISTORY = 182,
    ID_NOT_COOKED_LATELY = 183,
    ID_SORT_BY_COOKED = 184,
    ID_SORT_BY_RATING = 185,
    ID_PLAN_ADD = 186,
    ID_MEAL_PLAN = 187,
    ID_PLAN_SHOPPING = 188,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_DEFAULT_HELP = 57671,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

struct CommandInfo {
    int id;
    const char* menuText;
    const char* prompt;    // status-bar prompt, "\n", tooltip; nullptr where there is none
    const char* themeIcon; // the desktop theme's icon name, nullptr for our own drawing only
};

// Every command of the menu bar, in no particular order.
std::span<const CommandInfo> commandTable();
const CommandInfo* findCommand(int id);

struct MenuLayout {
    const char* title;          // with its keyboard mnemonic
    std::span<const int> items; // 0 is a separator line
};
std::span<const MenuLayout> menuBarLayout();
// Toolbar buttons left to right; 0 is a gap.
std::span<const int> toolbarLayout();
