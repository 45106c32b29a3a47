#include "ServiceClient.h"

#include "HttpServer.h"
#include "PasswordHash.h"
#include "Store.h"
#include "TextRules.h"
#include "UserApi.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <barrier>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>

using namespace zarnik::service;
using namespace zarnik::service::test;
using namespace std::chrono_literals;

namespace {

class ServiceApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarnik-service-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_dbPath = m_dir + "/service.db";
        m_store = std::make_unique<Store>(m_dbPath);
        m_api = std::make_unique<UserApi>(*m_store, [this] {
            return std::chrono::system_clock::now() + std::chrono::seconds(m_offsetSeconds.load());
        });
        ServerOptions options;
        options.address = "127.0.0.1";
        options.port = 0;
        options.log = [this](std::string_view line) {
            std::lock_guard lock(m_logMutex);
            m_log.emplace_back(line);
        };
        m_server = std::make_unique<HttpServer>(*m_api, options);
        m_base = "http://127.0.0.1:" + std::to_string(m_server->port());
        m_url = m_base + "/userapi.php";
    }

    void TearDown() override
    {
        m_server.reset();
        m_api.reset();
        m_store.reset();
        std::filesystem::remove_all(m_dir);
    }

    std::int64_t addMember(const std::string &name, const std::string &pass, bool lifetime = false,
                           const std::string &expires = "2099-01-01")
    {
        MemberRecord m;
        m.name = name;
        m.passHash = hashPassword(pass);
        m.lifetime = lifetime;
        m.expires = expires;
        const auto id = m_store->addMember(m);
        EXPECT_TRUE(id);
        return id.value_or(0);
    }

    std::int64_t addTask(std::int64_t ownerId, std::int64_t visits = 5)
    {
        return m_store->addTask(NewTask{ownerId, "keyword", "http://shop/item", "item-1", visits, "2024-01-01 00:00:00"});
    }

    ApiResult call(const std::string &name, const std::string &pass, const std::string &action,
                   const Fields &extra = {})
    {
        return callAction(m_url, name, pass, action, extra);
    }

    void advance(std::chrono::seconds by) { m_offsetSeconds += by.count(); }

    // Runs SQL on a connection of its own, as an administrator would.
    void sql(const std::string &text)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(m_dbPath.c_str(), &db), SQLITE_OK);
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, text.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    // Every stored row, for checking that a request changed nothing. A signed-in request moves
    // last_seen to the wall clock, which a slow run can carry into the next second.
    std::string snapshot(bool withLastSeen = true)
    {
        std::string out;
        for (const MemberRecord &m : m_store->members())
            out += std::to_string(m.id) + m.name + m.passHash + m.expires + m.alipayName.value_or("~")
                + m.alipayAccount.value_or("~") + (withLastSeen ? std::to_string(m.lastSeen) : std::string()) + '\n';
        for (const TaskRecord &t : m_store->tasks())
            out += std::to_string(t.id) + ' ' + std::to_string(t.ownerId) + t.keyword + std::to_string(t.doneClicks)
                + '/' + std::to_string(t.totalClicks) + ' ' + std::to_string(t.status) + '\n';
        return out;
    }

    std::int64_t doneClicks(std::int64_t taskId) { return m_store->findTask(taskId).value().doneClicks; }

    std::vector<std::string> logLines()
    {
        std::lock_guard lock(m_logMutex);
        return m_log;
    }

    std::string m_dir;
    std::string m_dbPath;
    std::atomic<std::int64_t> m_offsetSeconds{0};
    std::unique_ptr<Store> m_store;
    std::unique_ptr<UserApi> m_api;
    std::unique_ptr<HttpServer> m_server;
    std::string m_base;
    std::string m_url;
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

std::vector<std::int64_t> taskIds(const ApiResult &reply)
{
    std::vector<std::int64_t> ids;
    if (reply.parsed && reply.json["retmsg"].IsArray()) {
        for (const auto &task : reply.json["retmsg"].GetArray())
            ids.push_back(task["taskid"].GetInt64());
    }
    return ids;
}

