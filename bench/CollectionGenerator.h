#pragma once

#include <QString>

class Database;

// Fills an empty collection with generated recipes for benchmarks and trying the program
// out on a realistic size. The same seed always gives the same collection.
struct CollectionSize {
    int recipes = 10000;
    int lines = 100000;
    int products = 2000;
    int units = 60;
    int sections = 500;
    int maxDepth = 4;
    int menuDishes = 50;
    // Recipes filed in one extra top-level section "Большой раздел" (counted in recipes).
    int bigSectionRecipes = 0;
    unsigned seed = 20261206;
};

struct GeneratedCollection {
    int bigSection = 0;        // ID of "Большой раздел", 0 when none
    int recipeWith30Lines = 0; // a recipe that has exactly 30 lines
};

GeneratedCollection generateCollection(Database& db, const CollectionSize& size);
