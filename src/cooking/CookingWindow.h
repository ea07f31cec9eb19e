#pragma once

#include "DesktopBus.h"
#include "Scaling.h"
#include "Steps.h"

#include <QDialog>
#include <memory>

class Database;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QVBoxLayout;
class QHBoxLayout;

// Cooking from the screen: the products to tick off, the method one step at a time in large
// type, timers from the times the steps name, and the screen kept on while it is open.
class CookingWindow : public QDialog {
    Q_OBJECT
public:
    CookingWindow(Database& db, int recipe, const cooking::View& view,
                  QDBusConnection bus = QDBusConnection::sessionBus(), QWidget* parent = nullptr);
    ~CookingWindow() override;

    bool isValid() const { return m_shown.has_value(); }
    int step() const { return m_step; }
    int stepCount() const { return int(m_steps.size()); }
    void goTo(int step);
    // For tests: the clock the timers run on, and one tick of it.
    void setClock(cooking::Timers::Clock clock);
    void tick();
    const cooking::Timers& timers() const { return *m_timers; }
    const cooking::ScreenKeeper& screenKeeper() const { return m_keeper; }

    void reject() override; // asks first while timers run

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void startTimer(const cooking::StepTime& time);
    void showTimers();

    std::optional<cooking::Shown> m_shown;
    QStringList m_steps;
    int m_step = 0;
    QDBusConnection m_bus;
    cooking::ScreenKeeper m_keeper;
    std::unique_ptr<cooking::Timers> m_timers;
    QListWidget* m_products = nullptr;
    QLabel* m_stepNumber = nullptr;
    QLabel* m_stepText = nullptr;
    QHBoxLayout* m_timeButtons = nullptr;
    QVBoxLayout* m_timerList = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QTimer* m_ticker = nullptr;
};
