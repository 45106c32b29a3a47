#include "FormBody.h"

namespace zarnik::service {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> decodeComponent(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

void FormFields::add(std::string name, std::string value)
{
    m_fields.emplace_back(std::move(name), std::move(value));
}

const std::string *FormFields::find(std::string_view name) const
{
    for (const auto &[fieldName, value] : m_fields) {
        if (fieldName == name)
            return &value;
    }
    return nullptr;
}

std::optional<FormFields> decodeFormBody(std::string_view body)
{
    FormFields fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view part = body.substr(start, end - start);
        if (!part.empty()) {
            const std::size_t eq = part.find('=');
            auto name = decodeComponent(part.substr(0, eq));
            auto value = eq == std::string_view::npos ? std::optional<std::string>(std::string())
                                                      : decodeComponent(part.substr(eq + 1));
            if (!name || !value)
                return std::nullopt;
            fields.add(std::move(*name), std::move(*value));
        }
        start = end + 1;
    }
    return fields;
}

std::string encodeFormComponent(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
            || c == '.' || c == '_') {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

} // namespace zarnik::service
