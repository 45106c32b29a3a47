#include "AdDownload.h"

#include "CurlExchange.h"

#include <curl/curl.h>

#include <mutex>
#include <thread>

namespace {

constexpr char kUserAgent[] = "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                              "Chrome/40.0.2214.111 Safari/537.36";
constexpr long kConnectTimeoutMs = 10'000;
constexpr long kTransferTimeoutMs = 60'000;

size_t appendBody(char *data, size_t size, size_t count, void *body)
{
    static_cast<QByteArray *>(body)->append(data, qsizetype(size * count));
    return size * count;
}

} // namespace

struct AdDownload::Sink {
    std::mutex lock;
    AdDownload *owner = nullptr;
};

AdDownload::AdDownload(QObject *parent)
    : QObject(parent)
    , m_sink(std::make_shared<Sink>())
{
    m_sink->owner = this;
}

AdDownload::~AdDownload()
{
    std::lock_guard guard(m_sink->lock);
    m_sink->owner = nullptr;
}

void AdDownload::Start(const QUrl &url)
{
    EnsureCurlGlobalInit();
    std::thread([sink = m_sink, url] {
        QByteArray bytes = Fetch(url);
        if (bytes.isEmpty())
            return;
        std::lock_guard guard(sink->lock);
        if (AdDownload *owner = sink->owner) {
            QMetaObject::invokeMethod(
                owner, [owner, bytes] { Q_EMIT owner->PictureArrived(bytes); }, Qt::QueuedConnection);
        }
    }).detach();
}

QByteArray AdDownload::Fetch(const QUrl &url)
{
    CURL *curl = curl_easy_init();
    if (!curl)
        return {};
    QByteArray body;
    const QByteArray address = url.toEncoded();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, ""); // cookies allowed, kept in memory only
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || status < 200 || status > 299)
        return {};
    return body;
}
