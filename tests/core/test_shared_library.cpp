#include "base/SharedLibrary.h"
#include "storage/LibPq.h"
#include "update/LibCurl.h"

#include <gtest/gtest.h>

TEST(SharedLibraryTest, AMissingLibraryOrFunctionIsAReasonNotACrash)
{
    SharedLibrary missing("libnetzpegel-none.so.1");
    void (*function)() = reinterpret_cast<void (*)()>(1);
    missing.resolve(function, "anything");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(function, nullptr);
    EXPECT_TRUE(missing.error().contains(QLatin1String("libnetzpegel-none.so.1"))) << qPrintable(missing.error());

    SharedLibrary c("libc.so.6");
    size_t (*length)(const char*) = nullptr;
    c.resolve(length, "strlen");
    ASSERT_TRUE(c.ok()) << qPrintable(c.error());
    EXPECT_EQ(length("netzpegel"), 9u);
    int (*absent)() = nullptr;
    c.resolve(absent, "netzpegel_no_such_function");
    EXPECT_EQ(absent, nullptr);
    EXPECT_FALSE(c.ok());
    EXPECT_TRUE(c.error().contains(QLatin1String("netzpegel_no_such_function"))) << qPrintable(c.error());
}

TEST(SharedLibraryTest, TheClientLibrariesLoadUnderTheNamesTheProgramOpens)
{
    QString reason;
    EXPECT_NE(LibPq::load(&reason), nullptr) << qPrintable(reason);
    EXPECT_NE(LibCurl::load(&reason), nullptr) << qPrintable(reason);
}
