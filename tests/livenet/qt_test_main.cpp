#include <gtest/gtest.h>

#include <QCoreApplication>

// Sockets and look-ups need an event loop, and Qt allows one application per process.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
