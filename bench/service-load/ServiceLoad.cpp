// Load program for zarnik-service: simulated members that sign in once, then send "heartbeat" and
// "gettasklist" once a second, all of them at the top of each second, as clocks make real clients
// do. Reports the count, the errors and the latency measured from the start of each burst.

#include "Base64.h"
#include "FormBody.h"

#include <curl/curl.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Options {
    std::string url;
    int members = 200;
    std::string prefix = "load";
    std::string password = "load-pass";
    int seconds = 20;
    int expectPool = -1;
    long timeoutMs = 10000;
    int threads = 2;
};

struct Transfer {
    std::string action;
    std::string body;
    std::string reply;
    char error[CURL_ERROR_SIZE] = "";
    CURLcode code = CURLE_OK;
    long status = 0;
};

struct Outcome {
    std::vector<double> latenciesMs;
    int errors = 0;
    std::string firstError;
};

size_t appendReply(char *data, size_t size, size_t count, void *target)
{
    static_cast<Transfer *>(target)->reply.append(data, size * count);
    return size * count;
}

std::string memberName(const Options &o, int i)
{
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%03d", i);
    return o.prefix + suffix;
}

std::string requestBody(const Options &o, int member, const std::string &action)
{
    return "userid=0&username=" + zarnik::service::encodeFormComponent(memberName(o, member)) + "&userpass="
        + zarnik::service::encodeFormComponent(zarnik::service::encodeBase64(o.password)) + "&action=" + action;
}

// Empty when the reply is a success; else what was wrong.
std::string checkReply(const Options &o, const Transfer &t)
{
    if (t.code != CURLE_OK)
        return t.action + ": " + (t.error[0] ? t.error : curl_easy_strerror(t.code));
    if (t.status != 200)
        return t.action + ": HTTP " + std::to_string(t.status);
    const std::string json = zarnik::service::decodeBase64(t.reply);
    rapidjson::Document doc;
    doc.Parse(json.data(), json.size());
    if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("retcode") || !doc["retcode"].IsInt())
        return t.action + ": unreadable reply";
    if (doc["retcode"].GetInt() != 1)
        return t.action + ": retcode " + std::to_string(doc["retcode"].GetInt());
    if (t.action == "gettasklist") {
        if (!doc.HasMember("retmsg") || !doc["retmsg"].IsArray())
            return t.action + ": retmsg is not an array";
        if (o.expectPool >= 0 && doc["retmsg"].Size() != static_cast<rapidjson::SizeType>(o.expectPool))
            return t.action + ": pool of " + std::to_string(doc["retmsg"].Size());
    }
    return {};
}

// Easy handles made ready ahead of time, so a burst costs only adding them.
std::vector<CURL *> prepare(const Options &o, std::vector<std::unique_ptr<Transfer>> &transfers)
{
    std::vector<CURL *> handles;
    for (auto &t : transfers) {
        CURL *easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, o.url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, t->body.c_str());
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, o.timeoutMs);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &appendReply);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t->error);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, t.get());
        handles.push_back(easy);
    }
    return handles;
}

// Starts every prepared request at once and waits for every answer. Latency counts from origin.
// Replies are checked after the last one has come, so checking delays no measurement.
Outcome runBatch(const Options &o, CURLM *multi, const std::vector<CURL *> &handles, SteadyClock::time_point origin)
{
    Outcome outcome;
    for (CURL *easy : handles)
        curl_multi_add_handle(multi, easy);
    std::vector<Transfer *> finished;
    int running = 1;
    while (running > 0) {
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            outcome.latenciesMs.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - origin).count());
            Transfer *t = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &t);
            t->code = message->data.result;
            curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &t->status);
            finished.push_back(t);
            curl_multi_remove_handle(multi, message->easy_handle);
            curl_easy_cleanup(message->easy_handle);
        }
        if (running > 0)
            curl_multi_poll(multi, nullptr, 0, 100, nullptr);
    }
    for (const Transfer *t : finished) {
        const std::string problem = checkReply(o, *t);
        if (!problem.empty() && outcome.errors++ == 0)
            outcome.firstError = problem;
    }
    return outcome;
}

double percentile(std::vector<double> sorted, double p)
{
    if (sorted.empty())
        return 0;
    const std::size_t index = std::min(sorted.size() - 1, static_cast<std::size_t>(p * double(sorted.size() - 1) + 0.5));
    return sorted[index];
}

