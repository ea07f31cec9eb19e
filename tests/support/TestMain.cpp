#include "app/CCookbookApp.h"
#include "app/OveltaApplication.h"
#include "support/Widgets.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Settings go to a folder of this process's own: never the user's, nor another test's
    // running beside it.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    OveltaApplication app(argc, argv);
    initOveltaResources();
    // No test may ever wait for a person to click: every box takes a queued answer.
    Prompts::setTestMode(true);

    ::testing::InitGoogleTest(&argc, argv);

    // A dialog that a test waited for and never saw fails the run, even when the test
    // body ended before the wait ran out.
    struct UnopenedDialogs : ::testing::EmptyTestEventListener {
        int missed = 0;
        // Every test starts with no remembered window, no message shown, no answer queued.
        void OnTestStart(const ::testing::TestInfo&) override {
            QSettings().clear();
            Prompts::clear();
        }
        void OnTestEnd(const ::testing::TestInfo& info) override {
            for (const std::string& what : testsupport::takeUnopenedModals()) {
                std::fprintf(stderr, "FAILED: %s.%s waited for %s, which never opened\n",
                             info.test_suite_name(), info.name(), what.c_str());
                ++missed;
            }
        }
    };
    auto listener = new UnopenedDialogs;
    ::testing::UnitTest::GetInstance()->listeners().Append(listener);
    const int result = RUN_ALL_TESTS();
    return result != 0 || listener->missed != 0 ? 1 : 0;
}
