// Stand-in for the worker "web.exe": takes its task from "task.json" in the current folder, waits
// a while as if it visited the item, and leaves "result.json" there with the task id and status 1.
// It never opens a network connection. ZARNIK_WORKER_DELAY_MS sets the wait (default 3000 ms).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

namespace {

constexpr long kDefaultDelayMs = 3000;

std::string asciiLower(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string trim(const std::string &text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

void appendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string utf16ToUtf8(const std::string &bytes, bool bigEndian)
{
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        uint32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const auto c = static_cast<unsigned char>(bytes[i + 2]);
            const auto d = static_cast<unsigned char>(bytes[i + 3]);
            const uint32_t low = bigEndian ? (c << 8 | d) : (d << 8 | c);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, unit);
    }
    return out;
}

// The keys this program needs are ASCII, so every encoding the client may write is read as bytes
// once a UTF-16 file has been turned into UTF-8 and a UTF-8 byte-order mark dropped.
std::string decodeText(const std::string &bytes)
{
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        return bytes.substr(3);
    if (bytes.rfind("\xFF\xFE", 0) == 0)
        return utf16ToUtf8(bytes.substr(2), false);
    if (bytes.rfind("\xFE\xFF", 0) == 0)
        return utf16ToUtf8(bytes.substr(2), true);
    return bytes;
}

std::optional<std::string> readIniValue(const std::string &text, const std::string &section, const std::string &key)
{
    bool inSection = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            inSection = asciiLower(trim(line.substr(1, line.size() - 2))) == asciiLower(section);
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos && asciiLower(trim(line.substr(0, equals))) == asciiLower(key))
            return trim(line.substr(equals + 1));
    }
    return std::nullopt;
}

long long readInteger(const std::optional<std::string> &value)
{
    if (!value || value->empty())
        return 0;
    const std::string &text = *value;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *begin = text.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    const long long number = std::strtoll(begin, &end, hex ? 16 : 10);
    return (end != nullptr && *end == '\0' && end != begin) ? number : 0;
}

long delayMs()
{
    const char *text = std::getenv("ZARNIK_WORKER_DELAY_MS");
    if (text == nullptr || *text == '\0')
        return kDefaultDelayMs;
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (*end == '\0' && value >= 0) ? value : kDefaultDelayMs;
}

} // namespace

int main()
{
    std::ifstream in("task.json", std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "web.exe: no task.json in the current folder\n");
        return 1;
    }
    const std::string text = decodeText(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    in.close();
    const long long taskId = readInteger(readIniValue(text, "taskinfo", "taskid"));
    const std::string keyword = readIniValue(text, "taskinfo", "keyword").value_or("");

    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs()));

    // Written beside and then renamed, so a reader never sees half a file.
    {
        std::ofstream out("result.json.part", std::ios::binary | std::ios::trunc);
        out << "[taskinfo]\r\ntaskid=" << taskId << "\r\nstatus=1\r\n\r\n";
        if (!out.flush()) {
            std::fprintf(stderr, "web.exe: cannot write result.json\n");
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename("result.json.part", "result.json", error);
    if (error) {
        std::fprintf(stderr, "web.exe: cannot write result.json: %s\n", error.message().c_str());
        return 1;
    }
    std::printf("web.exe: task %lld done (keyword %zu bytes)\n", taskId, keyword.size());
    return 0;
}
