#include "app/CCookbookApp.h"
#include "app/OveltaApplication.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    OveltaApplication app(argc, argv);
    initOveltaResources();
    // No test may ever wait for a person to click: every box takes a queued answer.
    Prompts::setTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