int usage()
{
    std::fprintf(stderr,
                 "Usage: zarnik-service-load --url URL [--members N] [--prefix P] [--password PASS]\n"
                 "                           [--seconds S] [--threads T] [--expect-pool N]\n"
                 "Members are named P000, P001, ...; all share PASS. URL is the /userapi.php address.\n"
                 "T threads share the members and send their parts of each burst at the same moment.\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--url" && hasValue)
            o.url = argv[++i];
        else if (arg == "--members" && hasValue)
            o.members = std::atoi(argv[++i]);
        else if (arg == "--prefix" && hasValue)
            o.prefix = argv[++i];
        else if (arg == "--password" && hasValue)
            o.password = argv[++i];
        else if (arg == "--seconds" && hasValue)
            o.seconds = std::atoi(argv[++i]);
        else if (arg == "--threads" && hasValue)
            o.threads = std::atoi(argv[++i]);
        else if (arg == "--expect-pool" && hasValue)
            o.expectPool = std::atoi(argv[++i]);
        else
            return usage();
    }
    if (o.url.rfind("http://127.", 0) != 0 && o.url.rfind("http://localhost", 0) != 0) {
        std::fprintf(stderr, "zarnik-service-load: loopback addresses only\n");
        return 2;
    }
    if (o.members < 1 || o.members > 1000 || o.seconds < 1 || o.seconds > 300 || o.threads < 1 || o.threads > 16)
        return usage();
    curl_global_init(CURL_GLOBAL_DEFAULT);

    // Sign in once, a few at a time: each first check of a password is a deliberately slow hash.
    CURLM *multi = curl_multi_init();
    int loginErrors = 0;
    std::string firstLoginError;
    for (int first = 0; first < o.members; first += 8) {
        std::vector<std::unique_ptr<Transfer>> logins;
        for (int m = first; m < std::min(first + 8, o.members); ++m)
            logins.push_back(std::make_unique<Transfer>(Transfer{"login", requestBody(o, m, "login"), {}, "", CURLE_OK, 0}));
        const Outcome signedIn = runBatch(o, multi, prepare(o, logins), SteadyClock::now());
        if (signedIn.errors > 0 && loginErrors == 0)
            firstLoginError = signedIn.firstError;
        loginErrors += signedIn.errors;
    }
    curl_multi_cleanup(multi);
    if (loginErrors > 0) {
        std::fprintf(stderr, "zarnik-service-load: %d of %d logins failed, first: %s\n", loginErrors, o.members,
                     firstLoginError.c_str());
        return 1;
    }
    std::printf("signed in %d members\n", o.members);

    Outcome total;
    std::vector<double> burstMax;
    std::mutex totalMutex;
    std::vector<CURLM *> multis(static_cast<std::size_t>(o.threads));
    for (CURLM *&m : multis)
        m = curl_multi_init();
    for (int second = 0; second < o.seconds; ++second) {
        const auto target = std::chrono::ceil<std::chrono::seconds>(std::chrono::system_clock::now()
                                                                     + std::chrono::milliseconds(200));
        double slowest = 0;
        std::vector<std::thread> workers;
        for (int w = 0; w < o.threads; ++w) {
            workers.emplace_back([&, w] {
                std::vector<std::unique_ptr<Transfer>> burst;
                for (int m = w; m < o.members; m += o.threads) {
                    for (const char *action : {"heartbeat", "gettasklist"})
                        burst.push_back(std::make_unique<Transfer>(Transfer{action, requestBody(o, m, action), {}, "", CURLE_OK, 0}));
                }
                const std::vector<CURL *> handles = prepare(o, burst);
                // The burst's start on the steady clock; a late wake-up counts against the latency.
                const auto origin = SteadyClock::now() + (target - std::chrono::system_clock::now());
                std::this_thread::sleep_until(target);
                Outcome outcome = runBatch(o, multis[static_cast<std::size_t>(w)], handles, origin);
                std::lock_guard lock(totalMutex);
                for (const double latency : outcome.latenciesMs)
                    slowest = std::max(slowest, latency);
                total.latenciesMs.insert(total.latenciesMs.end(), outcome.latenciesMs.begin(),
                                         outcome.latenciesMs.end());
                if (outcome.errors > 0 && total.errors == 0)
                    total.firstError = outcome.firstError;
                total.errors += outcome.errors;
            });
        }
        for (auto &worker : workers)
            worker.join();
        burstMax.push_back(slowest);
    }
    for (CURLM *m : multis)
        curl_multi_cleanup(m);
    curl_global_cleanup();

    std::sort(total.latenciesMs.begin(), total.latenciesMs.end());
    std::printf("bursts %d of %d requests (%d members x heartbeat + gettasklist)\n", o.seconds, 2 * o.members,
                o.members);
    std::printf("requests %zu, errors %d%s%s\n", total.latenciesMs.size(), total.errors,
                total.errors ? ", first: " : "", total.firstError.c_str());
    std::printf("latency from burst start: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                percentile(total.latenciesMs, 0.50), percentile(total.latenciesMs, 0.99),
                total.latenciesMs.empty() ? 0.0 : total.latenciesMs.back());
    std::printf("slowest burst ended %.1f ms after its start\n", *std::max_element(burstMax.begin(), burstMax.end()));
    return total.errors == 0 ? 0 : 1;
}
