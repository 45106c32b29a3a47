#include "Database.h"

#include "Clock.h"
#include "DateTimeText.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <functional>
#include <string>

Tdm_Database *dm_Database = nullptr;

namespace {
const QString kCreateTable =
    QStringLiteral("create table TaskInfo(ID integer PRIMARY KEY AUTOINCREMENT,  taskid integer,  lastclicktime string)");
const QString kInsert =
    QStringLiteral("INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(:taskid,:lastclicktime);");
const QString kSelect = QStringLiteral("SELECT * FROM TaskInfo WHERE taskid=");
// The history is asked once per candidate task on the UI thread; without this index every
// question scans the whole, ever-growing table.
const QString kCreateIndex = QStringLiteral("CREATE INDEX IF NOT EXISTS TaskInfo_taskid ON TaskInfo(taskid)");
const QString kTableExists =
    QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name='TaskInfo' COLLATE NOCASE");
constexpr int kSevenDays = 7;

// Closes the shared statement on every way out of an operation.
struct QueryCloser {
    explicit QueryCloser(std::function<void()> close) : m_close(std::move(close)) {}
    ~QueryCloser() { m_close(); }
    std::function<void()> m_close;
};

bool execSimple(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}
}

Tdm_Database::Tdm_Database(QString dbFile, const Clock &clock) : m_dbFile(std::move(dbFile)), m_clock(clock) {}

Tdm_Database::~Tdm_Database()
{
    DisconnectFromDb();
}

bool Tdm_Database::ConnectDb()
{
    std::lock_guard guard(m_lock);
    if (con_db != nullptr)
        return true;
    sqlite3 *db = nullptr;
    const int opened = sqlite3_open_v2(m_dbFile.toUtf8().constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    // Reading the schema once proves the file is a database that this process can lock.
    if (opened != SQLITE_OK || !execSimple(db, "PRAGMA locking_mode=EXCLUSIVE")
        || !execSimple(db, "SELECT count(*) FROM sqlite_master")) {
        sqlite3_close_v2(db);
        return false;
    }
    con_db = db;
    return true;
}

bool Tdm_Database::CheckDb()
{
    std::lock_guard guard(m_lock);
    const bool bExisted = QFileInfo::exists(m_dbFile);
    try {
        ConnectDb();
        if (!bExisted) {
            QueryCloser closer([this] { closeQuery(); });
            prepareQuery(kCreateTable);
            if (sqlite3_step(qry_db) != SQLITE_DONE)
                fail("create table");
        }
    } catch (const DatabaseError &) {
        return false;
    }
    createTaskIdIndexIfTableExists();
    return true;
}

void Tdm_Database::createTaskIdIndexIfTableExists()
{
    if (con_db == nullptr)
        return;
    try {
        QueryCloser closer([this] { closeQuery(); });
        prepareQuery(kTableExists);
        const bool bTable = sqlite3_step(qry_db) == SQLITE_ROW;
        closeQuery();
        if (!bTable)
            return;
        prepareQuery(kCreateIndex);
        sqlite3_step(qry_db);
    } catch (const DatabaseError &) {
        // Without the index the history still answers, only slower.
    }
}

bool Tdm_Database::AddTaskInfo(int itaskID)
{
    std::lock_guard guard(m_lock);
    ConnectDb();
    QueryCloser closer([this] { closeQuery(); });
    prepareQuery(kInsert);
    const QByteArray now = FormatDateTimeText(m_clock.now()).toUtf8();
    if (sqlite3_bind_int(qry_db, sqlite3_bind_parameter_index(qry_db, ":taskid"), itaskID) != SQLITE_OK
        || sqlite3_bind_text(qry_db, sqlite3_bind_parameter_index(qry_db, ":lastclicktime"), now.constData(),
                             int(now.size()), SQLITE_TRANSIENT)
            != SQLITE_OK)
        fail("bind");
    if (sqlite3_step(qry_db) != SQLITE_DONE)
        fail("insert");
    return sqlite3_changes(con_db) > 0;
}

bool Tdm_Database::bHasViewedInTaskInterval(int itaskID)
{
    std::lock_guard guard(m_lock);
    ConnectDb();
    QueryCloser closer([this] { closeQuery(); });
    prepareQuery(kSelect + QString::number(itaskID));
    const int stepped = sqlite3_step(qry_db);
    if (stepped == SQLITE_DONE)
        return false;
    if (stepped != SQLITE_ROW)
        fail("select");
    int column = 0;
    while (column < sqlite3_column_count(qry_db)
           && QString::fromUtf8(sqlite3_column_name(qry_db, column)).compare(u"lastclicktime", Qt::CaseInsensitive) != 0)
        ++column;
    if (column == sqlite3_column_count(qry_db))
        throw DatabaseError("no column lastclicktime");
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(qry_db, column));
    const QString stored = text ? QString::fromUtf8(text) : QString();
    const std::optional<QDateTime> visited = ParseDateTimeText(stored);
    if (!visited)
        throw DatabaseError("not a date and time: " + stored.toStdString());
    return NaiveWallClock(m_clock.now()) >= visited->addDays(kSevenDays);
}

bool Tdm_Database::DisconnectFromDb()
{
    std::lock_guard guard(m_lock);
    closeQuery();
    if (con_db == nullptr)
        return true;
    const bool bClosed = sqlite3_close_v2(con_db) == SQLITE_OK;
    con_db = nullptr;
    return bClosed;
}

void Tdm_Database::closeQuery()
{
    if (qry_db != nullptr) {
        sqlite3_finalize(qry_db);
        qry_db = nullptr;
    }
}

void Tdm_Database::prepareQuery(const QString &text)
{
    closeQuery();
    if (con_db == nullptr)
        throw DatabaseError("unable to open database file: " + m_dbFile.toStdString());
    const QByteArray sql = text.toUtf8();
    if (sqlite3_prepare_v2(con_db, sql.constData(), int(sql.size()), &qry_db, nullptr) != SQLITE_OK) {
        qry_db = nullptr;
        fail("prepare");
    }
}

void Tdm_Database::fail(const char *what)
{
    throw DatabaseError(std::string(what) + ": " + (con_db ? sqlite3_errmsg(con_db) : "no connection"));
}
