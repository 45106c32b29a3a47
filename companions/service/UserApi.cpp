#include "UserApi.h"

#include "Base64.h"
#include "FormBody.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <vector>

namespace zarnik::service {

namespace {

// Shown as the expiry of lifetime members.
constexpr std::string_view kLifetimeExpiry = "2099-12-31 23:59:59";
constexpr std::size_t kMaxCacheEntries = 100000;

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void writeString(JsonWriter &w, std::string_view text)
{
    w.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void writeKey(JsonWriter &w, std::string_view key)
{
    w.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
}

void writeTask(JsonWriter &w, const TaskRecord &t)
{
    w.StartObject();
    writeKey(w, "taskid");
    w.Int64(t.id);
    writeKey(w, "userID");
    w.Int64(t.ownerId);
    writeKey(w, "keyWord");
    writeString(w, t.keyword);
    writeKey(w, "goodsURL");
    writeString(w, t.goodsUrl);
    writeKey(w, "goodsID");
    writeString(w, t.goodsId);
    writeKey(w, "LowestPrice");
    writeString(w, t.lowestPrice);
    writeKey(w, "HighestPrice");
    writeString(w, t.highestPrice);
    writeKey(w, "SearchType");
    w.Int64(t.searchType);
    writeKey(w, "TotalClickCount");
    w.Int64(t.totalClicks);
    writeKey(w, "HasClickCount");
    w.Int64(t.doneClicks);
    writeKey(w, "Status");
    w.Int64(t.status);
    writeKey(w, "AddTime");
    writeString(w, t.addTime);
    w.EndObject();
}

void writeOptionalString(JsonWriter &w, const std::optional<std::string> &text)
{
    if (text)
        writeString(w, *text);
    else
        w.Null();
}

bool hasExpired(const MemberRecord &member, TimePoint now)
{
    return !member.lifetime && formatLocalDate(now) > member.expires;
}

} // namespace

struct UserApi::Request {
    FormFields fields;
    std::int64_t memberId = 0;

    int retcode = 0;
    std::string message;
    std::optional<std::vector<TaskRecord>> tasks;
    std::optional<std::string> tasksJson; // a ready JSON array
    std::optional<MemberRecord> member;
    std::optional<std::int64_t> newTaskId;

    void fail(std::string reason)
    {
        retcode = 0;
        message = std::move(reason);
    }
    void succeed()
    {
        retcode = 1;
        message = "ok";
    }

    // The trimmed value of a field that must be present and not blank.
    std::optional<std::string> text(std::string_view name)
    {
        const std::string *value = fields.find(name);
        if (!value) {
            fail("missing field: " + std::string(name));
            return std::nullopt;
        }
        const std::string_view trimmed = trimText(*value);
        if (trimmed.empty()) {
            fail("empty field: " + std::string(name));
            return std::nullopt;
        }
        if (!isValidUtf8(trimmed)) {
            fail("not UTF-8: " + std::string(name));
            return std::nullopt;
        }
        return std::string(trimmed);
    }

