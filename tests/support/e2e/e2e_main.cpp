#include "support/e2e/LoopbackTraffic.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // Started inside a test's network namespace, the executable is that test's traffic source.
    if (argc == 3 && std::strcmp(argv[1], kPushLoopbackArgument) == 0)
        return pushLoopbackTraffic(std::atoll(argv[2])) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], kFlowLoopbackArgument) == 0)
        return flowLoopbackTraffic() ? 0 : 1;
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
