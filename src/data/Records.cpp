#include "Records.h"

void CIdNameRecord::exchange(FieldExchange& fx) {
    fx.key("ID", ID);
    fx.field("Name", Name);
}

void CIdRecord::exchange(FieldExchange& fx) {
    fx.field("ID", ID);
}

void CNameIdRecord::exchange(FieldExchange& fx) {
    fx.field("Name", Name);
    fx.field("ID", ID);
}

void CCatalog::exchange(FieldExchange& fx) {
    fx.key("ID", ID);
    fx.field("Parent", Parent);
    fx.field("Name", Name);
}

void CRecipesset::exchange(FieldExchange& fx) {
    fx.key("ID", ID);
    fx.field("Catalog", Catalog);
    fx.field("Name", Name);
    fx.field("Recipe", Recipe);
}

void CIngredients::exchange(FieldExchange& fx) {
    fx.key("ID", ID);
    fx.field("Recipe", Recipe);
    fx.field("Ingredient", Ingredient);
    fx.field("Quantity", Quantity);
    fx.field("Unit", Unit);
    fx.field("Have", Have);
}

void CMenuset::exchange(FieldExchange& fx) {
    fx.field("Recipe", Recipe);
    fx.field("Quantity", Quantity);
}

void CRegister::exchange(FieldExchange& fx) {
    fx.field("Name", Name);
    fx.field("Value", Value);
}

void CIngredientsFull::exchange(FieldExchange& fx) {
    fx.field("ID", ID);
    fx.field("Recipe", Recipe);
    fx.field("Ingredient", Ingredient);
    fx.field("UnitID", UnitID);
    fx.field("Name", Name);
    fx.field("Quantity", Quantity);
    fx.field("Unit", Unit);
}

void CRecipeIngredientsFull::exchange(FieldExchange& fx) {
    fx.field("ID", ID);
    fx.field("Name", Name);
    fx.field("Quantity", Quantity);
    fx.field("Unit", Unit);
}

void CIngredientUse::exchange(FieldExchange& fx) {
    fx.field("ID", ID);
    fx.field("Name", Name);
    fx.field("Ingredient", Ingredient);
    fx.field("Have", Have);
}

void CUnitUse::exchange(FieldExchange& fx) {
    fx.field("ID", ID);
    fx.field("Name", Name);
    fx.field("Unit", Unit);
}
