#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zarnik::service {

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MemberRecord {
    std::int64_t id = 0;
    std::string name;
    std::string passHash;
    bool lifetime = false;
    std::string expires; // "YYYY-MM-DD", the last day of the membership
    std::int64_t balance = 0;
    std::string qq;
    std::string email;
    std::optional<std::string> alipayName;
    std::optional<std::string> alipayAccount;
    std::int64_t lastSeen = 0; // seconds since the epoch, 0 = never
};

struct TaskRecord {
    std::int64_t id = 0;
    std::int64_t ownerId = 0;
    std::string keyword;
    std::string goodsUrl;
    std::string goodsId;
    std::string lowestPrice;
    std::string highestPrice;
    std::int64_t searchType = 0;
    std::int64_t totalClicks = 0;
    std::int64_t doneClicks = 0;
    std::int64_t status = 0;
    std::string addTime;
};

struct NewTask {
    std::int64_t ownerId = 0;
    std::string keyword;
    std::string goodsUrl;
    std::string goodsId;
    std::int64_t totalClicks = 0;
    std::string addTime;
};

// The SQLite file of members and tasks. Not thread-safe: the caller serialises access. Every
// value reaches SQLite as a bound parameter.
class Store {
public:
    explicit Store(const std::string &path);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // nullopt when the name is taken.
    std::optional<std::int64_t> addMember(const MemberRecord &member);
    std::optional<MemberRecord> findMemberByName(std::string_view name);
    std::optional<MemberRecord> findMemberById(std::int64_t id);
    std::vector<MemberRecord> members();
    void setPassHash(std::int64_t memberId, std::string_view passHash);
    // The holder's name is set only while none is bound; the account is always replaced.
    void bindPayment(std::int64_t memberId, std::string_view name, std::string_view account);
    void saveLastSeen(const std::vector<std::pair<std::int64_t, std::int64_t>> &lastSeen);

    std::int64_t addTask(const NewTask &task);
    std::optional<TaskRecord> findTask(std::int64_t taskId);
    // True when a task of that owner was deleted.
    bool deleteTask(std::int64_t taskId, std::int64_t ownerId);
    // True when the visit was counted (the task exists and is not complete).
    bool addVisit(std::int64_t taskId);
    std::vector<TaskRecord> tasksOf(std::int64_t ownerId);
    // Every member's open tasks with visits still to do.
    std::vector<TaskRecord> openTasks();
    // Changes whenever another connection (an admin command) has committed a change.
    std::int64_t dataVersion();
    std::vector<TaskRecord> tasks();

private:
    class Statement;
    Statement &statement(const char *sql);
    void exec(const char *sql);

    sqlite3 *m_db = nullptr;
    std::unordered_map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace zarnik::service
