#include "Clock.h"
#include "Database.h"
#include "QStringPrint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <thread>

namespace {

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return m_now; }
    QDateTime m_now = QDateTime(QDate(2015, 10, 24), QTime(9, 5, 7));
};

// Reads the file behind the store's back, once the store has let go of it.
std::vector<std::pair<int, QString>> rowsOf(const QString &file)
{
    std::vector<std::pair<int, QString>> rows;
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT taskid, lastclicktime FROM TaskInfo ORDER BY ID", -1, &statement, nullptr)
        == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.emplace_back(sqlite3_column_int(statement, 0),
                              QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1))));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

QString schemaOf(const QString &file)
{
    QString schema;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' ORDER BY type DESC",
                           -1, &statement, nullptr)
        == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            schema += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))) + u'\n';
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return schema;
}

class DatabaseTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("data.db"));
    FixedClock clock;
};

TEST_F(DatabaseTest, FirstRunCreatesTheTableAndSecondRunJustOpens)
{
    {
        Tdm_Database store(file, clock);
        EXPECT_TRUE(store.CheckDb());
        EXPECT_TRUE(QFile::exists(file));
        EXPECT_FALSE(store.bHasViewedInTaskInterval(1));
        EXPECT_TRUE(store.AddTaskInfo(-5));
        EXPECT_TRUE(store.AddTaskInfo(0));
        EXPECT_TRUE(store.DisconnectFromDb());
    }
    EXPECT_EQ(schemaOf(file), QStringLiteral("CREATE TABLE TaskInfo(ID integer PRIMARY KEY AUTOINCREMENT,  "
                                             "taskid integer,  lastclicktime string)\n"
                                             "CREATE INDEX TaskInfo_taskid ON TaskInfo(taskid)\n"));
    Tdm_Database again(file, clock);
    EXPECT_TRUE(again.CheckDb());
    clock.m_now = clock.m_now.addDays(8);
    EXPECT_TRUE(again.bHasViewedInTaskInterval(-5));
    EXPECT_TRUE(again.bHasViewedInTaskInterval(0));
    EXPECT_TRUE(again.DisconnectFromDb());
    EXPECT_EQ(rowsOf(file), (std::vector<std::pair<int, QString>>{{-5, QStringLiteral("2015-10-24 09:05:07")},
                                                                   {0, QStringLiteral("2015-10-24 09:05:07")}}));
}

TEST_F(DatabaseTest, AnOlderFileWithoutTheIndexGetsItAndKeepsItsRows)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "create table TaskInfo(ID integer PRIMARY KEY AUTOINCREMENT,  taskid integer,  "
                           "lastclicktime string);"
                           "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(4,'2015-10-20 00:00:00');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    Tdm_Database store(file, clock);
    EXPECT_TRUE(store.CheckDb());
    EXPECT_FALSE(store.bHasViewedInTaskInterval(4));
    store.DisconnectFromDb();
    EXPECT_TRUE(schemaOf(file).contains(QStringLiteral("CREATE INDEX TaskInfo_taskid ON TaskInfo(taskid)")));
    EXPECT_EQ(rowsOf(file), (std::vector<std::pair<int, QString>>{{4, QStringLiteral("2015-10-20 00:00:00")}}));
}

TEST_F(DatabaseTest, TheEarliestVisitDecidesFromTheSeventhDayOnToTheMillisecond)
{
    Tdm_Database store(file, clock);
    ASSERT_TRUE(store.CheckDb());
    const QDateTime first = clock.m_now;
    store.AddTaskInfo(31);
    clock.m_now = first.addDays(6);
    store.AddTaskInfo(31);
    store.AddTaskInfo(32);

    const struct {
        QDateTime now;
        int taskId;
        bool bViewed;
    } cases[] = {
        {first.addSecs(7 * 86400 - 1), 31, false},
        {QDateTime(QDate(2015, 10, 31), QTime(9, 5, 6, 999)), 31, false},
        {QDateTime(QDate(2015, 10, 31), QTime(9, 5, 7, 0)), 31, true},
        {QDateTime(QDate(2015, 10, 31), QTime(9, 5, 7, 1)), 31, true},
        {first.addDays(400), 31, true},
        {first.addDays(8), 32, false}, // its only visit is two days old
        {first.addDays(13), 32, true},
        {first.addDays(13), 33, false},
    };
    for (const auto &c : cases) {
        clock.m_now = c.now;
        EXPECT_EQ(store.bHasViewedInTaskInterval(c.taskId), c.bViewed)
            << c.taskId << " at " << c.now.toString(Qt::ISODateWithMs).toStdString();
    }
}

