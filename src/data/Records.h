#pragma once

#include "Recordset.h"

// The record classes: one per table or stored query, fields in binding order.
// Classes that bind the same columns share one binding routine through a common base.

// ID, Name: the two dictionaries and the two kitchen lists seen with their names.
class CIdNameRecord : public CRecordset {
public:
    int ID = 0;
    QString Name;

protected:
    using CRecordset::CRecordset;
    void exchange(FieldExchange& fx) override;
};

// ID alone: the two kitchen lists.
class CIdRecord : public CRecordset {
public:
    int ID = 0;

protected:
    using CRecordset::CRecordset;
    void exchange(FieldExchange& fx) override;
};

// Name, then ID: the import's work tables.
class CNameIdRecord : public CRecordset {
public:
    QString Name;
    int ID = 0;

protected:
    using CRecordset::CRecordset;
    void exchange(FieldExchange& fx) override;
};

class CCatalog : public CRecordset {
public:
    explicit CCatalog(Database& db) : CRecordset(db, "Catalog", Kind::Table) {}
    int ID = 0;
    int Parent = 0;
    QString Name;

protected:
    void exchange(FieldExchange& fx) override;
};

class CRecipesset : public CRecordset {
public:
    explicit CRecipesset(Database& db) : CRecordset(db, "Recipes", Kind::Table) {}
    int ID = 0;
    int Catalog = 0;
    QString Name;
    QString Recipe;

protected:
    void exchange(FieldExchange& fx) override;
};

class CIngredient : public CIdNameRecord {
public:
    explicit CIngredient(Database& db) : CIdNameRecord(db, "Ingredient", Kind::Table) {}
};

class CUnits : public CIdNameRecord {
public:
    explicit CUnits(Database& db) : CIdNameRecord(db, "Units", Kind::Table) {}
};

class CIngredients : public CRecordset {
public:
    explicit CIngredients(Database& db) : CRecordset(db, "Ingredients", Kind::Table) {}
    int ID = 0;
    int Recipe = 0;
    int Ingredient = 0;
    float Quantity = 0;
    int Unit = 0;
    bool Have = false;

protected:
    void exchange(FieldExchange& fx) override;
};

class CProducts : public CIdRecord {
public:
    explicit CProducts(Database& db) : CIdRecord(db, "Products", Kind::Table) {}
};

class CProductsAlways : public CIdRecord {
public:
    explicit CProductsAlways(Database& db) : CIdRecord(db, "ProductsAlways", Kind::Table) {}
};

class CMenuset : public CRecordset {
public:
    explicit CMenuset(Database& db) : CRecordset(db, "Menu", Kind::Table) {}
    int Recipe = 0;
    int Quantity = 0;

protected:
    void exchange(FieldExchange& fx) override;
};

class CRegister : public CRecordset {
public:
    explicit CRegister(Database& db) : CRecordset(db, "Register", Kind::Table) {}
    QString Name;
    QString Value;

protected:
    void exchange(FieldExchange& fx) override;
};

class CImport_Ingredient : public CNameIdRecord {
public:
    explicit CImport_Ingredient(Database& db)
        : CNameIdRecord(db, "Import_Ingredient", Kind::Table) {}
};

class CImport_Units : public CNameIdRecord {
public:
    explicit CImport_Units(Database& db) : CNameIdRecord(db, "Import_Units", Kind::Table) {}
};

// Stored queries (read-only).

class CIngredientsFull : public CRecordset {
public:
    explicit CIngredientsFull(Database& db) : CRecordset(db, "IngredientsFull", Kind::View) {}
    int ID = 0;
    int Recipe = 0;
    int Ingredient = 0;
    int UnitID = 0;
    QString Name;
    float Quantity = 0;
    QString Unit;

protected:
    void exchange(FieldExchange& fx) override;
};

class CRecipeIngredientsFull : public CRecordset {
public:
    explicit CRecipeIngredientsFull(Database& db)
        : CRecordset(db, "RecipeIngredientsFull", Kind::View) {}
    int ID = 0;
    QString Name;
    float Quantity = 0;
    QString Unit;

protected:
    void exchange(FieldExchange& fx) override;
};

class CProductsFull : public CIdNameRecord {
public:
    explicit CProductsFull(Database& db) : CIdNameRecord(db, "ProductsFull", Kind::View) {}
};

class CProductsAlwaysFull : public CIdNameRecord {
public:
    explicit CProductsAlwaysFull(Database& db)
        : CIdNameRecord(db, "ProductsAlwaysFull", Kind::View) {}
};

class CIngredientUse : public CRecordset {
public:
    explicit CIngredientUse(Database& db) : CRecordset(db, "IngredientUse", Kind::View) {}
    int ID = 0;
    QString Name;
    int Ingredient = 0;
    bool Have = false;

protected:
    void exchange(FieldExchange& fx) override;
};

class CUnitUse : public CRecordset {
public:
    explicit CUnitUse(Database& db) : CRecordset(db, "UnitUse", Kind::View) {}
    int ID = 0;
    QString Name;
    int Unit = 0;

protected:
    void exchange(FieldExchange& fx) override;
};