    std::optional<std::int32_t> number(std::string_view name)
    {
        const std::string *value = fields.find(name);
        if (!value) {
            fail("missing field: " + std::string(name));
            return std::nullopt;
        }
        const auto parsed = parseInt32(trimText(*value));
        if (!parsed)
            fail("not a number: " + std::string(name));
        return parsed;
    }
};

UserApi::UserApi(Store &store, Now now)
    : m_store(store)
    , m_now(std::move(now))
{
}

ApiReply UserApi::handle(std::string_view body)
{
    ApiReply reply;
    Request r;
    const auto compose = [&] {
        rapidjson::StringBuffer buffer;
        JsonWriter w(buffer);
        w.StartObject();
        writeKey(w, "retcode");
        w.Int(r.retcode);
        writeKey(w, "retmsg");
        if (r.tasksJson) {
            w.RawValue(r.tasksJson->data(), r.tasksJson->size(), rapidjson::kArrayType);
        } else if (r.tasks) {
            w.StartArray();
            for (const TaskRecord &t : *r.tasks)
                writeTask(w, t);
            w.EndArray();
        } else {
            writeString(w, r.message);
        }
        if (r.member) {
            const MemberRecord &m = *r.member;
            writeKey(w, "islifetimemember");
            w.Int(m.lifetime ? 1 : 0);
            writeKey(w, "userid");
            w.Int64(m.id);
            writeKey(w, "expiredtime");
            writeString(w, m.lifetime ? std::string(kLifetimeExpiry) : m.expires + " 23:59:59");
            writeKey(w, "qq");
            writeString(w, m.qq);
            writeKey(w, "email");
            writeString(w, m.email);
            writeKey(w, "accountbalance");
            w.Int64(m.balance);
            writeKey(w, "alipayusername");
            writeOptionalString(w, m.alipayName);
            writeKey(w, "alipayaccount");
            writeOptionalString(w, m.alipayAccount);
        }
        if (r.newTaskId) {
            writeKey(w, "taskid");
            w.Int64(*r.newTaskId);
        }
        w.EndObject();
        reply.body = encodeBase64(std::string_view(buffer.GetString(), buffer.GetSize()));
        reply.retcode = r.retcode;
        reply.reason = r.retcode == 1 ? std::string() : r.message;
        return reply;
    };

    auto decoded = decodeFormBody(body);
    if (!decoded) {
        r.fail("malformed body");
        return compose();
    }
    r.fields = std::move(*decoded);
    const std::string *action = r.fields.find("action");
    const std::string *name = r.fields.find("username");
    const std::string *pass = r.fields.find("userpass");
    if (action)
        reply.action = loggable(*action, 32);
    if (name)
        reply.userName = loggable(trimText(*name));
    if (!name || !pass) {
        r.fail(!name ? "missing field: username" : "missing field: userpass");
        return compose();
    }
    const std::string password = decodeBase64(*pass);
    const auto memberId = authenticate(std::string(trimText(*name)), std::string(trimText(password)));
    if (!memberId) {
        r.fail("wrong user name or password");
        return compose();
    }
    r.memberId = *memberId;
    touch(r.memberId);

    if (!action) {
        r.fail("missing field: action");
        return compose();
    }
    using Handler = void (UserApi::*)(Request &);
    static const std::unordered_map<std::string_view, Handler> kHandlers = {
        {"login", &UserApi::login},
        {"modifyloginpass", &UserApi::modifyLoginPass},
        {"bindpayinformation", &UserApi::bindPayInformation},
        {"gettasklist", &UserApi::getTaskList},
        {"gettasklistbyuserid", &UserApi::getOwnTaskList},
        {"checktask", &UserApi::checkTask},
        {"updatetaskinfo", &UserApi::updateTaskInfo},
        {"addtask", &UserApi::addTask},
        {"deletetask", &UserApi::deleteTask},
    };
    if (*action == "heartbeat") {
        r.succeed();
    } else if (const auto it = kHandlers.find(*action); it != kHandlers.end()) {
        (this->*(it->second))(r);
    } else {
        r.fail("unknown action");
    }
    return compose();
}

std::optional<std::int64_t> UserApi::authenticate(const std::string &name, const std::string &password)
{
    if (name.empty() || password.empty())
        return std::nullopt;
    const TimePoint now = m_now();
    const CredentialTagger::Tag tag = m_tagger.tag(name, password);
    std::string storedHash;
    std::int64_t memberId = 0;
    {
        std::lock_guard lock(m_mutex);
        const auto cached = m_cache.find(name);
        if (cached != m_cache.end() && CredentialTagger::equal(cached->second.tag, tag)
            && now - cached->second.verifiedAt < kCacheLifetime)
            return cached->second.memberId;
        const auto member = m_store.findMemberByName(name);
        if (!member)
            return std::nullopt;
        storedHash = member->passHash;
        memberId = member->id;
    }
    // The slow hash runs unlocked so other members' requests go on meanwhile.
    if (!verifyPassword(password, storedHash))
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    const auto member = m_store.findMemberById(memberId);
    // The password may have changed while it was being checked.
    if (!member || member->passHash != storedHash || member->name != name)
        return std::nullopt;
    if (m_cache.size() >= kMaxCacheEntries)
        m_cache.clear();
    m_cache[name] = CacheEntry{memberId, tag, now};
    return memberId;
}

void UserApi::touch(std::int64_t memberId)
{
    const TimePoint now = m_now();
    std::lock_guard lock(m_mutex);
    m_lastSeen[memberId] = Seen{now, true};
}

void UserApi::flushLastSeen()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<std::int64_t, std::int64_t>> changed;
    for (auto &[memberId, seen] : m_lastSeen) {
        if (!seen.dirty)
            continue;
        changed.emplace_back(memberId,
                             std::chrono::duration_cast<std::chrono::seconds>(seen.at.time_since_epoch()).count());
        seen.dirty = false;
    }
    m_store.saveLastSeen(changed);
}

void UserApi::login(Request &r)
{
    std::optional<MemberRecord> member;
    {
        std::lock_guard lock(m_mutex);
        member = m_store.findMemberById(r.memberId);
    }
    if (!member)
        return r.fail("no such member");
    if (hasExpired(*member, m_now()))
        return r.fail("membership expired");
    r.succeed();
    r.member = std::move(member);
}

void UserApi::modifyLoginPass(Request &r)
{
    const auto newPass = r.text("newuserpass");
    if (!newPass)
        return;
    const std::string hash = hashPassword(*newPass);
    std::lock_guard lock(m_mutex);
    m_store.setPassHash(r.memberId, hash);
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it->second.memberId == r.memberId)
            it = m_cache.erase(it);
        else
            ++it;
    }
    r.succeed();
}

