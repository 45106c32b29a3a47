#include "ArgumentSplit.h"

namespace zarnik::platform {

std::vector<std::string> splitArguments(const std::string &arguments)
{
    std::vector<std::string> result;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < arguments.size()) {
        const char c = arguments[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < arguments.size() && arguments[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < arguments.size() && arguments[i] == '"') {
                current.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    current.push_back('"');
                    ++i;
                }
            } else {
                current.append(slashes, '\\');
            }
            inArgument = true;
            continue;
        }
        if (c == '"') {
            // Two quotes in a row inside a quoted part stand for one literal quote.
            if (quoted && i + 1 < arguments.size() && arguments[i + 1] == '"') {
                current.push_back('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            inArgument = true;
            ++i;
            continue;
        }
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                result.push_back(current);
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        current.push_back(c);
        inArgument = true;
        ++i;
    }
    if (inArgument)
        result.push_back(current);
    return result;
}

} // namespace zarnik::platform
