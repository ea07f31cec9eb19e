#include "ScaleBar.h"

#include "recipes/CRView.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cmath>

namespace {

const double kSteps[] = {0.25, 0.5, 1, 1.5, 2, 3, 4, 5, 6, 8, 10, 15, 20, 30, 50, 100};

QString factorLabel(double factor) {
    const bool fraction = std::abs(factor * 12 - std::round(factor * 12)) < 1e-6;
    return fraction ? cooking::fractionText(factor) : cooking::numberText(factor);
}

} // namespace

ScaleBar::ScaleBar(Database& db, CRView& pane, QWidget* parent)
    : QWidget(parent), m_db(db), m_pane(pane) {
    setObjectName(QStringLiteral("scaleBar"));
    setAutoFillBackground(true);
    m_countLabel = new QLabel(QStringLiteral("Пор&ций:"), this);
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("servings"));
    m_count->setRange(1, recipes::kMaxServings);
    m_count->setToolTip(QStringLiteral("Сколько порций приготовить"));
    m_countLabel->setBuddy(m_count);
    // Reached with Tab from the servings: the sign has no letter to press.
    auto times = new QLabel(QStringLiteral("×"), this);
    m_factor = new QComboBox(this);
    m_factor->setObjectName(QStringLiteral("factor"));
    m_factor->setEditable(true);
    m_factor->setInsertPolicy(QComboBox::NoInsert);
    for (double f : {0.5, 1.0, 1.5, 2.0, 3.0})
        m_factor->addItem(factorLabel(f), f);
    m_factor->setToolTip(QStringLiteral("Во сколько раз больше или меньше рецепта (Ctrl+плюс, "
                                        "Ctrl+минус; Ctrl+0 — как в рецепте)"));
    m_factor->setMinimumContentsLength(4);
    m_grams = new QCheckBox(QStringLiteral("в &граммах"), this);
    m_grams->setObjectName(QStringLiteral("grams"));
    m_grams->setToolTip(QStringLiteral("Показать вес рядом с объёмом и штуками"));

    auto row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(m_countLabel);
    row->addWidget(m_count);
    row->addSpacing(8);
    row->addWidget(times);
    row->addWidget(m_factor);
    row->addSpacing(8);
    row->addWidget(m_grams);
    row->addStretch(1);

    connect(m_count, &QSpinBox::valueChanged, this, [this](int n) {
        if (m_servings.known())
            setServings(n);
    });
    connect(m_factor, &QComboBox::activated, this,
            [this](int index) { setFactor(m_factor->itemData(index).toDouble()); });
    connect(m_factor->lineEdit(), &QLineEdit::editingFinished, this, &ScaleBar::factorTyped);
    connect(m_grams, &QCheckBox::toggled, this, &ScaleBar::setGrams);

    m_pane.setPresenter([this](int recipe) { return present(recipe); });
    m_pane.setTopBar(this);
    showState();
}

std::optional<PresentedRecipe> ScaleBar::present(int recipe) {
    if (recipe != m_recipe) {
        // Another recipe comes as it is written; the grams stay as the cook left them.
        m_recipe = recipe;
        m_view.factor = 1;
    }
    m_servings = recipes::servingsOf(m_db, recipe);
    showState();
    if (!m_view.scaled() && !m_view.grams)
        return std::nullopt;
    std::optional<cooking::Shown> shown = cooking::present(m_db, recipe, m_view);
    if (!shown)
        return std::nullopt;
    PresentedRecipe out;
    out.content.name = shown->name;
    out.content.text = shown->text;
    for (const cooking::ShownLine& l : shown->lines)
        out.content.lines.push_back({l.product, 0, {}, l.amount});
    out.note = cooking::servingsNote(m_servings, m_view.factor);
    out.factor = m_view.factor;
    return out;
}

void ScaleBar::showState() {
    const QSignalBlocker countQuiet(m_count);
    const QSignalBlocker factorQuiet(m_factor);
    const QSignalBlocker gramsQuiet(m_grams);
    const bool known = m_servings.known();
    m_count->setEnabled(known);
    m_countLabel->setEnabled(known);
    m_count->setSpecialValueText(known ? QString() : QStringLiteral("—"));
    m_count->setValue(known ? int(std::lround(m_servings.count * m_view.factor)) : 1);
    m_count->setToolTip(
        known ? QStringLiteral("Сколько порций приготовить; в рецепте %1").arg(m_servings.count)
              : QStringLiteral("В рецепте не сказано, на сколько он порций"));
    m_factor->setCurrentIndex(-1);
    const int index = m_factor->findData(m_view.factor);
    if (index >= 0)
        m_factor->setCurrentIndex(index);
    m_factor->setEditText(factorLabel(m_view.factor));
    m_grams->setChecked(m_view.grams);
}

void ScaleBar::reshow() {
    if (m_pane.CurrentRecipeId() > 0)
        m_pane.ShowRecipe(m_pane.CurrentRecipeId());
    else
        showState();
}

bool ScaleBar::setFactor(double factor) {
    if (const QString problem = cooking::factorProblem(factor); !problem.isEmpty()) {
        Prompts::error(this, problem);
        showState();
        return false;
    }
    m_view.factor = factor;
    reshow();
    return true;
}

bool ScaleBar::setServings(int servings) {
    if (const QString problem = cooking::servingsProblem(servings); !problem.isEmpty()) {
        Prompts::error(this, problem);
        showState();
        return false;
    }
    if (!m_servings.known())
        return false;
    return setFactor(double(servings) / m_servings.count);
}

void ScaleBar::factorTyped() {
    const QString typed = m_factor->currentText();
    if (typed == factorLabel(m_view.factor))
        return;
    const std::optional<double> factor = cooking::readFactor(typed);
    if (!factor) {
        Prompts::error(this, QStringLiteral("«%1» — не число. Множитель пишется так: 2, 1,5, "
                                            "½ или 3/4.")
                                 .arg(typed));
        showState();
        return;
    }
    setFactor(*factor);
}

void ScaleBar::setGrams(bool on) {
    if (m_view.grams == on)
        return;
    m_view.grams = on;
    reshow();
    emit gramsChanged(on);
}

void ScaleBar::stepUp() {
    if (m_servings.known()) {
        const int now = int(std::lround(m_servings.count * m_view.factor));
        if (now < recipes::kMaxServings)
            setServings(now + 1);
        return;
    }
    for (double f : kSteps)
        if (f > m_view.factor + 1e-9) {
            setFactor(f);
            return;
        }
}

void ScaleBar::stepDown() {
    if (m_servings.known()) {
        const int now = int(std::lround(m_servings.count * m_view.factor));
        if (now > 1)
            setServings(now - 1);
        return;
    }
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it)
        if (*it < m_view.factor - 1e-9) {
            setFactor(*it);
            return;
        }
}

void ScaleBar::reset() {
    setFactor(1);
}