void UserApi::bindPayInformation(Request &r)
{
    const auto name = r.text("alipayusername");
    if (!name)
        return;
    const auto account = r.text("alipayaccount");
    if (!account)
        return;
    std::lock_guard lock(m_mutex);
    m_store.bindPayment(r.memberId, *name, *account);
    r.succeed();
}

UserApi::PoolSnapshot UserApi::poolSnapshot()
{
    const std::int64_t dataVersion = m_store.dataVersion();
    if (m_pool && m_poolGeneration == m_taskGeneration && m_poolDataVersion == dataVersion)
        return m_pool;
    auto entries = std::make_shared<std::vector<PoolEntry>>();
    for (const TaskRecord &task : m_store.openTasks()) {
        rapidjson::StringBuffer buffer;
        JsonWriter w(buffer);
        writeTask(w, task);
        entries->push_back(PoolEntry{task.ownerId, std::string(buffer.GetString(), buffer.GetSize())});
    }
    m_pool = std::move(entries);
    m_poolGeneration = m_taskGeneration;
    m_poolDataVersion = dataVersion;
    return m_pool;
}

void UserApi::getTaskList(Request &r)
{
    PoolSnapshot pool;
    {
        std::lock_guard lock(m_mutex);
        pool = poolSnapshot();
    }
    std::string json = "[";
    for (const PoolEntry &entry : *pool) {
        if (entry.ownerId == r.memberId)
            continue;
        if (json.size() > 1)
            json += ',';
        json += entry.json;
    }
    json += ']';
    r.tasksJson = std::move(json);
    r.retcode = 1;
}

void UserApi::getOwnTaskList(Request &r)
{
    std::lock_guard lock(m_mutex);
    r.tasks = m_store.tasksOf(r.memberId);
    r.retcode = 1;
}

void UserApi::checkTask(Request &r)
{
    const auto taskId = r.number("taskid");
    if (!taskId)
        return;
    const auto ownerId = r.number("otheruserid");
    if (!ownerId)
        return;
    const TimePoint now = m_now();
    std::lock_guard lock(m_mutex);
    const auto task = m_store.findTask(*taskId);
    if (!task)
        return r.fail("no such task");
    if (task->ownerId != *ownerId)
        return r.fail("not the task's owner");
    if (task->ownerId == r.memberId || task->status != 1 || task->doneClicks >= task->totalClicks)
        return r.fail("task not in the pool");
    TimePoint ownerSeen{};
    if (const auto seen = m_lastSeen.find(task->ownerId); seen != m_lastSeen.end()) {
        ownerSeen = seen->second.at;
    } else if (const auto owner = m_store.findMemberById(task->ownerId)) {
        ownerSeen = TimePoint(std::chrono::seconds(owner->lastSeen));
    }
    if (now - ownerSeen > kOwnerOnlineWindow)
        return r.fail("owner offline");
    const auto claim = m_claims.find(task->id);
    if (claim != m_claims.end() && claim->second.memberId != r.memberId && now < claim->second.expiresAt)
        return r.fail("task busy");
    m_claims[task->id] = Claim{r.memberId, now + kClaimLifetime};
    r.succeed();
}

void UserApi::updateTaskInfo(Request &r)
{
    const auto taskId = r.number("taskid");
    if (!taskId)
        return;
    const auto status = r.number("status");
    if (!status)
        return;
    const TimePoint now = m_now();
    std::lock_guard lock(m_mutex);
    const auto claim = m_claims.find(*taskId);
    if (claim == m_claims.end() || claim->second.memberId != r.memberId || now >= claim->second.expiresAt)
        return r.fail("no claim on this task");
    m_claims.erase(claim);
    if (*status == 1 && m_store.addVisit(*taskId))
        tasksChanged();
    r.succeed();
}

void UserApi::addTask(Request &r)
{
    const auto keyword = r.text("keyword");
    if (!keyword)
        return;
    const auto goodsUrl = r.text("goodsurl");
    if (!goodsUrl)
        return;
    const auto goodsId = r.text("goodsid");
    if (!goodsId)
        return;
    const auto visits = r.number("totalclickcount");
    if (!visits)
        return;
    if (*visits < 1 || *visits > kMaxVisits)
        return r.fail("totalclickcount out of range");
    NewTask task{r.memberId, *keyword, *goodsUrl, *goodsId, *visits, formatLocalDateTime(m_now())};
    std::lock_guard lock(m_mutex);
    r.newTaskId = m_store.addTask(task);
    tasksChanged();
    r.succeed();
}

void UserApi::deleteTask(Request &r)
{
    const auto taskId = r.number("taskid");
    if (!taskId)
        return;
    std::lock_guard lock(m_mutex);
    if (!m_store.deleteTask(*taskId, r.memberId))
        return r.fail("no such task of this member");
    m_claims.erase(*taskId);
    tasksChanged();
    r.succeed();
}

} // namespace zarnik::service
