#include "cooking/CookingWindow.h"
#include "cooking/ScaleBar.h"
#include "recipes/CRView.h"
#include "recipes/Servings.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int cookingRecipe(TestDb& t) {
    const int id = t.recipe("Суп", {{"Картофель", 3, "шт"}, {"Вода", 1, "л"}}, 0,
                            "1. Нарезать картофель.\r\n2. Варить 20 минут.\r\n3. Подать.");
    recipes::setServings(t.db, id, {4, {}});
    return id;
}

// A session bus of the test's own, and the desktop services the cooking mode asks.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address"),
                        QStringLiteral("--address=unix:dir=") + m_dir.path()});
        if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("cooking-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("cooking-service"));
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    bool up() const { return !m_address.isEmpty(); }
    QDBusConnection client() {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("cooking-client"));
    }
    QDBusConnection service() {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("cooking-service"));
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// Lets the event loop run until the condition holds; false when it never did. (QTest's
// QTRY macros report to QTest, which a GoogleTest case never hears.)
} // namespace

// The screen saver and the notifications, as a desktop would answer them.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit FakeScreenSaver(QStringList& calls) : m_calls(calls) {}

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        m_calls << QStringLiteral("Inhibit %1: %2").arg(application, reason);
        return 42;
    }
    void UnInhibit(uint cookie) { m_calls << QStringLiteral("UnInhibit %1").arg(cookie); }

private:
    QStringList& m_calls;
};

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(QStringList& calls) : m_calls(calls) {}

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        m_calls << QStringLiteral("Notify %1: %2 (%3)")
                       .arg(summary, body, hints.value(QStringLiteral("sound-name")).toString());
        return 7;
    }

private:
    QStringList& m_calls;
};

