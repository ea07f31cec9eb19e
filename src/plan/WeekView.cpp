#include "WeekView.h"

#include "CookedDialog.h"
#include "PlanDialogs.h"
#include "PlanOutput.h"
#include "data/Database.h"
#include "recipes/Servings.h"
#include "ui/Prompts.h"
#include "ui/RecipeDrag.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr char kEntryMime[] = "application/x-ovelta-plan-entry";
constexpr int kEntryRole = Qt::UserRole;
constexpr int kRecipeRole = Qt::UserRole + 1;
constexpr int kDayRole = Qt::UserRole + 2;
constexpr int kNameRole = Qt::UserRole + 3;

} // namespace

// One day's meal: its entries, a drop target for recipes and entries, and the keys of the
// week.
class PlanCell : public QListWidget {
public:
    PlanCell(WeekView& week, int day, plan::Meal meal, QWidget* parent)
        : QListWidget(parent), m_week(week), m_day(day), m_meal(meal) {
        setObjectName(QStringLiteral("cell%1_%2").arg(day).arg(int(meal)));
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::MoveAction);
        setWordWrap(true);
        setTextElideMode(Qt::ElideRight);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setMinimumSize(60, 40);
        connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
            m_week.cellFocused(this);
            setCurrentItem(item);
            m_week.showCurrent();
        });
    }
    int day() const { return m_day; }
    plan::Meal meal() const { return m_meal; }

protected:
    QStringList mimeTypes() const override {
        return {QString::fromLatin1(kEntryMime), QString::fromLatin1(recipedrag::kMimeType)};
    }

    void startDrag(Qt::DropActions) override {
        const QListWidgetItem* item = currentItem();
        if (!item)
            return;
        auto carried = new QMimeData;
        carried->setData(QString::fromLatin1(kEntryMime),
                         QByteArray::number(item->data(kEntryRole).toLongLong()));
        auto drag = new QDrag(this);
        drag->setMimeData(carried);
        // The drop writes the move and reads the week again; nothing is taken out here.
        drag->exec(Qt::MoveAction);
    }

    void focusInEvent(QFocusEvent* event) override {
        m_week.cellFocused(this);
        QListWidget::focusInEvent(event);
    }

    void dragEnterEvent(QDragEnterEvent* event) override { takes(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { takes(event); }

    void dropEvent(QDropEvent* event) override {
        const QMimeData* carried = event->mimeData();
        if (carried->hasFormat(QString::fromLatin1(kEntryMime))) {
            const qint64 entry = carried->data(QString::fromLatin1(kEntryMime)).toLongLong();
            event->setDropAction(Qt::MoveAction);
            event->accept();
            // After the drag that carried it has ended in its own cell.
            QTimer::singleShot(0, &m_week, [week = &m_week, entry, day = m_day, meal = m_meal] {
                week->moveEntry(entry, day, meal);
            });
            return;
        }
        if (const std::optional<int> recipe = recipedrag::recipeIn(carried)) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
            m_week.addRecipe(*recipe, m_day, m_meal);
            return;
        }
        event->ignore();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Delete)) {
            m_week.removeCurrent();
        } else if (event->matches(QKeySequence::Cut)) {
            m_week.cut();
        } else if (event->matches(QKeySequence::Paste)) {
            m_week.paste();
        } else if (event->key() == Qt::Key_Insert) {
            m_week.addFromKeyboard();
        } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            m_week.showCurrent();
        } else if (event->key() == Qt::Key_PageUp) {
            m_week.showWeek(m_week.monday().addDays(-7));
        } else if (event->key() == Qt::Key_PageDown) {
            m_week.showWeek(m_week.monday().addDays(7));
        } else if (event->key() == Qt::Key_Left && event->modifiers() == Qt::NoModifier) {
            m_week.focusBeside(-1, 0);
        } else if (event->key() == Qt::Key_Right && event->modifiers() == Qt::NoModifier) {
            m_week.focusBeside(1, 0);
        } else if (event->key() == Qt::Key_Up && event->modifiers() == Qt::NoModifier &&
                   currentRow() <= 0) {
            m_week.focusBeside(0, -1);
        } else if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier &&
                   currentRow() >= count() - 1) {
            m_week.focusBeside(0, 1);
        } else {
            QListWidget::keyPressEvent(event);
        }
    }

