#pragma once

#include "PasswordHash.h"
#include "Store.h"
#include "TextRules.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zarnik::service {

class FormFields;

// What the HTTP layer sends back and writes to its log line. Never holds a password.
struct ApiReply {
    int httpStatus = 200;
    std::string body; // base64 of the UTF-8 JSON object
    std::string action;
    std::string userName;
    int retcode = 0;
    std::string reason;
};

// The actions at "/userapi.php". Thread-safe: one mutex guards the store and the in-memory state
// (credential cache, last-seen times, claims); only password hashing runs outside it.
class UserApi {
public:
    using Now = std::function<TimePoint()>;

    static constexpr std::chrono::minutes kClaimLifetime{10};
    static constexpr std::chrono::minutes kOwnerOnlineWindow{10};
    static constexpr std::chrono::minutes kCacheLifetime{15};
    static constexpr int kMaxVisits = 500;

    explicit UserApi(Store &store, Now now = [] { return std::chrono::system_clock::now(); });

    ApiReply handle(std::string_view body);

    // Writes the last-seen times that changed since the previous call, in one transaction.
    void flushLastSeen();

private:
    struct Request;
    struct CacheEntry {
        std::int64_t memberId = 0;
        CredentialTagger::Tag tag{};
        TimePoint verifiedAt;
    };
    struct Seen {
        TimePoint at;
        bool dirty = false;
    };
    struct Claim {
        std::int64_t memberId = 0;
        TimePoint expiresAt;
    };

    // The open tasks as ready JSON objects, rebuilt only after a task changed.
    struct PoolEntry {
        std::int64_t ownerId = 0;
        std::string json;
    };
    using PoolSnapshot = std::shared_ptr<const std::vector<PoolEntry>>;
    PoolSnapshot poolSnapshot();
    void tasksChanged() { ++m_taskGeneration; }

    std::optional<std::int64_t> authenticate(const std::string &name, const std::string &password);
    void touch(std::int64_t memberId);

    void login(Request &r);
    void modifyLoginPass(Request &r);
    void bindPayInformation(Request &r);
    void getTaskList(Request &r);
    void getOwnTaskList(Request &r);
    void checkTask(Request &r);
    void updateTaskInfo(Request &r);
    void addTask(Request &r);
    void deleteTask(Request &r);

    Store &m_store;
    Now m_now;
    CredentialTagger m_tagger;
    std::mutex m_mutex;
    std::unordered_map<std::string, CacheEntry> m_cache;
    std::unordered_map<std::int64_t, Seen> m_lastSeen;
    std::unordered_map<std::int64_t, Claim> m_claims;
    PoolSnapshot m_pool;
    std::uint64_t m_taskGeneration = 0;
    std::uint64_t m_poolGeneration = 0;
    std::int64_t m_poolDataVersion = -1;
};

} // namespace zarnik::service