TEST_F(ServiceApiTest, LoginAnswersTheMemberRecordWithTheTypesTheClientReads)
{
    const auto alice = addMember("alice", "pw alice", false, "2099-01-01");
    const auto bob = addMember("bob", "pw bob", true);

    const ApiResult a = call("alice", "pw alice", "login");
    ASSERT_TRUE(a.parsed);
    EXPECT_EQ(a.retcode(), 1);
    EXPECT_TRUE(a["retmsg"].IsString());
    EXPECT_TRUE(a["islifetimemember"].IsInt());
    EXPECT_EQ(a["islifetimemember"].GetInt(), 0);
    EXPECT_EQ(a["userid"].GetInt64(), alice);
    EXPECT_TRUE(a["accountbalance"].IsInt64());
    EXPECT_FALSE(a["accountbalance"].IsDouble());
    EXPECT_STREQ(a["expiredtime"].GetString(), "2099-01-01 23:59:59");
    EXPECT_TRUE(a["qq"].IsString());
    EXPECT_TRUE(a["email"].IsString());
    EXPECT_TRUE(a["alipayusername"].IsNull());
    EXPECT_TRUE(a["alipayaccount"].IsNull());

    const ApiResult b = call("bob", "pw bob", "login");
    EXPECT_EQ(b.retcode(), 1);
    EXPECT_EQ(b["islifetimemember"].GetInt(), 1);
    EXPECT_EQ(b["userid"].GetInt64(), bob);
    EXPECT_STREQ(b["expiredtime"].GetString(), "2099-12-31 23:59:59");
}

