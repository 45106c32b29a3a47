#include "JsonValue.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <QRegularExpression>

#include <limits>

const JsonValue *JsonValue::member(QStringView name) const
{
    for (const auto &[key, value] : members) {
        if (key == name)
            return &value;
    }
    return nullptr;
}

namespace {

// Replies nest two or three levels; a hostile depth would only exhaust the stack when the tree
// is destroyed recursively.
constexpr std::size_t kMaxDepth = 256;

// Builds the value tree from RapidJSON's SAX events; numbers arrive as their raw text.
class TreeBuilder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, TreeBuilder> {
public:
    JsonValue root;

    bool Null() { return add(JsonValue{}); }
    bool Bool(bool b)
    {
        JsonValue v;
        v.kind = JsonValue::Kind::Bool;
        v.text = b ? QStringLiteral("true") : QStringLiteral("false");
        return add(std::move(v));
    }
    bool RawNumber(const char *str, rapidjson::SizeType length, bool)
    {
        JsonValue v;
        v.kind = JsonValue::Kind::Number;
        v.text = QString::fromLatin1(str, length);
        return add(std::move(v));
    }
    bool String(const char *str, rapidjson::SizeType length, bool)
    {
        JsonValue v;
        v.kind = JsonValue::Kind::String;
        v.text = QString::fromUtf8(str, length);
        return add(std::move(v));
    }
    bool Key(const char *str, rapidjson::SizeType length, bool)
    {
        m_pendingKey = QString::fromUtf8(str, length);
        return true;
    }
    bool StartObject() { return open(JsonValue::Kind::Object); }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(JsonValue::Kind::Array); }
    bool EndArray(rapidjson::SizeType) { return close(); }

private:
    // Containers under construction, outermost first, each with the key it will be stored under.
    std::vector<std::pair<QString, JsonValue>> m_open;
    QString m_pendingKey;
    bool m_done = false;

    bool open(JsonValue::Kind kind)
    {
        if (m_open.size() >= kMaxDepth)
            return false;
        JsonValue v;
        v.kind = kind;
        v.text.clear();
        m_open.emplace_back(std::exchange(m_pendingKey, QString()), std::move(v));
        return true;
    }

    bool close()
    {
        auto [key, value] = std::move(m_open.back());
        m_open.pop_back();
        m_pendingKey = std::move(key);
        return add(std::move(value));
    }

    bool add(JsonValue &&v)
    {
        if (m_open.empty()) {
            root = std::move(v);
            m_done = true;
            return true;
        }
        JsonValue &parent = m_open.back().second;
        if (parent.kind == JsonValue::Kind::Array)
            parent.items.push_back(std::move(v));
        else
            parent.members.emplace_back(std::exchange(m_pendingKey, QString()), std::move(v));
        return true;
    }
};

const JsonValue &requireMember(const JsonValue &object, QStringView name)
{
    if (!object.isObject())
        throw ReplyError("not a JSON object");
    const JsonValue *value = object.member(name);
    if (!value)
        throw ReplyError("missing key " + name.toString().toStdString());
    return *value;
}

} // namespace

JsonValue ParseJson(const QByteArray &utf8)
{
    constexpr unsigned flags = rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseIterativeFlag
        | rapidjson::kParseValidateEncodingFlag;
    TreeBuilder builder;
    rapidjson::Reader reader;
    rapidjson::MemoryStream memory(utf8.constData(), size_t(utf8.size()));
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> input(memory);
    const rapidjson::ParseResult result = reader.Parse<flags>(input, builder);
    if (result.IsError())
        throw ReplyError(std::string("not JSON: ") + rapidjson::GetParseError_En(result.Code()));
    return std::move(builder.root);
}

int RequireInt(const JsonValue &object, QStringView name)
{
    const JsonValue &value = requireMember(object, name);
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    if (!value.isNumber() || !integer.match(value.text).hasMatch())
        throw ReplyError("not an integer: " + name.toString().toStdString());
    bool ok = false;
    const qlonglong number = value.text.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        throw ReplyError("integer out of range: " + name.toString().toStdString());
    return int(number);
}

QString RequireScalarText(const JsonValue &object, QStringView name)
{
    const JsonValue &value = requireMember(object, name);
    if (value.isArray() || value.isObject())
        throw ReplyError("not a scalar: " + name.toString().toStdString());
    return value.text;
}

QString RequireStringOrNumber(const JsonValue &object, QStringView name)
{
    const JsonValue &value = requireMember(object, name);
    if (!value.isString() && !value.isNumber())
        throw ReplyError("not a string: " + name.toString().toStdString());
    return value.text;
}
