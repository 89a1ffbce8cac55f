#include "base/ExceptionLog.h"
#include "fakes/FakeClock.h"
#include "storage/DatabaseError.h"
#include "support/TempHome.h"

#include <QDir>
#include <QSet>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class ExceptionLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setLogClock(&clock);
        setLogVersionTexts({QStringLiteral("1.2.3.4"), QStringLiteral("1.2"), QStringLiteral("Beta")});
        setLogDbVersion(QStringLiteral("2.2"));
    }
    void TearDown() override
    {
        setLogClock(nullptr);
        clearLogVersionTexts();
        setLogDbVersion({});
    }

    QStringList logLines() const
    {
        QString text = QString::fromUtf8(home.read(QStringLiteral("error.txt")));
        if (text.endsWith('\n'))
            text.chop(1);
        return text.isEmpty() ? QStringList() : text.split('\n');
    }

    TempHome home;
    FakeClock clock{QDateTime(QDate(2026, 3, 7), QTime(9, 5, 4))};
};

TEST_F(ExceptionLogTest, ShortBlockIsAppendedLineByLineToTheLogInTheProgramFolder)
{
    home.write(QStringLiteral("error.txt"), "earlier entry\n");
    LogException(QStringLiteral("Kaputt: 100% %1 \"x\""), QStringLiteral("DatabaseError"));
    EXPECT_EQ(QDir(home.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("error.txt")})
        << "no file but the log";

    const QStringList expected{
        QStringLiteral("earlier entry"),
        QStringLiteral(" "),
        QString(64, '#'),
        QStringLiteral("07.03.2026 09:05:04"),
        QStringLiteral("file_version:1.2.3.4"),
        QStringLiteral("product_version:1.2"),
        QStringLiteral("file_comment:Beta"),
        QStringLiteral("db_version:2.2"),
        QStringLiteral("Fehlermeldung:Kaputt: 100% %1 \"x\""),
        QStringLiteral("E->ClassName():DatabaseError"),
        QStringLiteral(" "),
    };
    EXPECT_EQ(logLines(), expected);
    // Each line ends in LF alone, the last one too; the earlier entry is kept as it was.
    EXPECT_EQ(home.read(QStringLiteral("error.txt")), (expected.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

TEST_F(ExceptionLogTest, ExceptionObjectGivesItsMessageAfterThePrefixAndItsClassName)
{
    LogException(DatabaseError(QStringLiteral("no such table: dfu")), QStringLiteral("Vorne| Genaue Meldung: "));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[7], QStringLiteral("Fehlermeldung:Vorne| Genaue Meldung: no such table: dfu"));
    EXPECT_EQ(lines[8], QStringLiteral("E->ClassName():DatabaseError"));
}

TEST_F(ExceptionLogTest, NothingIsWrittenBeforeTheVersionTextsExist)
{
    clearLogVersionTexts();
    LogException(QStringLiteral("zu früh"), QStringLiteral("Exception"));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("error.txt"))));
}

TEST_F(ExceptionLogTest, WriteLogLineReportsAFailureInsteadOfThrowing)
{
    QDir().mkpath(home.file(QStringLiteral("ordner")));
    EXPECT_FALSE(WriteLogLine(QStringLiteral("x"), home.file(QStringLiteral("ordner"))));
    EXPECT_FALSE(WriteLogLine(QStringLiteral("x"), home.file(QStringLiteral("fehlt/error.txt"))));
    EXPECT_TRUE(WriteLogLine(QStringLiteral("ü"), home.file(QStringLiteral("anders.txt"))));
    EXPECT_EQ(home.read(QStringLiteral("anders.txt")), QByteArray("\xc3\xbc\n"));
}

TEST_F(ExceptionLogTest, WritersOnSeveralThreadsGiveWholeLinesAndWholeBlocks)
{
    constexpr int kThreads = 6;
    constexpr int kPerThread = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kPerThread; ++i) {
                const QString line = QStringLiteral("T%1-%2-").arg(t).arg(i) + QString(300, QChar('a' + t));
                WriteLogLine(line);
                if (i % 10 == 0)
                    LogException(QStringLiteral("block T%1-%2").arg(t).arg(i), QStringLiteral("Exception"));
            }
        });
    }
    for (auto& th : threads)
        th.join();

    const QStringList lines = logLines();
    int plain = 0;
    int blocks = 0;
    QList<int> nextOfThread(kThreads, 0);
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith('T')) {
            const QStringList parts = line.split('-');
            ASSERT_EQ(parts.size(), 3) << line.toStdString();
            const int t = parts[0].mid(1).toInt();
            EXPECT_EQ(parts[1].toInt(), nextOfThread[t]++) << "lines of one thread out of order";
            EXPECT_EQ(parts[2], QString(300, QChar('a' + t))) << "torn line";
            ++plain;
        } else {
            // A block is contiguous: its ten lines follow one another.
            ASSERT_EQ(line, QStringLiteral(" "));
            ASSERT_LT(i + 9, lines.size());
            EXPECT_EQ(lines[i + 1], QString(64, '#'));
            EXPECT_TRUE(lines[i + 7].startsWith(QStringLiteral("Fehlermeldung:block T")));
            EXPECT_EQ(lines[i + 9], QStringLiteral(" "));
            i += 9;
            ++blocks;
        }
    }
    EXPECT_EQ(plain, kThreads * kPerThread);
    EXPECT_EQ(blocks, kThreads * kPerThread / 10);
}

} // namespace