TEST_F(ServiceApiTest, LoginRefusesWrongCredentialsAndPassedExpiryDates)
{
    addMember("alice", "pw alice");
    addMember("old", "pw old", false, "2020-01-01");
    addMember("today", "pw today", false, formatLocalDate(std::chrono::system_clock::now()));
    addMember("long", std::string(57, 'p'));

    struct Case {
        const char *name;
        std::string pass;
        int retcode;
    };
    const Case cases[] = {
        {"alice", "pw alice", 1},
        {"alice", "pw Alice", 0},
        {"alice", "", 0},
        {"nobody", "pw alice", 0},
        {"", "pw alice", 0},
        {"old", "pw old", 0},
        {"today", "pw today", 1},
        // 57 bytes: 76 base64 characters and a CR LF at the end.
        {"long", std::string(57, 'p'), 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(call(c.name, c.pass, "login").retcode(), c.retcode) << c.name << " / " << c.pass;

    // The "userid" field is not used to identify the member.
    const auto fields = formBody({{"userid", "999"}, {"username", "alice"}, {"userpass", clientPassword("pw alice")},
                                  {"action", "login"}});
    EXPECT_EQ(parseReply(httpPost(m_url, fields)).retcode(), 1);
}

TEST_F(ServiceApiTest, WrongCredentialsGetZeroForEveryActionAndChangeNothing)
{
    addMember("alice", "pw alice");
    const auto bob = addMember("bob", "pw bob");
    const auto task = addTask(bob);
    ASSERT_EQ(call("bob", "pw bob", "heartbeat").retcode(), 1);
    m_api->flushLastSeen();
    const std::string before = snapshot();
    const std::string id = std::to_string(task);
    const std::pair<const char *, Fields> actions[] = {
        {"login", {}},
        {"heartbeat", {}},
        {"gettasklist", {}},
        {"gettasklistbyuserid", {}},
        {"modifyloginpass", {{"newuserpass", "hacked"}}},
        {"bindpayinformation", {{"alipayusername", "x"}, {"alipayaccount", "y"}}},
        {"checktask", {{"taskid", id}, {"otheruserid", std::to_string(bob)}}},
        {"updatetaskinfo", {{"taskid", id}, {"status", "1"}}},
        {"addtask", {{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "5"}}},
        {"deletetask", {{"taskid", id}}},
    };
    for (const auto &[action, extra] : actions) {
        const ApiResult reply = call("bob", "wrong", action, extra);
        EXPECT_EQ(reply.retcode(), 0) << action;
        EXPECT_TRUE(reply["retmsg"].IsString()) << action;
    }
    m_api->flushLastSeen();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(call("alice", "pw alice", "checktask", {{"taskid", id}, {"otheruserid", std::to_string(bob)}}).retcode(),
              1)
        << "no claim was taken by the refused requests";
}

TEST_F(ServiceApiTest, PoolHoldsOtherMembersOpenUnfinishedTasksAndOwnListHoldsAllOwnTasks)
{
    const auto alice = addMember("alice", "pw a");
    const auto bob = addMember("bob", "pw b");
    const auto aliceOpen = addTask(alice);
    const auto aliceStopped = addTask(alice);
    const auto bobOpen = addTask(bob);
    const auto bobDone = addTask(bob, 3);
    sql("UPDATE tasks SET status = 0 WHERE id = " + std::to_string(aliceStopped));
    sql("UPDATE tasks SET done_clicks = 3 WHERE id = " + std::to_string(bobDone));

    EXPECT_EQ(taskIds(call("alice", "pw a", "gettasklist")), std::vector<std::int64_t>{bobOpen});
    EXPECT_EQ(taskIds(call("bob", "pw b", "gettasklist")), std::vector<std::int64_t>{aliceOpen});
    EXPECT_EQ(taskIds(call("alice", "pw a", "gettasklistbyuserid")),
              (std::vector<std::int64_t>{aliceOpen, aliceStopped}));
    EXPECT_EQ(taskIds(call("bob", "pw b", "gettasklistbyuserid")), (std::vector<std::int64_t>{bobOpen, bobDone}));

    // Changes by the service itself and by an administrator's command reach the next pool.
    ASSERT_EQ(call("alice", "pw a", "deletetask", {{"taskid", std::to_string(aliceOpen)}}).retcode(), 1);
    EXPECT_EQ(taskIds(call("bob", "pw b", "gettasklist")), std::vector<std::int64_t>{});
    sql("UPDATE tasks SET status = 0 WHERE id = " + std::to_string(bobOpen));
    EXPECT_EQ(taskIds(call("alice", "pw a", "gettasklist")), std::vector<std::int64_t>{});
}

TEST_F(ServiceApiTest, TaskObjectsCarryExactlyTheTwelveKeysWithTheirTypes)
{
    const auto alice = addMember("alice", "pw a");
    addMember("bob", "pw b");
    ASSERT_EQ(call("alice", "pw a", "addtask",
                   {{"keyword", " 连衣裙 夏 "}, {"goodsurl", "http://item.example/?id=1&x=2"}, {"goodsid", "1"},
                    {"totalclickcount", "7"}})
                  .retcode(),
              1);
    const ApiResult pool = call("bob", "pw b", "gettasklist");
    ASSERT_EQ(pool.retcode(), 1);
    ASSERT_EQ(pool["retmsg"].Size(), 1u);
    const auto &task = pool["retmsg"][0];
    EXPECT_EQ(task.MemberCount(), 12u);
    for (const char *key : {"taskid", "userID", "SearchType", "TotalClickCount", "HasClickCount", "Status"})
        EXPECT_TRUE(task.HasMember(key) && task[key].IsInt()) << key;
    for (const char *key : {"keyWord", "goodsURL", "goodsID", "LowestPrice", "HighestPrice", "AddTime"})
        EXPECT_TRUE(task.HasMember(key) && task[key].IsString()) << key;
    EXPECT_EQ(task["userID"].GetInt64(), alice);
    EXPECT_STREQ(task["keyWord"].GetString(), "连衣裙 夏");
    EXPECT_STREQ(task["goodsURL"].GetString(), "http://item.example/?id=1&x=2");
    EXPECT_EQ(task["TotalClickCount"].GetInt(), 7);
    EXPECT_EQ(task["HasClickCount"].GetInt(), 0);
    EXPECT_EQ(task["Status"].GetInt(), 1);
    EXPECT_TRUE(std::regex_match(task["AddTime"].GetString(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
}

TEST_F(ServiceApiTest, AddTaskNeedsNonBlankFieldsAndOneToFiveHundredVisits)
{
    addMember("alice", "pw a");
    struct Case {
        Fields fields;
        int retcode;
    };
    const Case cases[] = {
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "1"}}, 1},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "500"}}, 1},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "0"}}, 0},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "501"}}, 0},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "-3"}}, 0},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "ten"}}, 0},
        {{{"keyword", " "}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "5"}}, 0},
        {{{"keyword", "k"}, {"goodsurl", ""}, {"goodsid", "g"}, {"totalclickcount", "5"}}, 0},
        {{{"keyword", "k"}, {"goodsurl", "u"}, {"totalclickcount", "5"}}, 0},
        {{{"keyword", "\xff"}, {"goodsurl", "u"}, {"goodsid", "g"}, {"totalclickcount", "5"}}, 0},
    };
    std::size_t added = 0;
    for (const Case &c : cases) {
        const std::size_t before = m_store->tasks().size();
        EXPECT_EQ(call("alice", "pw a", "addtask", c.fields).retcode(), c.retcode) << formBody(c.fields);
        EXPECT_EQ(m_store->tasks().size(), before + (c.retcode == 1 ? 1 : 0));
        added += c.retcode == 1 ? 1 : 0;
    }
    const auto tasks = m_store->tasks();
    ASSERT_EQ(tasks.size(), added);
    for (const TaskRecord &t : tasks) {
        EXPECT_EQ(t.status, 1);
        EXPECT_EQ(t.doneClicks, 0);
    }
}

