#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <utility>
#include <vector>

// A JSON value as the service wrote it: numbers keep their text and kind, objects keep every
// member in order (duplicates included), so "first occurrence wins" and "integers only" can be
// decided by the reader of each reply.
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    // String: its content; Number: its text as written; Bool: "true"/"false"; Null: "null".
    QString text = QStringLiteral("null");
    std::vector<JsonValue> items;                       // Array
    std::vector<std::pair<QString, JsonValue>> members; // Object, in document order

    bool isNull() const { return kind == Kind::Null; }
    bool isString() const { return kind == Kind::String; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isArray() const { return kind == Kind::Array; }
    bool isObject() const { return kind == Kind::Object; }

    // The first member with exactly this name, or nullptr.
    const JsonValue *member(QStringView name) const;
};

// A reply that cannot be read. Ends the calling operation silently; never crosses Qt's event loop.
class ReplyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses UTF-8 JSON text into a JsonValue; throws ReplyError when it is not JSON.
JsonValue ParseJson(const QByteArray &utf8);

// Field readers shared by every reply; each throws ReplyError on a missing key or a wrong type.
// An integer: a JSON number whose text is a decimal integer in the 32-bit signed range.
int RequireInt(const JsonValue &object, QStringView name);
// Text of any scalar: a string's content, a number's text, "true"/"false", "null".
QString RequireScalarText(const JsonValue &object, QStringView name);
// A JSON string, or a number taken as its text.
QString RequireStringOrNumber(const JsonValue &object, QStringView name);
