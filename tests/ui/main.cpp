// UI tests run on an offscreen QApplication; no display is needed.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No session bus: the tests use an in-process message bus. A test re-run as a
    // child with a bus of its own (platform/SelfExec.h) keeps that bus.
    if (!std::getenv("KEX_TEST_IN_CHILD"))
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