TEST_F(ServiceApiTest, DeleteTaskOnlyByItsOwner)
{
    const auto alice = addMember("alice", "pw a");
    addMember("bob", "pw b");
    const auto task = addTask(alice);
    const std::string id = std::to_string(task);
    EXPECT_EQ(call("bob", "pw b", "deletetask", {{"taskid", id}}).retcode(), 0);
    EXPECT_TRUE(m_store->findTask(task));
    EXPECT_EQ(call("alice", "pw a", "deletetask", {{"taskid", "99999"}}).retcode(), 0);
    EXPECT_EQ(call("alice", "pw a", "deletetask", {{"taskid", id}}).retcode(), 1);
    EXPECT_FALSE(m_store->findTask(task));
    EXPECT_EQ(call("alice", "pw a", "deletetask", {{"taskid", id}}).retcode(), 0);
    // A deleted task's id is not handed out again: clients remember the ids they visited.
    EXPECT_GT(addTask(alice), task);
}

TEST_F(ServiceApiTest, ModifyLoginPassReplacesTheHashAndForgetsTheCachedPassword)
{
    const auto alice = addMember("alice", "old pass");
    const std::string oldHash = m_store->findMemberById(alice)->passHash;
    ASSERT_EQ(call("alice", "old pass", "login").retcode(), 1);
    EXPECT_EQ(call("alice", "old pass", "modifyloginpass", {{"newuserpass", "   "}}).retcode(), 0);
    EXPECT_EQ(call("alice", "old pass", "modifyloginpass", {}).retcode(), 0);
    EXPECT_EQ(m_store->findMemberById(alice)->passHash, oldHash);

    EXPECT_EQ(call("alice", "old pass", "modifyloginpass", {{"newuserpass", " new 密码 "}}).retcode(), 1);
    const std::string newHash = m_store->findMemberById(alice)->passHash;
    EXPECT_NE(newHash, oldHash);
    EXPECT_EQ(newHash.find("new"), std::string::npos);
    EXPECT_EQ(call("alice", "old pass", "heartbeat").retcode(), 0);
    EXPECT_EQ(call("alice", "new 密码", "login").retcode(), 1);
}

