#pragma once

#include <optional>
#include <string_view>

namespace zarnik::service {

struct WebPage {
    std::string_view contentType;
    std::string_view content; // static storage
};

// The pages the client opens; postQuery is the value of the "post" query argument, if any.
std::optional<WebPage> findWebPage(std::string_view path, std::string_view postQuery);

} // namespace zarnik::service
