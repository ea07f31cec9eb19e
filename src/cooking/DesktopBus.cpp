#include "DesktopBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QVariantMap>

namespace cooking {

namespace {

const QString kSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

bool serviceThere(const QDBusConnection& bus, const QString& name) {
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> there = bus.interface()->isServiceRegistered(name);
    return there.isValid() && there.value();
}

} // namespace

ScreenKeeper::ScreenKeeper(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

ScreenKeeper::~ScreenKeeper() {
    release();
}

bool ScreenKeeper::keepOn(const QString& why) {
    if (m_cookie != 0 || m_asking)
        return true;
    if (!serviceThere(m_bus, kSaver))
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kSaver, kSaverPath, kSaver, QStringLiteral("Inhibit"));
    call << QStringLiteral("Ovelta") << why;
    m_asking = true;
    m_releaseWhenAnswered = false;
    auto watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        m_asking = false;
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            return;
        m_cookie = reply.value();
        if (m_releaseWhenAnswered)
            release();
        emit changed();
    });
    return true;
}

void ScreenKeeper::release() {
    if (m_asking) {
        m_releaseWhenAnswered = true;
        return;
    }
    if (m_cookie == 0)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kSaver, kSaverPath, kSaver, QStringLiteral("UnInhibit"));
    call << m_cookie;
    m_bus.send(call);
    m_cookie = 0;
    emit changed();
}

bool notify(const QString& summary, const QString& body, QDBusConnection bus) {
    if (!serviceThere(bus, kNotifications))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kNotifications, QStringLiteral("/org/freedesktop/Notifications"), kNotifications,
        QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("sound-name"), QStringLiteral("alarm-clock-elapsed"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    hints.insert(QStringLiteral("category"), QStringLiteral("x-ovelta.timer"));
    call << QStringLiteral("Ovelta") << uint(0) << QStringLiteral("ovelta") << summary << body
         << QStringList() << hints << int(-1);
    return bus.send(call);
}

} // namespace cooking
