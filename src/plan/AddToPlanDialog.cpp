#include "AddToPlanDialog.h"

#include "CookedDialog.h"
#include "MealPlan.h"
#include "recipes/Servings.h"
#include "ui/DialogButtons.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

AddToPlanDialog::AddToPlanDialog(Database& db, int recipe, const QString& name, QWidget* parent,
                                 const QDate& day)
    : QDialog(parent), m_db(db), m_recipe(recipe) {
    setObjectName(QStringLiteral("addToPlan"));
    setWindowTitle(QStringLiteral("Добавить в план"));
    auto title = new QLabel(QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped()), this);
    m_day = new QDateEdit(day, this);
    m_day->setObjectName(QStringLiteral("day"));
    m_day->setCalendarPopup(true);
    // The day's name in Russian whatever the desktop's language.
    m_day->setLocale(QLocale(QLocale::Russian));
    m_day->setDisplayFormat(QStringLiteral("dddd, dd.MM.yyyy"));
    m_meal = new QComboBox(this);
    m_meal->setObjectName(QStringLiteral("meal"));
    for (int m = 0; m < plan::kMeals; ++m)
        m_meal->addItem(plan::mealName(plan::Meal(m)), m);
    m_meal->setCurrentIndex(int(plan::Meal::Lunch));
    m_servings = new QSpinBox(this);
    m_servings->setObjectName(QStringLiteral("servings"));
    m_servings->setRange(1, plan::kMaxServings);
    const recipes::Servings own = recipes::servingsOf(db, recipe);
    m_servings->setValue(own.known() ? own.count : 1);
    auto form = new QFormLayout;
    form->addRow(QStringLiteral("&День:"), m_day);
    form->addRow(QStringLiteral("&Приём пищи:"), m_meal);
    form->addRow(QStringLiteral("П&орций:"), m_servings);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    if (!own.known()) {
        auto unknown = new QLabel(QStringLiteral("В рецепте не сказано, на сколько он порций: в "
                                                 "списке покупок он посчитается один раз."),
                                  this);
        unknown->setObjectName(QStringLiteral("servingsUnknown"));
        unknown->setWordWrap(true);
        layout->addWidget(unknown);
    }
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddToPlanDialog::confirm);
    layout->addWidget(buttons);
}

void AddToPlanDialog::confirm() {
    if (plan::writeOrSay(this, [this] {
            plan::addToPlan(m_db, m_day->date(), plan::Meal(m_meal->currentData().toInt()),
                            m_recipe, m_servings->value());
        }))
        accept();
}
