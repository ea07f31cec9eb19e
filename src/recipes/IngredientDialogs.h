#pragma once

#include "RecipeStore.h"

#include <QDialog>
#include <QList>
#include <memory>

class Database;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class NameCompleter;

// The name dialog of a product or a unit: new, rename or delete one dictionary entry.
class CNameForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { New = 0, Rename = 1, Delete = 2 };

    int entry() const { return m_entry; }
    QString name() const;
    // A new entry's name to start from (the one the user typed elsewhere).
    void setName(const QString& name);

protected:
    CNameForm(Database& db, recipes::Dictionary which, Mode mode, int entry, QWidget* parent);

private:
    void confirm();

    Database& m_db;
    recipes::Dictionary m_which;
    Mode m_mode;
    int m_entry;
    QLineEdit* m_name;
};

class CIngredientForm : public CNameForm {
    Q_OBJECT
public:
    CIngredientForm(Database& db, Mode mode, int entry = 0, QWidget* parent = nullptr)
        : CNameForm(db, recipes::Dictionary::Products, mode, entry, parent) {}
};

class CUnitForm : public CNameForm {
    Q_OBJECT
public:
    CUnitForm(Database& db, Mode mode, int entry = 0, QWidget* parent = nullptr)
        : CNameForm(db, recipes::Dictionary::Units, mode, entry, parent) {}
};

// The name dialog of the dictionary given.
std::unique_ptr<CNameForm> makeNameForm(Database& db, recipes::Dictionary which,
                                        CNameForm::Mode mode, int entry, QWidget* parent);

// A list of products or units to choose from, sorted, with a button that makes a new one.
class CPickerList : public QDialog {
    Q_OBJECT
public:
    QListWidget* list() const { return m_list; }
    QLineEdit* filter() const { return m_filter; }

protected:
    CPickerList(Database& db, recipes::Dictionary which, bool multiple, QWidget* parent);
    virtual bool choose() = 0; // false keeps the picker open
    bool eventFilter(QObject* watched, QEvent* event) override;

    Database& m_db;
    recipes::Dictionary m_which;
    QLineEdit* m_filter;
    QListWidget* m_list;
    QPushButton* m_choose;

private:
    void createNew();
    void applyFilter(const QString& text);
};

// Choose one entry.
class CSinglePickerList : public CPickerList {
    Q_OBJECT
public:
    int id() const { return m_id; }
    QString name() const { return m_name; }

protected:
    CSinglePickerList(Database& db, recipes::Dictionary which, QWidget* parent);
    bool choose() override;

private:
    int m_id = 0;
    QString m_name;
};

class CIngredientList : public CSinglePickerList {
    Q_OBJECT
public:
    explicit CIngredientList(Database& db, QWidget* parent = nullptr)
        : CSinglePickerList(db, recipes::Dictionary::Products, parent) {}
};

class CUnitList : public CSinglePickerList {
    Q_OBJECT
public:
    explicit CUnitList(Database& db, QWidget* parent = nullptr)
        : CSinglePickerList(db, recipes::Dictionary::Units, parent) {}
};

// Choose several products; the result keeps the order of the list.
class CIngredientListM : public CPickerList {
    Q_OBJECT
public:
    explicit CIngredientListM(Database& db, QWidget* parent = nullptr);
    const QList<int>& ids() const { return m_ids; }
    const QStringList& names() const { return m_names; }

protected:
    bool choose() override;

private:
    QList<int> m_ids;
    QStringList m_names;
};

// One ingredient line of a recipe: product, amount and unit.
class CIngredientsForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { Add = 0, Change = 1, Delete = 2 };

    CIngredientsForm(Database& db, Mode mode, int line, int recipe, QWidget* parent = nullptr);

    int line() const { return m_line; }
    QString productName() const { return m_productName; }
    float amount() const { return m_amount; }
    QString unitName() const { return m_unitName; }

private:
    void pickProduct();
    void pickUnit();
    void confirm();
    // The entry a typed name stands for: the one chosen, else one of that name (case and
    // ё aside), else a new one made through the name dialog. False when there is none.
    bool resolve(recipes::Dictionary which, QLineEdit* edit, int& id, QString& name);

    Database& m_db;
    Mode m_mode;
    int m_line;
    int m_recipe;
    int m_product = 0;
    int m_productAtOpening = 0;
    int m_unit = 0;
    QString m_productName;
    float m_amount = 0;
    QString m_unitName;
    QLineEdit* m_productEdit;
    QLineEdit* m_amountEdit;
    QLineEdit* m_unitEdit;
    NameCompleter* m_productCompleter = nullptr;
    NameCompleter* m_unitCompleter = nullptr;
};
