#include "GlobalLoger.h"

#include "AnsiCodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <thread>
#include <vector>

namespace {

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(QDateTime at) { m_at = std::move(at); }

private:
    QDateTime m_at;
};

QDateTime localAt(int y, int m, int d, int hh, int mm, int ss)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct LogFixture : ::testing::Test {
    QTemporaryDir temp;
    QString logDir = temp.path() + QStringLiteral("/app/logs/");
    std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(localAt(2026, 12, 9, 12, 0, 0));
};

} // namespace

TEST_F(LogFixture, LineFormatPadsTheModuleToThirtyAndNeverCutsIt)
{
    struct Case {
        QString module;
        QString text;
        QByteArray line;
    };
    const QString module35 = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678");
    ASSERT_EQ(module35.size(), 35);
    const Case cases[] = {
        {QString(), QStringLiteral("hello"), "[" + QByteArray(30, ' ') + "]:  hello \r\n"},
        {module35, QStringLiteral("t"), "[" + module35.toLatin1() + "]:  t \r\n"},
        {QStringLiteral("Work"), QString(), "[Work" + QByteArray(26, ' ') + "]:   \r\n"},
        {QStringLiteral("Exactly thirty characters long"), QStringLiteral("x"),
         "[Exactly thirty characters long]:  x \r\n"},
    };
    TGlobalLoger loger(logDir, clock);
    QByteArray expected;
    for (const Case &c : cases) {
        loger.AddLog(c.module, c.text);
        expected += c.line;
    }
    EXPECT_EQ(readAll(logDir + QStringLiteral("20261209.log")), expected);
}

TEST_F(LogFixture, TheDayOfTheClockNamesTheFile)
{
    TGlobalLoger loger(logDir, clock);
    clock->set(localAt(2026, 12, 9, 23, 59, 59));
    loger.AddLog(QStringLiteral("a"), QStringLiteral("before midnight"));
    EXPECT_EQ(loger.lastLogFilename(), logDir + QStringLiteral("20261209.log"));
    clock->set(localAt(2026, 12, 10, 0, 0, 1));
    loger.AddLog(QStringLiteral("a"), QStringLiteral("after midnight"));
    EXPECT_EQ(loger.lastLogFilename(), logDir + QStringLiteral("20261210.log"));
    clock->set(localAt(2027, 1, 2, 8, 0, 0));
    loger.AddLog(QStringLiteral("a"), QStringLiteral("next year"));

    EXPECT_TRUE(readAll(logDir + QStringLiteral("20261209.log")).contains("before midnight"));
    EXPECT_FALSE(readAll(logDir + QStringLiteral("20261209.log")).contains("after midnight"));
    EXPECT_TRUE(readAll(logDir + QStringLiteral("20261210.log")).contains("after midnight"));
    EXPECT_TRUE(readAll(logDir + QStringLiteral("20270102.log")).contains("next year"));
}

TEST_F(LogFixture, ConstructorCreatesTheFolderButAnAppendNeverRecreatesIt)
{
    TGlobalLoger loger(logDir, clock);
    ASSERT_TRUE(QDir(logDir).exists());
    EXPECT_EQ(QDir(logDir).entryList(QDir::Files).size(), 0);

    ASSERT_TRUE(QDir(logDir).removeRecursively());
    try {
        loger.AddLog(QStringLiteral("m"), QStringLiteral("lost"));
        FAIL() << "an append into a deleted folder must fail";
    } catch (const LogAppendError &error) {
#if defined(_WIN32)
        const int missingFolder = 3; // ERROR_PATH_NOT_FOUND
#else
        const int missingFolder = ENOENT;
#endif
        EXPECT_EQ(QString::fromStdString(error.what()),
                  QStringLiteral("TGlobalLoger.AppendDbg: Error code is %1.").arg(missingFolder));
    }
    EXPECT_FALSE(QDir(logDir).exists());

    // The next call starts over: once the folder is back, lines go in again.
    ASSERT_TRUE(QDir().mkpath(logDir));
    loger.AddLog(QStringLiteral("m"), QStringLiteral("kept"));
    EXPECT_TRUE(readAll(logDir + QStringLiteral("20261209.log")).contains("kept"));
}

TEST_F(LogFixture, LinesOfConcurrentCallersNeverMix)
{
    TGlobalLoger loger(logDir, clock);
    const int perThread = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&loger, t] {
            for (int i = 0; i < perThread; ++i)
                loger.AddLog(QStringLiteral("thread%1").arg(t), QStringLiteral("line %1 of thread %2").arg(i).arg(t));
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    const QList<QByteArray> lines = readAll(logDir + QStringLiteral("20261209.log")).split('\n');
    ASSERT_EQ(lines.size(), 4 * perThread + 1);
    EXPECT_TRUE(lines.last().isEmpty());
    std::vector<int> nextOf(4, 0);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        ASSERT_TRUE(line.startsWith("[thread") && line.endsWith(" \r")) << line.constData();
        const int t = line.at(7) - '0';
        ASSERT_TRUE(t >= 0 && t < 4);
        const QByteArray expected = "[" + QStringLiteral("thread%1").arg(t).toLatin1().leftJustified(30, ' ')
            + "]:  line " + QByteArray::number(nextOf[t]) + " of thread " + QByteArray::number(t) + " \r";
        EXPECT_EQ(line, expected);
        ++nextOf[t];
    }
}

TEST_F(LogFixture, LinesAreWrittenInTheAnsiCodePage)
{
    const AnsiCodec gbk(QByteArrayLiteral("GBK"));
    setAnsiCodec(&gbk);
    TGlobalLoger loger(logDir, clock);
    loger.AddLog(QStringLiteral("任务"), QStringLiteral("中文 \u0e01"));
    setAnsiCodec(nullptr);
    // Two characters padded to thirty; what GBK cannot hold becomes "?".
    EXPECT_EQ(readAll(logDir + QStringLiteral("20261209.log")),
              "[\xc8\xce\xce\xf1" + QByteArray(28, ' ') + "]:  \xd6\xd0\xce\xc4 ? \r\n");
}
