#include "CookingWindow.h"

#include "ui/Prompts.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFont scaled(QFont font, double times, bool bold = false) {
    font.setPointSizeF(font.pointSizeF() * times);
    font.setBold(bold);
    return font;
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

} // namespace

CookingWindow::CookingWindow(Database& db, int recipe, const cooking::View& view,
                             QDBusConnection bus, QWidget* parent)
    : QDialog(parent), m_shown(cooking::present(db, recipe, view)), m_bus(bus), m_keeper(bus),
      m_timers(std::make_unique<cooking::Timers>()) {
    setObjectName(QStringLiteral("cookingWindow"));
    setWindowTitle(QStringLiteral("Готовить"));
    if (!m_shown)
        return;
    m_steps = cooking::splitSteps(m_shown->text);
    const QFont base = font();

    auto title = new QLabel(m_shown->name, this);
    title->setObjectName(QStringLiteral("cookingTitle"));
    title->setFont(scaled(base, 2.0, true));
    title->setWordWrap(true);
    auto note = new QLabel(cooking::servingsNote(m_shown->servings, m_shown->factor), this);
    note->setFont(scaled(base, 1.3));
    note->setVisible(!note->text().isEmpty());
    auto leave = new QPushButton(QStringLiteral("Выйти (Esc)"), this);
    leave->setObjectName(QStringLiteral("leaveButton"));
    leave->setFont(scaled(base, 1.3));
    leave->setFocusPolicy(Qt::NoFocus);
    connect(leave, &QPushButton::clicked, this, &CookingWindow::reject);

    m_products = new QListWidget(this);
    m_products->setObjectName(QStringLiteral("cookingProducts"));
    m_products->setFont(scaled(base, 1.5));
    m_products->setWordWrap(true);
    for (const cooking::ShownLine& l : m_shown->lines) {
        auto item = new QListWidgetItem(
            l.amount.isEmpty() ? l.product : QStringLiteral("%1 — %2").arg(l.product, l.amount),
            m_products);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    m_products->installEventFilter(this);

    m_stepNumber = new QLabel(this);
    m_stepNumber->setObjectName(QStringLiteral("stepNumber"));
    m_stepNumber->setFont(scaled(base, 1.4, true));
    m_stepText = new QLabel(this);
    m_stepText->setObjectName(QStringLiteral("stepText"));
    m_stepText->setFont(scaled(base, 2.2));
    m_stepText->setWordWrap(true);
    m_stepText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stepText->setTextInteractionFlags(Qt::NoTextInteraction);
    auto stepScroll = new QScrollArea(this);
    stepScroll->setWidget(m_stepText);
    stepScroll->setWidgetResizable(true);
    stepScroll->setFrameShape(QFrame::NoFrame);
    stepScroll->setFocusPolicy(Qt::NoFocus);
    m_timeButtons = new QHBoxLayout;

    m_back = new QPushButton(QStringLiteral("← Назад"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_next = new QPushButton(QStringLiteral("Дальше →"), this);
    m_next->setObjectName(QStringLiteral("nextButton"));
    for (QPushButton* b : {m_back, m_next}) {
        b->setFont(scaled(base, 2.0, true));
        b->setMinimumHeight(QFontMetrics(b->font()).height() * 2);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }
    connect(m_back, &QPushButton::clicked, this, [this] { goTo(m_step - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { goTo(m_step + 1); });

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("timerMessage"));
    m_message->setFont(scaled(base, 1.6, true));
    m_message->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_message->setWordWrap(true);
    m_message->hide();
    m_timerList = new QVBoxLayout;

    auto top = new QHBoxLayout;
    auto heading = new QVBoxLayout;
    heading->addWidget(title);
    heading->addWidget(note);
    top->addLayout(heading, 1);
    top->addLayout(m_timerList);
    top->addWidget(leave, 0, Qt::AlignTop);

    auto stepColumn = new QVBoxLayout;
    stepColumn->addWidget(m_stepNumber);
    stepColumn->addWidget(stepScroll, 1);
    stepColumn->addLayout(m_timeButtons);
    auto body = new QHBoxLayout;
    body->addWidget(m_products, 1);
    body->addLayout(stepColumn, 2);

    auto buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);

    auto layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_message);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    m_ticker = new QTimer(this);
    m_ticker->setInterval(1000);
    connect(m_ticker, &QTimer::timeout, this, &CookingWindow::tick);
    goTo(0);
    setFocus();
}

CookingWindow::~CookingWindow() = default;

void CookingWindow::showEvent(QShowEvent* event) {
    // The whole screen, however it is opened: the kitchen is no place for small type.
    if (!(windowState() & Qt::WindowFullScreen))
        setWindowState(windowState() | Qt::WindowFullScreen);
    QDialog::showEvent(event);
    m_keeper.keepOn(QStringLiteral("Готовлю по рецепту"));
}

void CookingWindow::goTo(int step) {
    if (m_steps.isEmpty()) {
        m_stepNumber->setText(QStringLiteral("В рецепте нет описания"));
        m_stepText->clear();
        m_back->setEnabled(false);
        m_next->setEnabled(false);
        return;
    }
    m_step = std::clamp(step, 0, int(m_steps.size()) - 1);
    m_stepNumber->setText(QStringLiteral("Шаг %1 из %2").arg(m_step + 1).arg(m_steps.size()));
    m_stepText->setText(m_steps[m_step]);
    m_back->setEnabled(m_step > 0);
    m_next->setEnabled(m_step + 1 < m_steps.size());
    clearLayout(m_timeButtons);
    for (const cooking::StepTime& time : cooking::findTimes(m_steps[m_step])) {
        auto button = new QPushButton(QStringLiteral("⏱ %1").arg(time.text), this);
        button->setObjectName(QStringLiteral("timeButton"));
        button->setFont(scaled(font(), 1.5));
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(
            QStringLiteral("Запустить таймер на %1").arg(cooking::clockText(time.seconds)));
        connect(button, &QPushButton::clicked, this, [this, time] { startTimer(time); });
        m_timeButtons->addWidget(button);
    }
    m_timeButtons->addStretch(1);
}

void CookingWindow::setClock(cooking::Timers::Clock clock) {
    m_timers = std::make_unique<cooking::Timers>(std::move(clock));
    showTimers();
}

void CookingWindow::startTimer(const cooking::StepTime& time) {
    m_timers->start(time.text, time.seconds);
    m_ticker->start();
    showTimers();
}

void CookingWindow::tick() {
    for (const cooking::Timers::Timer& ended : m_timers->check()) {
        const QString text = QStringLiteral("Время вышло: %1").arg(ended.label);
        QApplication::beep();
        if (!cooking::notify(QStringLiteral("Ovelta: %1").arg(m_shown->name), text, m_bus)) {
            m_message->setText(text);
            m_message->show();
        }
    }
    showTimers();
    if (!m_timers->anyRunning())
        m_ticker->stop();
}

void CookingWindow::showTimers() {
    if (!m_timerList)
        return;
    clearLayout(m_timerList);
    for (const cooking::Timers::Timer& t : m_timers->all()) {
        auto row = new QPushButton(this);
        row->setObjectName(QStringLiteral("runningTimer"));
        row->setFont(scaled(font(), 1.3, t.done));
        row->setFocusPolicy(Qt::NoFocus);
        row->setFlat(true);
        row->setText(t.done ? QStringLiteral("✔ %1 — готово").arg(t.label)
                            : QStringLiteral("⏱ %1 — %2")
                                  .arg(t.label, cooking::clockText(m_timers->secondsLeft(t))));
        row->setToolTip(QStringLiteral("Нажмите, чтобы убрать таймер"));
        const int id = t.id;
        connect(row, &QPushButton::clicked, this, [this, id] {
            m_timers->cancel(id);
            QTimer::singleShot(0, this, &CookingWindow::showTimers);
        });
        m_timerList->addWidget(row);
    }
}

void CookingWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
        goTo(m_step + 1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Backspace:
    case Qt::Key_PageUp:
        goTo(m_step - 1);
        return;
    case Qt::Key_Home:
        goTo(0);
        return;
    case Qt::Key_End:
        goTo(int(m_steps.size()) - 1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

// In the products' list the arrows still turn the steps; Space ticks the product.
bool CookingWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_products && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CookingWindow::reject() {
    if (m_timers->anyRunning()) {
        int running = 0;
        for (const cooking::Timers::Timer& t : m_timers->all())
            running += t.done ? 0 : 1;
        if (!Prompts::ask(this,
                          QStringLiteral("Идут таймеры: %1. Выйти и остановить их?").arg(running)))
            return;
    }
    m_keeper.release();
    QDialog::reject();
}
