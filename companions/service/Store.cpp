#include "Store.h"

#include <sqlite3.h>

namespace zarnik::service {

class Store::Statement {
public:
    Statement(sqlite3 *db, const char *sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw StoreError(std::string("cannot prepare a statement: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &start()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        return *this;
    }
    Statement &bind(int index, std::int64_t value)
    {
        check(sqlite3_bind_int64(m_stmt, index, value));
        return *this;
    }
    Statement &bind(int index, std::string_view value)
    {
        check(sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement &bind(int index, const std::optional<std::string> &value)
    {
        if (value)
            return bind(index, std::string_view(*value));
        check(sqlite3_bind_null(m_stmt, index));
        return *this;
    }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        const std::string message = sqlite3_errmsg(m_db);
        sqlite3_reset(m_stmt);
        throw StoreError(message);
    }
    // Ends a read early so the statement holds no read transaction.
    void finish() { sqlite3_reset(m_stmt); }
    void run()
    {
        while (step()) {
        }
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    std::string text(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                    : std::string();
    }
    std::optional<std::string> optionalText(int column) const
    {
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return text(column);
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw StoreError(std::string("cannot bind a value: ") + sqlite3_errmsg(m_db));
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

namespace {

constexpr const char *kMemberColumns =
    "id, name, pass_hash, lifetime, expires, balance, qq, email, alipay_name, alipay_account, last_seen";
constexpr const char *kTaskColumns =
    "id, owner_id, keyword, goods_url, goods_id, lowest_price, highest_price, search_type, "
    "total_clicks, done_clicks, status, add_time";

template <typename S>
MemberRecord readMember(const S &s)
{
    MemberRecord m;
    m.id = s.integer(0);
    m.name = s.text(1);
    m.passHash = s.text(2);
    m.lifetime = s.integer(3) != 0;
    m.expires = s.text(4);
    m.balance = s.integer(5);
    m.qq = s.text(6);
    m.email = s.text(7);
    m.alipayName = s.optionalText(8);
    m.alipayAccount = s.optionalText(9);
    m.lastSeen = s.integer(10);
    return m;
}

template <typename S>
TaskRecord readTask(const S &s)
{
    TaskRecord t;
    t.id = s.integer(0);
    t.ownerId = s.integer(1);
    t.keyword = s.text(2);
    t.goodsUrl = s.text(3);
    t.goodsId = s.text(4);
    t.lowestPrice = s.text(5);
    t.highestPrice = s.text(6);
    t.searchType = s.integer(7);
    t.totalClicks = s.integer(8);
    t.doneClicks = s.integer(9);
    t.status = s.integer(10);
    t.addTime = s.text(11);
    return t;
}

std::string select(const char *columns, const char *table, const char *rest)
{
    return std::string("SELECT ") + columns + " FROM " + table + ' ' + rest;
}

} // namespace

Store::Store(const std::string &path)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw StoreError("cannot open " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(m_db, 5000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        exec("PRAGMA foreign_keys=ON");
        // AUTOINCREMENT: a deleted task's id is never handed out again, because clients remember
        // the ids they have visited.
        exec("CREATE TABLE IF NOT EXISTS members ("
             " id INTEGER PRIMARY KEY AUTOINCREMENT,"
             " name TEXT NOT NULL UNIQUE,"
             " pass_hash TEXT NOT NULL,"
             " lifetime INTEGER NOT NULL DEFAULT 0,"
             " expires TEXT NOT NULL,"
             " balance INTEGER NOT NULL DEFAULT 0,"
             " qq TEXT NOT NULL DEFAULT '',"
             " email TEXT NOT NULL DEFAULT '',"
             " alipay_name TEXT,"
             " alipay_account TEXT,"
             " last_seen INTEGER NOT NULL DEFAULT 0)");
        exec("CREATE TABLE IF NOT EXISTS tasks ("
             " id INTEGER PRIMARY KEY AUTOINCREMENT,"
             " owner_id INTEGER NOT NULL REFERENCES members(id),"
             " keyword TEXT NOT NULL,"
             " goods_url TEXT NOT NULL,"
             " goods_id TEXT NOT NULL,"
             " lowest_price TEXT NOT NULL DEFAULT '0',"
             " highest_price TEXT NOT NULL DEFAULT '0',"
             " search_type INTEGER NOT NULL DEFAULT 0,"
             " total_clicks INTEGER NOT NULL,"
             " done_clicks INTEGER NOT NULL DEFAULT 0,"
             " status INTEGER NOT NULL DEFAULT 1,"
             " add_time TEXT NOT NULL)");
        exec("CREATE INDEX IF NOT EXISTS tasks_owner ON tasks(owner_id)");
    } catch (...) {
        m_statements.clear();
        sqlite3_close(m_db);
        throw;
    }
}

Store::~Store()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

void Store::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError(message);
    }
}

Store::Statement &Store::statement(const char *sql)
{
    auto &slot = m_statements[sql];
    if (!slot)
        slot = std::make_unique<Statement>(m_db, sql);
    return slot->start();
}

std::optional<std::int64_t> Store::addMember(const MemberRecord &member)
{
    auto &s = statement("INSERT INTO members (name, pass_hash, lifetime, expires, balance, qq, email)"
                        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT(name) DO NOTHING");
    s.bind(1, std::string_view(member.name))
        .bind(2, std::string_view(member.passHash))
        .bind(3, std::int64_t(member.lifetime ? 1 : 0))
        .bind(4, std::string_view(member.expires))
        .bind(5, member.balance)
        .bind(6, std::string_view(member.qq))
        .bind(7, std::string_view(member.email))
        .run();
    if (sqlite3_changes(m_db) != 1)
        return std::nullopt;
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<MemberRecord> Store::findMemberByName(std::string_view name)
{
    static const std::string sql = select(kMemberColumns, "members", "WHERE name = ?1");
    auto &s = statement(sql.c_str());
    s.bind(1, name);
    if (!s.step())
        return std::nullopt;
    MemberRecord member = readMember(s);
    s.finish();
    return member;
}

std::optional<MemberRecord> Store::findMemberById(std::int64_t id)
{
    static const std::string sql = select(kMemberColumns, "members", "WHERE id = ?1");
    auto &s = statement(sql.c_str());
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    MemberRecord member = readMember(s);
    s.finish();
    return member;
}

std::vector<MemberRecord> Store::members()
{
    static const std::string sql = select(kMemberColumns, "members", "ORDER BY id");
    auto &s = statement(sql.c_str());
    std::vector<MemberRecord> out;
    while (s.step())
        out.push_back(readMember(s));
    return out;
}

void Store::setPassHash(std::int64_t memberId, std::string_view passHash)
{
    statement("UPDATE members SET pass_hash = ?1 WHERE id = ?2").bind(1, passHash).bind(2, memberId).run();
}

void Store::bindPayment(std::int64_t memberId, std::string_view name, std::string_view account)
{
    statement("UPDATE members SET alipay_name = COALESCE(alipay_name, ?1), alipay_account = ?2"
              " WHERE id = ?3")
        .bind(1, name)
        .bind(2, account)
        .bind(3, memberId)
        .run();
}

void Store::saveLastSeen(const std::vector<std::pair<std::int64_t, std::int64_t>> &lastSeen)
{
    if (lastSeen.empty())
        return;
    exec("BEGIN");
    try {
        for (const auto &[memberId, seconds] : lastSeen)
            statement("UPDATE members SET last_seen = ?1 WHERE id = ?2").bind(1, seconds).bind(2, memberId).run();
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::int64_t Store::addTask(const NewTask &task)
{
    statement("INSERT INTO tasks (owner_id, keyword, goods_url, goods_id, total_clicks, add_time)"
              " VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, task.ownerId)
        .bind(2, std::string_view(task.keyword))
        .bind(3, std::string_view(task.goodsUrl))
        .bind(4, std::string_view(task.goodsId))
        .bind(5, task.totalClicks)
        .bind(6, std::string_view(task.addTime))
        .run();
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<TaskRecord> Store::findTask(std::int64_t taskId)
{
    static const std::string sql = select(kTaskColumns, "tasks", "WHERE id = ?1");
    auto &s = statement(sql.c_str());
    s.bind(1, taskId);
    if (!s.step())
        return std::nullopt;
    TaskRecord task = readTask(s);
    s.finish();
    return task;
}

bool Store::deleteTask(std::int64_t taskId, std::int64_t ownerId)
{
    statement("DELETE FROM tasks WHERE id = ?1 AND owner_id = ?2").bind(1, taskId).bind(2, ownerId).run();
    return sqlite3_changes(m_db) == 1;
}

bool Store::addVisit(std::int64_t taskId)
{
    statement("UPDATE tasks SET done_clicks = done_clicks + 1 WHERE id = ?1 AND done_clicks < total_clicks")
        .bind(1, taskId)
        .run();
    return sqlite3_changes(m_db) == 1;
}

std::vector<TaskRecord> Store::openTasks()
{
    static const std::string sql =
        select(kTaskColumns, "tasks", "WHERE status = 1 AND done_clicks < total_clicks ORDER BY id");
    auto &s = statement(sql.c_str());
    std::vector<TaskRecord> out;
    while (s.step())
        out.push_back(readTask(s));
    return out;
}

std::int64_t Store::dataVersion()
{
    auto &s = statement("PRAGMA data_version");
    const std::int64_t version = s.step() ? s.integer(0) : 0;
    s.finish();
    return version;
}

std::vector<TaskRecord> Store::tasksOf(std::int64_t ownerId)
{
    static const std::string sql = select(kTaskColumns, "tasks", "WHERE owner_id = ?1 ORDER BY id");
    auto &s = statement(sql.c_str());
    s.bind(1, ownerId);
    std::vector<TaskRecord> out;
    while (s.step())
        out.push_back(readTask(s));
    return out;
}

std::vector<TaskRecord> Store::tasks()
{
    static const std::string sql = select(kTaskColumns, "tasks", "ORDER BY id");
    auto &s = statement(sql.c_str());
    std::vector<TaskRecord> out;
    while (s.step())
        out.push_back(readTask(s));
    return out;
}

} // namespace zarnik::service
