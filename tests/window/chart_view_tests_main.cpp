#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // ctest sets the platform; listing the tests at build time needs it too.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
