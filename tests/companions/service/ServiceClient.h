#pragma once

#include <rapidjson/document.h>

#include <string>
#include <utility>
#include <vector>

namespace zarnik::service::test {

using Fields = std::vector<std::pair<std::string, std::string>>;

struct HttpResult {
    long status = 0; // 0 = the exchange failed
    std::string body;
    std::string contentType;
    std::string error;
};

// One HTTP/1.0 exchange on a fresh connection, as the client makes them.
HttpResult httpPost(const std::string &url, const std::string &body);
HttpResult httpGet(const std::string &url);

// Form encoding as the client does it: unreserved bytes stay, others become %HH.
std::string formBody(const Fields &fields);

// The client's "userpass": base64 with CR LF after every 76 characters, also at the end.
std::string clientPassword(const std::string &password);

struct ApiResult {
    long status = 0;
    bool parsed = false;
    rapidjson::Document json;

    int retcode() const;
    const rapidjson::Value &operator[](const char *key) const { return json[key]; }
};

ApiResult parseReply(const HttpResult &http);

// Sends action with the common fields in front, as the client's request channel does.
ApiResult callAction(const std::string &url, const std::string &name, const std::string &password,
                     const std::string &action, const Fields &extra = {});

} // namespace zarnik::service::test
