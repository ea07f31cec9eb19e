#include "FoodValueDialog.h"

#include "NutritionStore.h"
#include "UnitNames.h"
#include "data/Database.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

QString numberText(const std::optional<double>& value) {
    return value ? QLocale(QLocale::Russian).toString(*value, 'g', 6) : QString();
}

// A number as a cook types it: a decimal comma or point; empty is "not known".
std::optional<double> typedNumber(const QString& text, bool& bad) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || value < 0 || !std::isfinite(value)) {
        bad = true;
        return std::nullopt;
    }
    return value;
}

} // namespace

CFoodValueDlg::CFoodValueDlg(Database& db, int product, const QString& name, QWidget* parent)
    : QDialog(parent), m_db(db), m_product(product), m_name(name) {
    setObjectName(QStringLiteral("foodValueDlg"));
    setWindowTitle(QStringLiteral("Вес и пищевая ценность — %1").arg(name));

    auto field = [this](const char* objectName) {
        auto edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(objectName));
        edit->setMaximumWidth(90);
        return edit;
    };
    m_kcal = field("kcal");
    m_protein = field("protein");
    m_fat = field("fat");
    m_carbs = field("carbs");
    m_density = field("density");
    auto per100 = new QGroupBox(QStringLiteral("На 100 г"), this);
    auto per100Form = new QFormLayout(per100);
    per100Form->addRow(QStringLiteral("&ккал:"), m_kcal);
    per100Form->addRow(QStringLiteral("&белки, г:"), m_protein);
    per100Form->addRow(QStringLiteral("&жиры, г:"), m_fat);
    per100Form->addRow(QStringLiteral("&углеводы, г:"), m_carbs);
    auto measures = new QFormLayout;
    measures->addRow(QStringLiteral("&Граммов в 1 мл:"), m_density);
    m_counted = new QCheckBox(QStringLiteral("Покупается &штуками"), this);
    m_counted->setObjectName(QStringLiteral("counted"));
    measures->addRow(m_counted);

    m_weights = new QTableWidget(0, 2, this);
    m_weights->setObjectName(QStringLiteral("weights"));
    m_weights->setHorizontalHeaderLabels(
        {QStringLiteral("Единица"), QStringLiteral("Граммов в одной")});
    m_weights->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_weights->verticalHeader()->hide();
    m_weights->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_weights->setTabKeyNavigation(false);
    auto weightsLabel =
        new QLabel(QStringLiteral("&Вес единиц (шт, стакан, ст.л., пучок...):"), this);
    weightsLabel->setBuddy(m_weights);
    auto rowButtons = new QHBoxLayout;
    auto addRow = new QPushButton(QStringLiteral("Д&обавить строку"), this);
    addRow->setObjectName(QStringLiteral("addWeight"));
    auto removeRow = new QPushButton(QStringLiteral("Уд&алить строку"), this);
    removeRow->setObjectName(QStringLiteral("removeWeight"));
    auto fromTable = new QPushButton(QStringLiteral("Из &справочника"), this);
    fromTable->setObjectName(QStringLiteral("fromTable"));
    for (QPushButton* b : {addRow, removeRow, fromTable}) {
        b->setAutoDefault(false);
        rowButtons->addWidget(b);
    }
    rowButtons->addStretch(1);
    connect(addRow, &QPushButton::clicked, this, [this] {
        addWeightRow();
        m_weights->setFocus();
        m_weights->editItem(m_weights->item(m_weights->rowCount() - 1, 0));
    });
    connect(removeRow, &QPushButton::clicked, this, &CFoodValueDlg::removeWeightRow);
    connect(fromTable, &QPushButton::clicked, this, &CFoodValueDlg::takeFromTable);

    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("source"));
    m_source->setWordWrap(true);

    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFoodValueDlg::save);

    auto top = new QHBoxLayout;
    top->addWidget(per100);
    top->addLayout(measures, 1);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(weightsLabel);
    layout->addWidget(m_weights, 1);
    layout->addLayout(rowButtons);
    layout->addWidget(m_source);
    layout->addWidget(buttons);
    resize(520, 460);

    showFigures(nutrition::productFigures(m_db, m_product), nutrition::ownFigures(m_db, m_product));
}

