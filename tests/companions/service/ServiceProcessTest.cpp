#include "ServiceClient.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace zarnik::service::test;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ServiceProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarnik-service-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_db = m_dir + "/service.db";
    }
    void TearDown() override
    {
        if (m_servePid > 0) {
            kill(m_servePid, SIGKILL);
            waitpid(m_servePid, nullptr, 0);
        }
        std::filesystem::remove_all(m_dir);
    }

    static std::string readFile(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Starts the program with --db and the arguments; stdout and stderr go to files.
    pid_t start(const std::vector<std::string> &args)
    {
        std::vector<std::string> argv{ZARNIK_SERVICE_EXE, "--db", m_db};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string outPath = m_dir + "/out.txt";
        const std::string errPath = m_dir + "/err.txt";
        const pid_t pid = fork();
        if (pid == 0) {
            if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr))
                _exit(127);
            std::vector<char *> raw;
            for (auto &a : argv)
                raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
        return pid;
    }

    Outcome finish(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        Outcome outcome;
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = readFile(m_dir + "/out.txt");
        outcome.err = readFile(m_dir + "/err.txt");
        return outcome;
    }

    Outcome run(const std::vector<std::string> &args) { return finish(start(args)); }

    // Starts "serve" on a free port and waits for its "listening on" line.
    std::string serve()
    {
        m_servePid = start({"serve", "--listen", "127.0.0.1:0", "--threads", "2"});
        for (int i = 0; i < 500; ++i) {
            const std::string out = readFile(m_dir + "/out.txt");
            const std::size_t at = out.find("listening on 127.0.0.1:");
            if (at != std::string::npos && out.find('\n', at) != std::string::npos)
                return "http://127.0.0.1:" + out.substr(at + 23, out.find('\n', at) - at - 23);
            usleep(10000);
        }
        ADD_FAILURE() << "the service did not report its port";
        return {};
    }

    std::string m_dir;
    std::string m_db;
    pid_t m_servePid = -1;
};

TEST_F(ServiceProcessTest, AdminCommandsCreateAndListMembersAndTasks)
{
    EXPECT_EQ(run({"adduser", "alice", "pw alice"}).exitCode, 0);
    EXPECT_EQ(run({"adduser", "bob", "pw bob", "--lifetime"}).exitCode, 0);
    EXPECT_EQ(run({"adduser", "carol", "pw carol", "--expires", "2030-06-30"}).exitCode, 0);
    const Outcome duplicate = run({"adduser", "alice", "again"});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_NE(duplicate.err.find("exists"), std::string::npos) << duplicate.err;
    EXPECT_EQ(run({"adduser", "dave", "pw", "--expires", "2030-02-30"}).exitCode, 2);
    EXPECT_EQ(run({"adduser", "dave"}).exitCode, 2);
    EXPECT_EQ(run({"addtask", "bob", "关键词", "http://shop/1", "g1", "20"}).exitCode, 0);
    EXPECT_EQ(run({"addtask", "bob", "k", "http://shop/1", "g1", "501"}).exitCode, 2);
    EXPECT_EQ(run({"addtask", "nobody", "k", "u", "g", "5"}).exitCode, 1);
    EXPECT_EQ(run({"frobnicate"}).exitCode, 2);

    const Outcome users = run({"listusers"});
    EXPECT_EQ(users.exitCode, 0);
    EXPECT_NE(users.out.find("alice\tordinary"), std::string::npos) << users.out;
    EXPECT_NE(users.out.find("bob\tlifetime"), std::string::npos) << users.out;
    EXPECT_NE(users.out.find("carol\tordinary\t2030-06-30"), std::string::npos) << users.out;
    EXPECT_EQ(users.out.find("dave"), std::string::npos);
    EXPECT_EQ(users.out.find("pbkdf2"), std::string::npos) << "no hashes in listings";
    const Outcome tasks = run({"listtasks"});
    EXPECT_NE(tasks.out.find("0/20"), std::string::npos) << tasks.out;
    EXPECT_NE(tasks.out.find("关键词"), std::string::npos) << tasks.out;
}

TEST_F(ServiceProcessTest, PasswordsAreStoredAsSaltedPbkdf2Hashes)
{
    ASSERT_EQ(run({"adduser", "alice", "Clear-Text-Pw"}).exitCode, 0);
    ASSERT_EQ(run({"adduser", "bob", "Clear-Text-Pw"}).exitCode, 0);
    const std::string raw = readFile(m_db);
    EXPECT_EQ(raw.find("Clear-Text-Pw"), std::string::npos);

    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.c_str(), &db), SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT pass_hash FROM members ORDER BY id", -1, &stmt, nullptr), SQLITE_OK);
    std::vector<std::string> hashes;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        hashes.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    ASSERT_EQ(hashes.size(), 2u);
    for (const std::string &hash : hashes) {
        EXPECT_EQ(hash.rfind("pbkdf2-sha256$100000$", 0), 0u) << hash;
        EXPECT_EQ(hash.find("Clear-Text-Pw"), std::string::npos);
    }
    EXPECT_NE(hashes[0], hashes[1]) << "each hash has its own salt";
}

TEST_F(ServiceProcessTest, ServeAnswersOnTheReportedPortAndStopsOnSigterm)
{
    ASSERT_EQ(run({"adduser", "alice", "pw alice"}).exitCode, 0);
    ASSERT_EQ(run({"adduser", "bob", "pw bob"}).exitCode, 0);
    ASSERT_EQ(run({"addtask", "bob", "k", "http://shop/1", "g1", "5"}).exitCode, 0);
    const std::string base = serve();
    ASSERT_FALSE(base.empty());
    const std::string api = base + "/userapi.php";

    const ApiResult login = callAction(api, "alice", "pw alice", "login");
    EXPECT_EQ(login.retcode(), 1);
    EXPECT_EQ(callAction(api, "alice", "nope", "login").retcode(), 0);
    EXPECT_EQ(callAction(api, "bob", "pw bob", "heartbeat").retcode(), 1);
    const ApiResult pool = callAction(api, "alice", "pw alice", "gettasklist");
    ASSERT_EQ(pool.retcode(), 1);
    EXPECT_EQ(pool["retmsg"].Size(), 1u);
    EXPECT_EQ(httpGet(base + "/ads/ad.htm").status, 200);

    ASSERT_EQ(kill(m_servePid, SIGTERM), 0);
    const Outcome stopped = finish(m_servePid);
    m_servePid = -1;
    EXPECT_EQ(stopped.exitCode, 0) << stopped.err;
    EXPECT_NE(stopped.err.find("action=\"login\" user=\"alice\" retcode=1"), std::string::npos) << stopped.err;
    EXPECT_EQ(stopped.err.find("pw alice"), std::string::npos);

    // The last-seen times were written on the way out.
    const Outcome users = run({"listusers"});
    EXPECT_EQ(users.out.find("never"), std::string::npos) << users.out;
}

TEST_F(ServiceProcessTest, ServeRefusesABadListenAddress)
{
    const Outcome bad = run({"serve", "--listen", "localhost:80"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--listen"), std::string::npos) << bad.err;
}

} // namespace