TEST_F(DatabaseTest, StoredTimesAreWallClockWithoutZoneConversion)
{
    // A spring-forward night in Europe: wall-clock arithmetic must not shift the edge by an hour.
    clock.m_now = QDateTime(QDate(2024, 3, 25), QTime(2, 30, 0), QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    Tdm_Database store(file, clock);
    ASSERT_TRUE(store.CheckDb());
    store.AddTaskInfo(1);
    clock.m_now = QDateTime(QDate(2024, 4, 1), QTime(2, 29, 59, 999), QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    EXPECT_FALSE(store.bHasViewedInTaskInterval(1));
    clock.m_now = QDateTime(QDate(2024, 4, 1), QTime(2, 30, 0), QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    EXPECT_TRUE(store.bHasViewedInTaskInterval(1));
}

TEST_F(DatabaseTest, AStoredTimeThatDoesNotParseIsAnErrorAndTheNextCallStartsClean)
{
    {
        Tdm_Database store(file, clock);
        ASSERT_TRUE(store.CheckDb());
    }
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(1,'2015-10-24T09:05:07');"
                 "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(2,'2015-02-30 09:05:07');"
                 "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(3,NULL);"
                 "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(4,'2015-10-24 09:05:07');",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);

    Tdm_Database store(file, clock);
    ASSERT_TRUE(store.CheckDb());
    for (int id : {1, 2, 3})
        EXPECT_THROW(store.bHasViewedInTaskInterval(id), DatabaseError) << id;
    EXPECT_FALSE(store.bHasViewedInTaskInterval(4));
}

TEST_F(DatabaseTest, AnEmptyFileIsADatabaseWithoutTheTableAndIsNotRepaired)
{
    QFile empty(file);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    Tdm_Database store(file, clock);
    EXPECT_TRUE(store.CheckDb());
    for (int round = 0; round < 2; ++round) {
        try {
            store.AddTaskInfo(1);
            ADD_FAILURE() << "insert into a missing table";
        } catch (const DatabaseError &error) {
            EXPECT_NE(std::string(error.what()).find("no such table"), std::string::npos) << error.what();
        }
        EXPECT_THROW(store.bHasViewedInTaskInterval(1), DatabaseError);
    }
    store.DisconnectFromDb();
    EXPECT_EQ(schemaOf(file), QString());
}

TEST_F(DatabaseTest, AFileThatCannotBeOpenedFailsEveryStatement)
{
    const QString inMissingFolder = dir.filePath(QStringLiteral("db/data.db"));
    Tdm_Database store(inMissingFolder, clock);
    EXPECT_FALSE(store.ConnectDb());
    EXPECT_FALSE(store.CheckDb());
    EXPECT_THROW(store.AddTaskInfo(1), DatabaseError);
    EXPECT_THROW(store.bHasViewedInTaskInterval(1), DatabaseError);

    QFile notADatabase(file);
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write(QByteArray(4096, 'x'));
    notADatabase.close();
    Tdm_Database garbage(file, clock);
    EXPECT_FALSE(garbage.ConnectDb());
    EXPECT_TRUE(garbage.CheckDb()) << "the file existed, so nothing is created or inspected";
    EXPECT_THROW(garbage.bHasViewedInTaskInterval(1), DatabaseError);
}

TEST_F(DatabaseTest, TheOpenStoreShutsOtherConnectionsOut)
{
    Tdm_Database store(file, clock);
    ASSERT_TRUE(store.CheckDb());
    store.AddTaskInfo(1);
    Tdm_Database other(file, clock);
    EXPECT_FALSE(other.ConnectDb());
    store.DisconnectFromDb();
    EXPECT_TRUE(other.ConnectDb());
}

TEST_F(DatabaseTest, DisconnectingTwiceOrNeverConnectedOrFromAnotherThreadIsFine)
{
    Tdm_Database never(file, clock);
    EXPECT_TRUE(never.DisconnectFromDb());

    Tdm_Database store(file, clock);
    ASSERT_TRUE(store.CheckDb());
    store.AddTaskInfo(1);
    bool bClosed = false;
    std::thread([&] { bClosed = store.DisconnectFromDb(); }).join();
    EXPECT_TRUE(bClosed);
    EXPECT_TRUE(store.DisconnectFromDb());
    EXPECT_EQ(rowsOf(file).size(), 1u);
}

} // namespace
