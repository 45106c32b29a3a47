#include "CurlExchange.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

constexpr const char *kUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/40.0.2214.111 "
    "Safari/537.36";
constexpr const char *kContentTypeHeader = "Content-Type: application/x-www-form-urlencoded";
constexpr const char *kAcceptHeader =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";

struct Received {
    QByteArray body;
    QByteArray statusLine;
};

size_t onBody(char *data, size_t size, size_t count, void *userData)
{
    const size_t bytes = size * count;
    try {
        static_cast<Received *>(userData)->body.append(data, static_cast<qsizetype>(bytes));
    } catch (...) {
        return 0; // libcurl ends the exchange with a write error
    }
    return bytes;
}

size_t onHeader(char *data, size_t size, size_t count, void *userData)
{
    const size_t bytes = size * count;
    const QByteArray line(data, static_cast<qsizetype>(bytes));
    if (line.startsWith("HTTP/")) {
        QByteArray status = line;
        while (status.endsWith('\n') || status.endsWith('\r'))
            status.chop(1);
        static_cast<Received *>(userData)->statusLine = status;
    }
    return bytes;
}

struct CurlDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

} // namespace

void EnsureCurlGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

namespace {

// Done before main on the main thread, so the TLS library's clean-up at exit, which runs there too,
// is ordered after its set-up even when the first exchange starts on another thread.
const bool curlReadyBeforeMain = (EnsureCurlGlobalInit(), true);

} // namespace

FormPostResult PostFormOverCurl(const FormPost &post)
{
    FormPostResult result;
    try {
        EnsureCurlGlobalInit();
        std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
        if (!curl) {
            result.errorText = QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT));
            return result;
        }
        std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, kContentTypeHeader));
        if (headers && curl_slist_append(headers.get(), kAcceptHeader) == nullptr)
            headers.reset();
        if (!headers) {
            result.errorText = QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY));
            return result;
        }

        char errorBuffer[CURL_ERROR_SIZE] = {};
        Received received;
        CURL *handle = curl.get();
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(handle, CURLOPT_URL, post.url.c_str());
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post.body.size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, post.body.constData());
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
        // An empty proxy also keeps the environment's proxy variables out of the exchange.
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(post.connectTimeout.count()));
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(post.exchangeTimeout.count()));
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &onBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &onHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &received);

        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) {
            result.errorText = QString::fromUtf8(errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code));
            return result;
        }
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200 || status > 299) {
            result.errorText = received.statusLine.isEmpty() ? QStringLiteral("HTTP status %1").arg(status)
                                                             : QString::fromLatin1(received.statusLine);
            return result;
        }
        result.bSuccess = true;
        result.body = std::move(received.body);
    } catch (const std::exception &error) {
        result = FormPostResult{};
        result.errorText = QString::fromLocal8Bit(error.what());
    }
    return result;
}
