#pragma once

#include "Scaling.h"
#include "recipes/CRView.h"

#include <QWidget>

class CRView;
class Database;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// The strip over the recipe pane that makes the shown recipe for more or fewer servings,
// by servings where the recipe knows them, else by a factor, and shows grams beside its
// lines. It only ever changes what is shown.
class ScaleBar : public QWidget {
    Q_OBJECT
public:
    ScaleBar(Database& db, CRView& pane, QWidget* parent = nullptr);

    const cooking::View& view() const { return m_view; }
    // Each re-shows the recipe; a refused value says why and changes nothing.
    bool setFactor(double factor);
    bool setServings(int servings);
    void setGrams(bool on);
    // A serving more or less where the recipe knows them, else the next usual factor.
    void stepUp();
    void stepDown();
    void reset();

signals:
    void gramsChanged(bool on);

private:
    std::optional<PresentedRecipe> present(int recipe);
    void showState();
    void factorTyped();
    void reshow();

    Database& m_db;
    CRView& m_pane;
    cooking::View m_view;
    recipes::Servings m_servings; // the shown recipe's, as stored
    int m_recipe = 0;
    QSpinBox* m_count;
    QComboBox* m_factor;
    QCheckBox* m_grams;
    QLabel* m_countLabel;
};