TEST_F(ServiceApiTest, BindPayInformationBindsTheNameOnceAndUpdatesTheAccount)
{
    addMember("alice", "pw a", true);
    EXPECT_EQ(call("alice", "pw a", "bindpayinformation", {{"alipayusername", "张三"}}).retcode(), 0);
    EXPECT_EQ(call("alice", "pw a", "bindpayinformation", {{"alipayusername", " "}, {"alipayaccount", "a@b"}}).retcode(),
              0);
    EXPECT_TRUE(call("alice", "pw a", "login")["alipayusername"].IsNull());

    EXPECT_EQ(call("alice", "pw a", "bindpayinformation", {{"alipayusername", " 张三 "}, {"alipayaccount", "a@b"}})
                  .retcode(),
              1);
    EXPECT_EQ(call("alice", "pw a", "bindpayinformation", {{"alipayusername", "李四"}, {"alipayaccount", "c@d"}})
                  .retcode(),
              1);
    const ApiResult login = call("alice", "pw a", "login");
    EXPECT_STREQ(login["alipayusername"].GetString(), "张三");
    EXPECT_STREQ(login["alipayaccount"].GetString(), "c@d");
}

TEST_F(ServiceApiTest, CheckTaskNeedsTheOwnerOnlineAndNoOtherClaim)
{
    const auto owner = addMember("owner", "pw o");
    addMember("ann", "pw a");
    addMember("ben", "pw b");
    const auto task = addTask(owner);
    const Fields check{{"taskid", std::to_string(task)}, {"otheruserid", std::to_string(owner)}};

    EXPECT_EQ(call("ann", "pw a", "checktask", check).retcode(), 0) << "the owner was never seen";
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    EXPECT_EQ(call("ann", "pw a", "checktask", {{"taskid", std::to_string(task)}, {"otheruserid", "12345"}}).retcode(),
              0)
        << "otheruserid is not the owner";
    EXPECT_EQ(call("owner", "pw o", "checktask", check).retcode(), 0) << "own task";
    EXPECT_EQ(call("ann", "pw a", "checktask", check).retcode(), 1);
    EXPECT_EQ(call("ben", "pw b", "checktask", check).retcode(), 0) << "ann holds the claim";
    EXPECT_EQ(call("ann", "pw a", "checktask", check).retcode(), 1) << "the holder may ask again";

    // Renewed at +8 minutes, the claim still holds at +15 and has lapsed at +19.
    advance(8min);
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    EXPECT_EQ(call("ann", "pw a", "checktask", check).retcode(), 1);
    advance(7min);
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    EXPECT_EQ(call("ben", "pw b", "checktask", check).retcode(), 0);
    advance(4min);
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    EXPECT_EQ(call("ben", "pw b", "checktask", check).retcode(), 1);

    // Ten minutes after the owner's last request he counts as offline.
    advance(9min);
    EXPECT_EQ(call("ben", "pw b", "checktask", check).retcode(), 1);
    advance(2min);
    EXPECT_EQ(call("ben", "pw b", "checktask", check).retcode(), 0);
}

TEST_F(ServiceApiTest, CheckTaskRefusesTasksOutsideThePool)
{
    const auto owner = addMember("owner", "pw o");
    addMember("ann", "pw a");
    const auto finished = addTask(owner, 2);
    const auto stopped = addTask(owner);
    sql("UPDATE tasks SET done_clicks = 2 WHERE id = " + std::to_string(finished));
    sql("UPDATE tasks SET status = 0 WHERE id = " + std::to_string(stopped));
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    for (const auto task : {finished, stopped, std::int64_t(424242)}) {
        EXPECT_EQ(call("ann", "pw a", "checktask", {{"taskid", std::to_string(task)}, {"otheruserid", std::to_string(owner)}})
                      .retcode(),
                  0)
            << task;
    }
}

