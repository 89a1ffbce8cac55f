#include "app/NetzpegelApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's application, so that tests see failures reach its handler.
    NetzpegelApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
