#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarnik::service {

// The fields of an application/x-www-form-urlencoded body, in the order received.
class FormFields {
public:
    void add(std::string name, std::string value);

    // The first occurrence counts when a name is repeated.
    const std::string *find(std::string_view name) const;
    std::size_t size() const { return m_fields.size(); }

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// "+" is a space and "%HH" a byte; a field without "=" has an empty value. A "%" that is not
// followed by two hexadecimal digits makes the whole body malformed (nullopt).
std::optional<FormFields> decodeFormBody(std::string_view body);

// One name or value as the client encodes it: A-Z, a-z, 0-9 and "*-._" stay, a space becomes "+",
// every other byte "%HH". For the programs that talk to the service (tests, load benchmark).
std::string encodeFormComponent(std::string_view text);

} // namespace zarnik::service
