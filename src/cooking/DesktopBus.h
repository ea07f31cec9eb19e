#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// What the cooking mode asks of the desktop over the session bus: the screen kept on, and a
// word when a timer ends. Where no such service answers, nothing is asked and nothing fails.
namespace cooking {

class ScreenKeeper : public QObject {
    Q_OBJECT
public:
    explicit ScreenKeeper(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
    ~ScreenKeeper() override; // released

    // Asks the screen saver to wait; true when a service is there to ask. The answer comes
    // later: the window never waits for the bus.
    bool keepOn(const QString& why);
    void release();
    bool held() const { return m_cookie != 0; }

signals:
    void changed();

private:
    QDBusConnection m_bus;
    uint m_cookie = 0;
    bool m_asking = false;
    bool m_releaseWhenAnswered = false;
};

// Shows a desktop notification that plays the desktop's alarm sound; false when no
// notification service is there.
bool notify(const QString& summary, const QString& body,
            QDBusConnection bus = QDBusConnection::sessionBus());

} // namespace cooking