void CFoodValueDlg::showFigures(const nutrition::Figures& f, bool own) {
    const auto part = [&](double nutrition::FoodValue::*member) {
        return f.per100 ? std::optional<double>((*f.per100).*member) : std::nullopt;
    };
    m_kcal->setText(numberText(part(&nutrition::FoodValue::kcal)));
    m_protein->setText(numberText(part(&nutrition::FoodValue::protein)));
    m_fat->setText(numberText(part(&nutrition::FoodValue::fat)));
    m_carbs->setText(numberText(part(&nutrition::FoodValue::carbs)));
    m_density->setText(numberText(f.density));
    m_counted->setChecked(f.counted);
    m_weights->setRowCount(0);
    for (const auto& [unit, grams] : f.weights)
        addWeightRow(unit, grams);
    m_source->setText(own ? QStringLiteral("Данные пользователя.")
                      : f.known()
                          ? QStringLiteral("Источник: %1.").arg(nutrition::sourceText(f.source))
                          : QStringLiteral("Справочник этого продукта не знает."));
}

void CFoodValueDlg::addWeightRow(const QString& unit, double grams) {
    const int row = m_weights->rowCount();
    m_weights->insertRow(row);
    m_weights->setItem(row, 0, new QTableWidgetItem(unit));
    m_weights->setItem(row, 1, new QTableWidgetItem(grams > 0 ? numberText(grams) : QString()));
}

void CFoodValueDlg::removeWeightRow() {
    const int row = m_weights->currentRow();
    if (row >= 0)
        m_weights->removeRow(row);
}

void CFoodValueDlg::takeFromTable() {
    const nutrition::TableRow* row = nutrition::tableRowFor(m_name);
    if (!row) {
        Prompts::notice(this, QStringLiteral("Справочник не знает продукта «%1».").arg(m_name));
        return;
    }
    showFigures(row->figures, false);
}

std::optional<nutrition::Figures> CFoodValueDlg::typedFigures() {
    bool bad = false;
    nutrition::Figures f;
    const auto kcal = typedNumber(m_kcal->text(), bad),
               protein = typedNumber(m_protein->text(), bad), fat = typedNumber(m_fat->text(), bad),
               carbs = typedNumber(m_carbs->text(), bad);
    f.density = typedNumber(m_density->text(), bad);
    if (bad) {
        Prompts::error(this, QStringLiteral("Числа пишутся цифрами, с запятой или точкой: 12,5."));
        return std::nullopt;
    }
    const int given = int(kcal.has_value()) + int(protein.has_value()) + int(fat.has_value()) +
                      int(carbs.has_value());
    if (given != 0 && given != 4) {
        Prompts::error(this, QStringLiteral("Укажите на 100 г все четыре числа или ни одного."));
        return std::nullopt;
    }
    if (given == 4)
        f.per100 = nutrition::FoodValue{*kcal, *protein, *fat, *carbs};
    if (f.density && *f.density == 0)
        f.density.reset();
    for (int row = 0; row < m_weights->rowCount(); ++row) {
        const QString written =
            m_weights->item(row, 0) ? m_weights->item(row, 0)->text().trimmed() : QString();
        const QString gramsText =
            m_weights->item(row, 1) ? m_weights->item(row, 1)->text() : QString();
        if (written.isEmpty() && gramsText.trimmed().isEmpty())
            continue;
        const auto grams = typedNumber(gramsText, bad);
        if (written.isEmpty() || !grams || *grams == 0 || bad) {
            Prompts::error(this, QStringLiteral("В строке %1 веса единиц нужны единица и число "
                                                "граммов больше нуля.")
                                     .arg(row + 1));
            return std::nullopt;
        }
        const QString usual = nutrition::usualUnit(written);
        f.weights.emplace_back(usual.isEmpty() ? written : usual, *grams);
    }
    f.counted = m_counted->isChecked();
    if (f.counted && !f.weightOf(QStringLiteral("шт"))) {
        Prompts::error(this, QStringLiteral("Для продукта, который покупается штуками, "
                                            "укажите вес одной штуки (шт)."));
        return std::nullopt;
    }
    return f;
}

void CFoodValueDlg::save() {
    const std::optional<nutrition::Figures> f = typedFigures();
    if (!f)
        return;
    nutrition::setOwnFigures(m_db, m_product, *f);
    accept();
}
