#include <gtest/gtest.h>

#include <QCoreApplication>

// The service client and the processes started by the tests expect a core application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
