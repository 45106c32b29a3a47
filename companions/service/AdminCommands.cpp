#include "AdminCommands.h"

#include "HttpServer.h"
#include "LogQueue.h"
#include "PasswordHash.h"
#include "Store.h"
#include "TextRules.h"
#include "UserApi.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <pthread.h>

namespace zarnik::service {

namespace {

constexpr const char *kUsage =
    "Usage: zarnik-service --db FILE COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  adduser NAME PASS [--lifetime] [--expires YYYY-MM-DD]\n"
    "      create a member; without --expires an ordinary membership runs one year\n"
    "  addtask NAME KEYWORD GOODSURL GOODSID VISITS\n"
    "      add a task (1-500 visits) owned by the member NAME\n"
    "  listusers\n"
    "  listtasks\n"
    "  serve [--listen ADDR:PORT] [--threads N]\n"
    "      answer the client at ADDR:PORT (default 127.0.0.1:80; port 0 = any free port).\n"
    "      Once ready it prints \"listening on ADDR:PORT\" with the real port on stdout.\n"
    "      One line per request goes to stderr. SIGINT or SIGTERM stops it.\n";

int usage(std::ostream &err, const std::string &problem)
{
    if (!problem.empty())
        err << "zarnik-service: " << problem << "\n\n";
    err << kUsage;
    return 2;
}

std::optional<std::string> cleanText(const std::string &text)
{
    const std::string_view trimmed = trimText(text);
    if (trimmed.empty() || !isValidUtf8(trimmed))
        return std::nullopt;
    return std::string(trimmed);
}

int addUser(Store &store, const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    if (args.size() < 2)
        return usage(err, "adduser needs NAME and PASS");
    const auto name = cleanText(args[0]);
    const auto pass = cleanText(args[1]);
    if (!name || !pass)
        return usage(err, "NAME and PASS must be non-blank UTF-8 text");
    MemberRecord member;
    member.name = *name;
    member.expires = formatLocalDate(std::chrono::system_clock::now() + std::chrono::days(365));
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--lifetime") {
            member.lifetime = true;
        } else if (args[i] == "--expires" && i + 1 < args.size()) {
            if (!isValidDate(args[i + 1]))
                return usage(err, "--expires takes a date YYYY-MM-DD");
            member.expires = args[++i];
        } else {
            return usage(err, "unknown option for adduser: " + args[i]);
        }
    }
    member.passHash = hashPassword(*pass);
    const auto id = store.addMember(member);
    if (!id) {
        err << "zarnik-service: a member named \"" << *name << "\" exists already\n";
        return 1;
    }
    out << "member " << *id << " \"" << *name << "\" added\n";
    return 0;
}

int addTask(Store &store, const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 5)
        return usage(err, "addtask needs NAME KEYWORD GOODSURL GOODSID VISITS");
    const auto owner = store.findMemberByName(trimText(args[0]));
    if (!owner) {
        err << "zarnik-service: no member named \"" << args[0] << "\"\n";
        return 1;
    }
    const auto keyword = cleanText(args[1]);
    const auto goodsUrl = cleanText(args[2]);
    const auto goodsId = cleanText(args[3]);
    const auto visits = parseInt32(args[4]);
    if (!keyword || !goodsUrl || !goodsId)
        return usage(err, "KEYWORD, GOODSURL and GOODSID must be non-blank UTF-8 text");
    if (!visits || *visits < 1 || *visits > UserApi::kMaxVisits)
        return usage(err, "VISITS must be a number from 1 to 500");
    const std::int64_t id = store.addTask(NewTask{owner->id, *keyword, *goodsUrl, *goodsId, *visits,
                                                  formatLocalDateTime(std::chrono::system_clock::now())});
    out << "task " << id << " added\n";
    return 0;
}

std::string lastSeenText(std::int64_t seconds)
{
    if (seconds == 0)
        return "never";
    return formatLocalDateTime(TimePoint(std::chrono::seconds(seconds)));
}