private:
    template <class Event> void takes(Event* event) {
        const QMimeData* carried = event->mimeData();
        if (carried->hasFormat(QString::fromLatin1(kEntryMime)) || recipedrag::recipeIn(carried)) {
            event->setDropAction(carried->hasFormat(QString::fromLatin1(kEntryMime))
                                     ? Qt::MoveAction
                                     : Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    WeekView& m_week;
    int m_day;
    plan::Meal m_meal;
};

WeekView::WeekView(Database& db, QWidget* parent, const QDate& today)
    : QWidget(parent, Qt::Window), m_db(db), m_today(today) {
    setObjectName(QStringLiteral("mealPlan"));
    setWindowTitle(QStringLiteral("План питания"));

    auto button = [this](const QString& text, const char* name, const QString& tip) {
        auto b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* back =
        button(QStringLiteral("◀ &Назад"), "prevWeek", QStringLiteral("Прошлая неделя (PageUp)"));
    QPushButton* now =
        button(QStringLiteral("Се&годня"), "today", QStringLiteral("Неделя, в которой сегодня"));
    QPushButton* next = button(QStringLiteral("&Вперёд ▶"), "nextWeek",
                               QStringLiteral("Следующая неделя (PageDown)"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("weekTitle"));
    QFont big = m_title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    m_title->setFont(big);
    auto top = new QHBoxLayout;
    top->addWidget(back);
    top->addWidget(now);
    top->addWidget(next);
    top->addSpacing(12);
    top->addWidget(m_title, 1);
    connect(back, &QPushButton::clicked, this, [this] { showWeek(m_monday.addDays(-7)); });
    connect(next, &QPushButton::clicked, this, [this] { showWeek(m_monday.addDays(7)); });
    connect(now, &QPushButton::clicked, this, [this] { showWeek(m_today); });

    auto grid = new QGridLayout;
    grid->setSpacing(3);
    for (int d = 0; d < 7; ++d) {
        m_dayHeads[size_t(d)] = new QLabel(this);
        m_dayHeads[size_t(d)]->setAlignment(Qt::AlignCenter);
        m_dayHeads[size_t(d)]->setObjectName(QStringLiteral("day%1").arg(d));
        grid->addWidget(m_dayHeads[size_t(d)], 0, d + 1);
        grid->setColumnStretch(d + 1, 1);
    }
    for (int m = 0; m < plan::kMeals; ++m) {
        // Alt and the meal's letter go to its Monday.
        static const char* const kKeyed[plan::kMeals] = {"&Завтрак", "&Обед", "Уж&ин", "П&ерекус"};
        auto meal = new QLabel(QString::fromUtf8(kKeyed[m]), this);
        grid->addWidget(meal, m + 1, 0, Qt::AlignTop | Qt::AlignLeft);
        grid->setRowStretch(m + 1, 1);
        for (int d = 0; d < 7; ++d) {
            auto cell = new PlanCell(*this, d, plan::Meal(m), this);
            m_cells[size_t(d)][size_t(m)] = cell;
            grid->addWidget(cell, m + 1, d + 1);
            if (d == 0)
                meal->setBuddy(cell);
        }
    }

    QPushButton* add = button(QStringLiteral("&Добавить..."), "add",
                              QStringLiteral("Рецепт в выбранный день и приём пищи (Insert)"));
    m_cooked = button(QStringLiteral("&Приготовлено..."), "cooked",
                      QStringLiteral("Отметить выбранное блюдо приготовленным"));
    QPushButton* remove = button(QStringLiteral("&Убрать"), "remove",
                                 QStringLiteral("Убрать выбранное блюдо из плана (Delete)"));
    QPushButton* shopping = button(QStringLiteral("&Список покупок на дни..."), "shopping",
                                   QStringLiteral("Что купить для плана на несколько дней"));
    QPushButton* print =
        button(QStringLiteral("Пе&чать..."), "print", QStringLiteral("Неделя на одной странице"));
    QPushButton* calendar =
        button(QStringLiteral("В &календарь..."), "calendar",
               QStringLiteral("Сохранить неделю файлом iCalendar (.ics) для телефона"));
    QPushButton* close = button(QStringLiteral("Закр&ыть"), "close", QString());
    auto bottom = new QHBoxLayout;
    for (QPushButton* b : {add, m_cooked, remove})
        bottom->addWidget(b);
    bottom->addStretch(1);
    for (QPushButton* b : {shopping, print, calendar, close})
        bottom->addWidget(b);
    connect(add, &QPushButton::clicked, this, &WeekView::addFromKeyboard);
    connect(m_cooked, &QPushButton::clicked, this, &WeekView::markCooked);
    connect(remove, &QPushButton::clicked, this, &WeekView::removeCurrent);
    connect(shopping, &QPushButton::clicked, this, [this] {
        // The shown week, from today when today is in it.
        const QDate from =
            m_monday <= m_today && m_today <= m_monday.addDays(6) ? m_today : m_monday;
        if (const auto days = plan::askDays(this, from))
            plan::showShopping(m_db, days->first, days->second, this);
    });
    connect(print, &QPushButton::clicked, this, [this] { plan::printWeek(m_db, m_monday, this); });
    connect(calendar, &QPushButton::clicked, this,
            [this] { plan::saveCalendar(m_db, m_monday, m_monday.addDays(6), this); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addLayout(grid, 1);
    layout->addLayout(bottom);

    // The whole week on a 1024 by 600 screen, and no more than the screen has.
    QSize size(1000, 540);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(16, 40));
    resize(size);
    showWeek(today);
    m_cells[size_t(m_monday.daysTo(today))][size_t(plan::Meal::Lunch)]->setFocus();
}

QListWidget* WeekView::cell(int day, plan::Meal meal) const {
    return m_cells[size_t(day)][size_t(meal)];
}

void WeekView::showWeek(const QDate& day) {
    m_monday = plan::weekStart(day);
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    for (int d = 0; d < 7; ++d) {
        const QDate date = m_monday.addDays(d);
        QLabel* head = m_dayHeads[size_t(d)];
        head->setText(ru.toString(date, QStringLiteral("ddd, d MMM")));
        const bool today = date == m_today;
        head->setStyleSheet(
            today ? QStringLiteral("font-weight: bold; background: palette(highlight);"
                                   " color: palette(highlighted-text);")
                  : QString());
        head->setToolTip(today ? QStringLiteral("Сегодня") : QString());
    }
    m_title->setText(weekTitle());
    m_cutEntry = 0;
    reload();
}

QString WeekView::weekTitle() const {
    return QStringLiteral("%1 %2")
        .arg(plan::daysText(m_monday, m_monday.addDays(6)))
        .arg(m_monday.addDays(6).year());
}

void WeekView::reload() {
    const qint64 keep = currentEntry();
    QListWidget* focused = focusedCell();
    std::vector<plan::PlanEntry> entries;
    QHash<int, recipes::Servings> own;
    try {
        entries = plan::planBetween(m_db, m_monday, m_monday.addDays(6));
        for (const plan::PlanEntry& e : entries)
            if (!own.contains(e.recipe))
                own.insert(e.recipe, recipes::servingsOf(m_db, e.recipe));
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
    }
    for (auto& day : m_cells)
        for (PlanCell* c : day)
            c->clear();
    for (const plan::PlanEntry& e : entries) {
        const int day = int(m_monday.daysTo(e.day));
        PlanCell* c = m_cells[size_t(day)][size_t(e.meal)];
        const bool once = !own.value(e.recipe).known();
        QString text = once ? QStringLiteral("%1 (один раз)").arg(e.name)
                            : QStringLiteral("%1 (%2)").arg(e.name).arg(e.servings);
        QString tip = plan::entryTitle(e);
        if (once)
            tip += QStringLiteral("\nВ рецепте не сказано, на сколько он порций: в списке "
                                  "покупок он посчитан один раз.");
        if (e.done) {
            text = QStringLiteral("✓ ") + text;
            tip += QStringLiteral("\nПриготовлено");
        }
        auto item = new QListWidgetItem(text, c);
        item->setData(kEntryRole, e.id);
        item->setData(kRecipeRole, e.recipe);
        item->setData(kDayRole, e.day);
        item->setData(kNameRole, e.name);
        item->setToolTip(tip);
        if (e.done)
            item->setForeground(QColor(40, 120, 50));
        if (e.id == m_cutEntry) {
            QFont f = item->font();
            f.setItalic(true);
            item->setFont(f);
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        }
        if (e.id == keep && c == focused)
            c->setCurrentItem(item);
    }
}

const QListWidgetItem* WeekView::currentItem() const {
    PlanCell* c = focusedCell();
    return c ? c->currentItem() : nullptr;
}

qint64 WeekView::currentEntry() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(kEntryRole).toLongLong() : 0;
}

void WeekView::addRecipe(int recipe, int day, plan::Meal meal) {
    if (plan::writeOrSay(this, [&] {
            const recipes::Servings own = recipes::servingsOf(m_db, recipe);
            plan::addToPlan(m_db, m_monday.addDays(day), meal, recipe, own.known() ? own.count : 1);
        }))
        reload();
}

void WeekView::moveEntry(qint64 entry, int day, plan::Meal meal) {
    if (plan::writeOrSay(this, [&] { plan::moveEntry(m_db, entry, m_monday.addDays(day), meal); }))
        reload();
}

void WeekView::removeCurrent() {
    const qint64 entry = currentEntry();
    if (entry == 0)
        return;
    PlanCell* c = focusedCell();
    const int row = c->currentRow();
    if (plan::writeOrSay(this, [&] { plan::removeEntry(m_db, entry); })) {
        reload();
        c->setCurrentRow(std::min(row, c->count() - 1));
    }
}

void WeekView::cut() {
    m_cutEntry = currentEntry();
    reload();
}

void WeekView::paste() {
    PlanCell* c = focusedCell();
    if (m_cutEntry == 0 || !c)
        return;
    const qint64 entry = m_cutEntry;
    m_cutEntry = 0;
    moveEntry(entry, c->day(), c->meal());
}

void WeekView::addFromKeyboard() {
    PlanCell* c = focusedCell();
    if (!c)
        c = m_cells[0][size_t(plan::Meal::Lunch)];
    PickRecipeDialog dialog(m_db, m_monday.addDays(c->day()), c->meal(), this);
    if (dialog.exec() == QDialog::Accepted)
        reload();
    c->setFocus();
}

void WeekView::markCooked() {
    const QListWidgetItem* item = currentItem();
    if (!item) {
        Prompts::error(this, QStringLiteral("Выберите блюдо в плане"));
        return;
    }
    const QDate day = item->data(kDayRole).toDate();
    if (day > m_today) {
        Prompts::error(this, QStringLiteral("Этот день ещё не наступил: отметить блюдо "
                                            "приготовленным можно с его дня"));
        return;
    }
    const int recipe = item->data(kRecipeRole).toInt();
    CookedDialog dialog(m_db, recipe, item->data(kNameRole).toString(), this, day);
    if (dialog.exec() == QDialog::Accepted)
        reload();
}

void WeekView::showCurrent() {
    const QListWidgetItem* item = currentItem();
    if (item && m_showRecipe)
        m_showRecipe(item->data(kRecipeRole).toInt());
}

void WeekView::focusBeside(int days, int meals) {
    PlanCell* c = focusedCell();
    if (!c)
        return;
    const int day = c->day() + days;
    const int meal = int(c->meal()) + meals;
    if (day < 0 || day > 6 || meal < 0 || meal >= plan::kMeals)
        return;
    PlanCell* to = m_cells[size_t(day)][size_t(meal)];
    to->setFocus();
    if (to->count() > 0 && !to->currentItem())
        to->setCurrentRow(meals < 0 ? to->count() - 1 : 0);
}

bool WeekView::event(QEvent* event) {
    // What was planned or cooked from the main window meanwhile shows on coming back.
    if (event->type() == QEvent::WindowActivate)
        reload();
    return QWidget::event(event);
}
