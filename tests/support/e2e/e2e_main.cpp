#include "support/e2e/TrafficSource.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // Started inside a test's network namespace, the executable is that test's traffic source.
    if (argc == 3 && std::strcmp(argv[1], kPushLoopbackArgument) == 0)
        return pushLoopbackTraffic(std::atoll(argv[2])) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], kPushFramesArgument) == 0)
        return pushFrames(argv[2], std::atoll(argv[3])) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], kFlowLoopbackArgument) == 0)
        return flowLoopbackTraffic() ? 0 : 1;
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
