#pragma once

#include <QString>

#include <mutex>
#include <stdexcept>

class Clock;
struct sqlite3;
struct sqlite3_stmt;

// A statement of the visit history failed; reaches the caller of the operation.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The visit history: one SQLite file, held in exclusive locking mode while the connection is open.
// Used from the UI thread; DisconnectFromDb may run on the exit clean-up thread once nothing else
// uses the store.
class Tdm_Database {
public:
    Tdm_Database(QString dbFile, const Clock &clock);
    ~Tdm_Database();
    Tdm_Database(const Tdm_Database &) = delete;
    Tdm_Database &operator=(const Tdm_Database &) = delete;

    // Opens the connection unless it is open; false when it cannot be opened.
    bool ConnectDb();
    // Creates the table only when the file did not exist; false only when that failed.
    bool CheckDb();
    // Stores one visit of the task at the current local time; true when a row was added.
    bool AddTaskInfo(int itaskID);
    // True once the task's earliest stored visit is seven days old or older.
    bool bHasViewedInTaskInterval(int itaskID);
    bool DisconnectFromDb();

    const QString &dbFile() const { return m_dbFile; }

private:
    void closeQuery();
    void prepareQuery(const QString &text);
    [[noreturn]] void fail(const char *what);
    void createTaskIdIndexIfTableExists();

    QString m_dbFile;
    const Clock &m_clock;
    std::recursive_mutex m_lock;
    sqlite3 *con_db = nullptr;
    sqlite3_stmt *qry_db = nullptr;
};

// The one store of the running program, owned by the application shell.
extern Tdm_Database *dm_Database;
