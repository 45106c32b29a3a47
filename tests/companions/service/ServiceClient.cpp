#include "ServiceClient.h"

#include "Base64.h"
#include "FormBody.h"

#include <curl/curl.h>

#include <memory>

namespace zarnik::service::test {

namespace {

const bool kCurlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;

size_t appendBody(char *data, size_t size, size_t count, void *target)
{
    static_cast<std::string *>(target)->append(data, size * count);
    return size * count;
}

HttpResult perform(const std::string &url, const std::string *postBody)
{
    HttpResult result;
    if (!kCurlReady) {
        result.error = "libcurl did not initialise";
        return result;
    }
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &result.body);
    if (postBody) {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
    }
    if (curl_easy_perform(curl.get()) != CURLE_OK) {
        result.error = error;
        return result;
    }
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    const char *type = nullptr;
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type);
    result.contentType = type ? type : "";
    return result;
}

} // namespace

HttpResult httpPost(const std::string &url, const std::string &body)
{
    return perform(url, &body);
}

HttpResult httpGet(const std::string &url)
{
    return perform(url, nullptr);
}

std::string formBody(const Fields &fields)
{
    std::string body;
    for (const auto &[name, value] : fields) {
        if (!body.empty())
            body += '&';
        body += zarnik::service::encodeFormComponent(name) + '=' + zarnik::service::encodeFormComponent(value);
    }
    return body;
}

std::string clientPassword(const std::string &password)
{
    const std::string encoded = encodeBase64(password);
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); i += 76)
        out += encoded.substr(i, 76) + (i + 76 >= encoded.size() && encoded.size() % 76 != 0 ? "" : "\r\n");
    return out;
}

int ApiResult::retcode() const
{
    if (!parsed || !json.HasMember("retcode") || !json["retcode"].IsInt())
        return -1;
    return json["retcode"].GetInt();
}

ApiResult parseReply(const HttpResult &http)
{
    ApiResult result;
    result.status = http.status;
    if (http.status != 200)
        return result;
    const std::string text = decodeBase64(http.body);
    result.json.Parse(text.data(), text.size());
    result.parsed = !result.json.HasParseError() && result.json.IsObject();
    return result;
}

ApiResult callAction(const std::string &url, const std::string &name, const std::string &password,
                     const std::string &action, const Fields &extra)
{
    Fields fields{{"userid", "0"}, {"username", name}, {"userpass", clientPassword(password)}, {"action", action}};
    fields.insert(fields.end(), extra.begin(), extra.end());
    return parseReply(httpPost(url, formBody(fields)));
}

} // namespace zarnik::service::test