TEST(CookingMode, KeysTurnTheStepsAndATimerEndsWithAMessageWithoutADesktop) {
    TestDb t;
    const int id = cookingRecipe(t);
    // No bus at all: the window carries on quietly.
    CookingWindow window(t.db, id, {1.5, false}, QDBusConnection(QStringLiteral("none")));
    ASSERT_TRUE(window.isValid());
    qint64 now = 0;
    window.setClock([&] { return now; });
    window.show();
    ASSERT_EQ(window.stepCount(), 3);
    auto products = child<QListWidget>(&window, "cookingProducts");
    ASSERT_TRUE(products);
    EXPECT_EQ(listTexts(products), (QStringList{"Картофель — 5 шт (4,5)", "Вода — 1,5 л"}));

    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(window.step(), 1);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(window.step(), 2);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(window.step(), 2) << "past the last step";
    EXPECT_FALSE(child<QPushButton>(&window, "nextButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&window, "backButton")->isEnabled());
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(window.step(), 1);
    // The arrows turn the steps from the products' list too.
    products->setFocus();
    QTest::keyClick(products, Qt::Key_PageDown);
    EXPECT_EQ(window.step(), 2);
    QTest::keyClick(products, Qt::Key_PageUp);
    QTest::keyClick(products, Qt::Key_Left);
    EXPECT_EQ(window.step(), 0);
    EXPECT_FALSE(child<QPushButton>(&window, "backButton")->isEnabled());
    click(&window, "nextButton");
    EXPECT_EQ(child<QLabel>(&window, "stepNumber")->text(), "Шаг 2 из 3");

    auto timeButton = child<QPushButton>(&window, "timeButton");
    ASSERT_TRUE(timeButton);
    EXPECT_EQ(timeButton->text(), "⏱ 20 минут");
    timeButton->click();
    EXPECT_TRUE(window.timers().anyRunning());
    now += 19 * 60 * 1000;
    window.tick();
    EXPECT_FALSE(child<QLabel>(&window, "timerMessage")->isVisibleTo(&window));
    now += 60 * 1000;
    window.tick();
    auto message = child<QLabel>(&window, "timerMessage");
    EXPECT_TRUE(message->isVisibleTo(&window));
    EXPECT_EQ(message->text(), "Время вышло: 20 минут");

    // Leaving with a timer running asks first; "Нет" stays.
    timeButton = child<QPushButton>(&window, "timeButton");
    timeButton->click();
    Prompts::setNextAnswer(Prompts::No);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(lastMessage(), "Идут таймеры: 1. Выйти и остановить их?");
    Prompts::setNextAnswer(Prompts::Yes);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(CookingMode, TheScreenIsKeptOnAndTimersNotifyOverTheSessionBus) {
    PrivateBus bus;
    ASSERT_TRUE(bus.up()) << "dbus-daemon did not start";
    struct {
        QStringList calls;
    } desktop;
    FakeScreenSaver saver(desktop.calls);
    FakeNotifications notifications(desktop.calls);
    QDBusConnection service = bus.service();
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                       &notifications, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));

    TestDb t;
    const int id = cookingRecipe(t);
    {
        auto window = std::make_unique<CookingWindow>(t.db, id, cooking::View{}, bus.client());
        qint64 now = 0;
        window->setClock([&] { return now; });
        window->show();
        ASSERT_TRUE(waitUntil([&] { return window->screenKeeper().held(); }))
            << "the screen saver never answered";
        EXPECT_EQ(desktop.calls.value(0), "Inhibit Ovelta: Готовлю по рецепту");
        window->goTo(1);
        child<QPushButton>(window.get(), "timeButton")->click();
        now += 20 * 60 * 1000;
        window->tick();
        ASSERT_TRUE(waitUntil([&] { return desktop.calls.size() == 2; })) << desktop.calls.size();
        EXPECT_EQ(desktop.calls[1], "Notify Ovelta: Суп: Время вышло: 20 минут "
                                    "(alarm-clock-elapsed)");
        EXPECT_FALSE(child<QLabel>(window.get(), "timerMessage")->isVisibleTo(window.get()));
        window->reject();
        EXPECT_FALSE(window->screenKeeper().held());
    }
    ASSERT_TRUE(waitUntil([&] { return desktop.calls.size() == 3; })) << desktop.calls.size();
    EXPECT_EQ(desktop.calls[2], "UnInhibit 42");
}

TEST(CookingMode, ThePaneScalesBySevingsOrFactorAndF11Cooks) {
    TestDb t;
    const int id = cookingRecipe(t);
    const int unknown = t.recipe("Чай", {{"Чай", 1, "ч.л."}});
    ShownFrame frame(t.db);
    CRView* pane = frame.recipeView();
    auto bar = child<QWidget>(pane, "scaleBar");
    EXPECT_FALSE(bar->isVisible()) << "no recipe yet";
    ASSERT_TRUE(pane->ShowRecipe(id));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(pane->toPlainText().contains("Порций: 4"));
    const QByteArray stored = pane->documentRtf();

    auto servings = child<QSpinBox>(pane, "servings");
    ASSERT_TRUE(servings);
    EXPECT_EQ(servings->value(), 4);
    // The box says what the recipe itself makes, whatever it is set to.
    EXPECT_EQ(servings->toolTip(), "Сколько порций приготовить; в рецепте 4");
    servings->setValue(6);
    EXPECT_TRUE(pane->toPlainText().contains("Пересчитано на 6 порций, в рецепте 4"));
    EXPECT_TRUE(pane->toPlainText().contains("5 шт (4,5)")) << pane->toPlainText().toStdString();
    frame.runCommand(ID_SCALE_UP);
    EXPECT_EQ(servings->value(), 7);
    frame.runCommand(ID_SCALE_DOWN);
    frame.runCommand(ID_SCALE_DOWN);
    EXPECT_EQ(servings->value(), 5);
    frame.runCommand(ID_SCALE_RESET);
    EXPECT_EQ(pane->documentRtf(), stored);

    // Without servings, the factor: typed, refused when out of bounds.
    ASSERT_TRUE(pane->ShowRecipe(unknown));
    EXPECT_FALSE(servings->isEnabled());
    EXPECT_EQ(servings->toolTip(), "В рецепте не сказано, на сколько он порций");
    auto factor = child<QComboBox>(pane, "factor");
    factor->setEditText("1½");
    QMetaObject::invokeMethod(factor->lineEdit(), "editingFinished");
    EXPECT_TRUE(pane->toPlainText().contains("Пересчитано: ×1½"));
    EXPECT_TRUE(pane->toPlainText().contains("1½ ч.л."));
    factor->setEditText("0");
    QMetaObject::invokeMethod(factor->lineEdit(), "editingFinished");
    EXPECT_EQ(lastMessage(), "Множитель должен быть больше 0 и не больше 100.");
    EXPECT_TRUE(pane->toPlainText().contains("Пересчитано: ×1½"));
    // Words are refused, and the field shows the factor in force again.
    factor->setEditText("много");
    QMetaObject::invokeMethod(factor->lineEdit(), "editingFinished");
    EXPECT_TRUE(lastMessage().startsWith("«много» — не число.")) << lastMessage().toStdString();
    EXPECT_EQ(factor->currentText(), "1½");
    // The menu's list has no servings to scale; another recipe comes as it is written.
    pane->ShowMenuProductList(QByteArray("{\\rtf1 Меню}"));
    EXPECT_FALSE(bar->isVisible());
    ASSERT_TRUE(pane->ShowRecipe(id));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(servings->value(), 4);

    withDialog(frame, ID_COOK, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "cookingWindow");
        EXPECT_TRUE(dialog->windowState() & Qt::WindowFullScreen);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

#include "CookingModeTest.moc"