TEST_F(ServiceApiTest, UpdateTaskInfoCountsOnceForTheClaimHolderAndReleasesTheClaim)
{
    const auto owner = addMember("owner", "pw o");
    addMember("ann", "pw a");
    addMember("ben", "pw b");
    const auto task = addTask(owner);
    const std::string id = std::to_string(task);
    const Fields check{{"taskid", id}, {"otheruserid", std::to_string(owner)}};
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);

    EXPECT_EQ(call("ann", "pw a", "updatetaskinfo", {{"taskid", id}, {"status", "1"}}).retcode(), 0) << "no claim";
    EXPECT_EQ(doneClicks(task), 0);

    ASSERT_EQ(call("ann", "pw a", "checktask", check).retcode(), 1);
    EXPECT_EQ(call("ben", "pw b", "updatetaskinfo", {{"taskid", id}, {"status", "1"}}).retcode(), 0) << "not the holder";
    ASSERT_EQ(call("ben", "pw b", "gettasklist")["retmsg"][0]["HasClickCount"].GetInt(), 0);
    EXPECT_EQ(call("ann", "pw a", "updatetaskinfo", {{"taskid", id}, {"status", "1"}}).retcode(), 1);
    EXPECT_EQ(doneClicks(task), 1);
    EXPECT_EQ(call("ben", "pw b", "gettasklist")["retmsg"][0]["HasClickCount"].GetInt(), 1);
    EXPECT_EQ(call("ann", "pw a", "updatetaskinfo", {{"taskid", id}, {"status", "1"}}).retcode(), 0) << "released";
    EXPECT_EQ(doneClicks(task), 1);

    // Any other status releases the claim without counting.
    ASSERT_EQ(call("ben", "pw b", "checktask", check).retcode(), 1);
    EXPECT_EQ(call("ben", "pw b", "updatetaskinfo", {{"taskid", id}, {"status", "2"}}).retcode(), 1);
    EXPECT_EQ(doneClicks(task), 1);
    EXPECT_EQ(call("ann", "pw a", "checktask", check).retcode(), 1);

    // A lapsed claim counts nothing.
    advance(11min);
    EXPECT_EQ(call("ann", "pw a", "updatetaskinfo", {{"taskid", id}, {"status", "1"}}).retcode(), 0);
    EXPECT_EQ(doneClicks(task), 1);
}

TEST_F(ServiceApiTest, BadInputGetsZeroOrA4xxAndChangesNoRow)
{
    const auto owner = addMember("owner", "pw o");
    addMember("ann", "pw a");
    const auto task = addTask(owner);
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    ASSERT_EQ(call("ann", "pw a", "checktask", {{"taskid", std::to_string(task)}, {"otheruserid", std::to_string(owner)}})
                  .retcode(),
              1);
    m_api->flushLastSeen();
    const std::string before = snapshot(false);

    const std::string auth = formBody({{"userid", "0"}, {"username", "ann"}, {"userpass", clientPassword("pw a")}});
    const std::string big(70 * 1024, 'a');
    const std::string huge(2 * 1024 * 1024, 'a');
    const std::pair<const char *, std::string> bodies[] = {
        {"broken escape", auth + "&action=login&x=%zz"},
        {"broken escape at end", auth + "&action=heartbeat%"},
        {"empty body", ""},
        {"no credentials", "action=login"},
        {"no action", auth},
        {"unknown action", auth + "&action=dropall"},
        {"action in other case", auth + "&action=LOGIN"},
        {"missing taskid", auth + "&action=updatetaskinfo&status=1"},
        {"missing status", auth + "&action=updatetaskinfo&taskid=" + std::to_string(task)},
        {"text taskid", auth + "&action=updatetaskinfo&taskid=abc&status=1"},
        {"fraction taskid", auth + "&action=deletetask&taskid=1.0"},
        {"overflowing taskid", auth + "&action=checktask&taskid=99999999999&otheruserid=1"},
        {"text otheruserid", auth + "&action=checktask&taskid=1&otheruserid=x"},
        {"text status", auth + "&action=updatetaskinfo&taskid=" + std::to_string(task) + "&status=ok"},
        {"text visits", auth + "&action=addtask&keyword=k&goodsurl=u&goodsid=g&totalclickcount=lots"},
        {"over 64 KiB", auth + "&action=addtask&keyword=" + big + "&goodsurl=u&goodsid=g&totalclickcount=5"},
        {"over 1 MiB", auth + "&action=addtask&keyword=" + huge + "&goodsurl=u&goodsid=g&totalclickcount=5"},
        {"binary", std::string("\0\xff\x01=\x02&&==&", 11)},
    };
    for (const auto &[what, body] : bodies) {
        const HttpResult http = httpPost(m_url, body);
        if (http.status == 200) {
            const ApiResult reply = parseReply(http);
            ASSERT_TRUE(reply.parsed) << what;
            EXPECT_EQ(reply.retcode(), 0) << what;
            EXPECT_TRUE(reply["retmsg"].IsString() && reply["retmsg"].GetStringLength() > 0) << what;
        } else if (std::string_view(what) == "over 1 MiB") {
            // Refused before the body is read: either the 413 or a closed connection reaches curl.
            EXPECT_TRUE(http.status == 413 || http.status == 0) << http.status << ' ' << http.error;
        } else {
            EXPECT_GE(http.status, 400) << what;
            EXPECT_LT(http.status, 500) << what;
        }
    }
    EXPECT_EQ(httpPost(m_url, auth + "&action=addtask&keyword=" + big).status, 413);
    EXPECT_EQ(httpGet(m_url).status, 405);
    m_api->flushLastSeen();
    EXPECT_EQ(snapshot(false), before) << "last_seen aside, nothing changed";
    // The claim survived all of it.
    EXPECT_EQ(call("ann", "pw a", "updatetaskinfo", {{"taskid", std::to_string(task)}, {"status", "1"}}).retcode(), 1);
}