int listUsers(Store &store, std::ostream &out)
{
    out << "id\tname\tlevel\texpires\tbalance\talipayusername\talipayaccount\tlastseen\n";
    for (const MemberRecord &m : store.members()) {
        out << m.id << '\t' << m.name << '\t' << (m.lifetime ? "lifetime" : "ordinary") << '\t'
            << (m.lifetime ? "-" : m.expires) << '\t' << m.balance << '\t' << m.alipayName.value_or("-") << '\t'
            << m.alipayAccount.value_or("-") << '\t' << lastSeenText(m.lastSeen) << '\n';
    }
    return 0;
}

int listTasks(Store &store, std::ostream &out)
{
    out << "id\towner\tstatus\tvisits\tadded\tkeyword\tgoodsid\tgoodsurl\n";
    for (const TaskRecord &t : store.tasks()) {
        out << t.id << '\t' << t.ownerId << '\t' << t.status << '\t' << t.doneClicks << '/' << t.totalClicks << '\t'
            << t.addTime << '\t' << t.keyword << '\t' << t.goodsId << '\t' << t.goodsUrl << '\n';
    }
    return 0;
}

int serve(Store &store, const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    ServerOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--listen" && i + 1 < args.size()) {
            if (!parseListenAddress(args[++i], options.address, options.port))
                return usage(err, "--listen takes a numeric IPv4 address and a port, ADDR:PORT");
        } else if (args[i] == "--threads" && i + 1 < args.size()) {
            const auto threads = parseInt32(args[++i]);
            if (!threads || *threads < 1 || *threads > 64)
                return usage(err, "--threads takes a number from 1 to 64");
            options.threads = static_cast<unsigned>(*threads);
        } else {
            return usage(err, "unknown option for serve: " + args[i]);
        }
    }

    // Blocked here, before any thread starts, so every thread inherits the mask and the signals
    // wait for sigtimedwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    UserApi api(store);
    {
        LogQueue log(stderr);
        options.log = [&log](std::string_view line) { log.push(line); };
        std::optional<HttpServer> server;
        try {
            server.emplace(api, options);
        } catch (const std::exception &error) {
            err << "zarnik-service: " << error.what() << '\n';
            return 1;
        }
        out << "listening on " << server->address() << ':' << server->port() << std::endl;
        const timespec flushInterval{60, 0};
        for (;;) {
            const int signal = sigtimedwait(&stopSignals, nullptr, &flushInterval);
            if (signal == SIGINT || signal == SIGTERM)
                break;
            try {
                api.flushLastSeen();
            } catch (const StoreError &error) {
                err << "zarnik-service: cannot save last-seen times: " << error.what() << '\n';
            }
        }
        // The server goes before the log it writes to.
        server.reset();
    }
    api.flushLastSeen();
    err << "zarnik-service: stopped\n";
    return 0;
}

} // namespace

int runAdminCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    std::string dbPath;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kUsage;
            return 0;
        }
        if (args[i] == "--db" && i + 1 < args.size()) {
            dbPath = args[++i];
            continue;
        }
        break;
    }
    if (dbPath.empty())
        return usage(err, "--db FILE is required");
    if (i >= args.size())
        return usage(err, "no command given");
    const std::string command = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (command != "adduser" && command != "addtask" && command != "listusers" && command != "listtasks"
        && command != "serve")
        return usage(err, "unknown command: " + command);
    try {
        Store store(dbPath);
        if (command == "adduser")
            return addUser(store, rest, out, err);
        if (command == "addtask")
            return addTask(store, rest, out, err);
        if (command == "listusers")
            return listUsers(store, out);
        if (command == "listtasks")
            return listTasks(store, out);
        return serve(store, rest, out, err);
    } catch (const std::exception &error) {
        err << "zarnik-service: " << error.what() << '\n';
        return 1;
    }
}

} // namespace zarnik::service