TEST_F(ServiceApiTest, ManyMembersAskingForOneTaskAtOnceGetExactlyOneYes)
{
    constexpr int kMembers = 50;
    const auto owner = addMember("owner", "pw o");
    for (int i = 0; i < kMembers; ++i)
        addMember("m" + std::to_string(i), "pw " + std::to_string(i));
    const auto task = addTask(owner);
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    // Signed in first, as clients are, so the requests meet at the claim rather than at hashing.
    for (int i = 0; i < kMembers; ++i)
        ASSERT_EQ(call("m" + std::to_string(i), "pw " + std::to_string(i), "login").retcode(), 1);

    std::barrier start(kMembers);
    std::atomic<int> yes{0};
    std::atomic<int> no{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kMembers; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            const int retcode = call("m" + std::to_string(i), "pw " + std::to_string(i), "checktask",
                                     {{"taskid", std::to_string(task)}, {"otheruserid", std::to_string(owner)}})
                                    .retcode();
            (retcode == 1 ? yes : no) += 1;
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(yes.load(), 1);
    EXPECT_EQ(no.load(), kMembers - 1);
}

TEST_F(ServiceApiTest, ClaimedTasksReportedInParallelAreEachCountedOnce)
{
    constexpr int kMembers = 50;
    const auto owner = addMember("owner", "pw o");
    std::vector<std::int64_t> tasks;
    for (int i = 0; i < kMembers; ++i) {
        addMember("m" + std::to_string(i), "pw " + std::to_string(i));
        tasks.push_back(addTask(owner, 10));
    }
    ASSERT_EQ(call("owner", "pw o", "heartbeat").retcode(), 1);
    for (int i = 0; i < kMembers; ++i) {
        ASSERT_EQ(call("m" + std::to_string(i), "pw " + std::to_string(i), "checktask",
                       {{"taskid", std::to_string(tasks[i])}, {"otheruserid", std::to_string(owner)}})
                      .retcode(),
                  1);
    }
    // Every member reports its task twice at the same moment; one report counts.
    std::barrier start(2 * kMembers);
    std::atomic<int> accepted{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2 * kMembers; ++i) {
        threads.emplace_back([&, i] {
            const int member = i % kMembers;
            start.arrive_and_wait();
            if (call("m" + std::to_string(member), "pw " + std::to_string(member), "updatetaskinfo",
                     {{"taskid", std::to_string(tasks[member])}, {"status", "1"}})
                    .retcode()
                == 1)
                ++accepted;
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(accepted.load(), kMembers);
    for (const auto task : tasks)
        EXPECT_EQ(doneClicks(task), 1) << task;
}

TEST_F(ServiceApiTest, LastSeenIsKeptInMemoryUntilTheFlush)
{
    const auto alice = addMember("alice", "pw a");
    ASSERT_EQ(call("alice", "pw a", "heartbeat").retcode(), 1);
    EXPECT_EQ(m_store->findMemberById(alice)->lastSeen, 0);
    m_api->flushLastSeen();
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    EXPECT_NEAR(static_cast<double>(m_store->findMemberById(alice)->lastSeen), static_cast<double>(now), 5.0);

    // A member seen before a restart still counts as online for checktask.
    addMember("ann", "pw n");
    const auto task = addTask(alice);
    m_server.reset();
    m_api = std::make_unique<UserApi>(*m_store);
    m_server = std::make_unique<HttpServer>(*m_api, ServerOptions{"127.0.0.1", 0, 2, {}});
    m_url = "http://127.0.0.1:" + std::to_string(m_server->port()) + "/userapi.php";
    EXPECT_EQ(call("ann", "pw n", "checktask", {{"taskid", std::to_string(task)}, {"otheruserid", std::to_string(alice)}})
                  .retcode(),
              1);
}

TEST_F(ServiceApiTest, TheLogHasOneLinePerRequestAndNoPassword)
{
    addMember("alice", "Secret-Pass-1");
    ASSERT_EQ(call("alice", "Secret-Pass-1", "login").retcode(), 1);
    ASSERT_EQ(call("alice", "Secret-Pass-1", "modifyloginpass", {{"newuserpass", "Other-Pass-2"}}).retcode(), 1);
    ASSERT_EQ(call("alice", "Wrong-Pass-3", "heartbeat").retcode(), 0);
    ASSERT_EQ(httpGet(m_base + "/").status, 200);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("action=\"login\" user=\"alice\" retcode=1"), std::string::npos) << lines[0];
    for (const std::string &line : lines) {
        for (const std::string secret : {"Secret-Pass-1", "Other-Pass-2", "Wrong-Pass-3"}) {
            EXPECT_EQ(line.find(secret), std::string::npos) << line;
            EXPECT_EQ(line.find(clientPassword(secret).substr(0, 12)), std::string::npos) << line;
        }
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST_F(ServiceApiTest, ASecondServerCannotTakeAPortInUse)
{
    EXPECT_THROW(HttpServer(*m_api, ServerOptions{"127.0.0.1", m_server->port(), 1, {}}), std::runtime_error);
    EXPECT_THROW(HttpServer(*m_api, ServerOptions{"localhost", 0, 1, {}}), std::runtime_error);
}

TEST_F(ServiceApiTest, ServesTheWebPagesTheClientOpens)
{
    const std::pair<const char *, const char *> pages[] = {
        {"/", "text/html"},        {"/recharge.php", "text/html"}, {"/register.php", "text/html"},
        {"/ads/ad.htm", "text/html"}, {"/?post=11", "text/html"},   {"/ads/pic/ad.gif", "image/gif"},
    };
    for (const auto &[path, type] : pages) {
        const HttpResult page = httpGet(m_base + path);
        EXPECT_EQ(page.status, 200) << path;
        EXPECT_EQ(page.contentType.rfind(type, 0), 0u) << path << ' ' << page.contentType;
        EXPECT_FALSE(page.body.empty()) << path;
    }
    EXPECT_EQ(httpGet(m_base + "/ads/pic/ad.gif").body.substr(0, 6), "GIF89a");
    EXPECT_NE(httpGet(m_base + "/?post=11").body, httpGet(m_base + "/").body);
    EXPECT_EQ(httpGet(m_base + "/nothing-here").status, 404);
    EXPECT_EQ(httpPost(m_base + "/", "a=b").status, 405);
}

} // namespace
