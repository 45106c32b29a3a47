#pragma once

#include "JsonValue.h"

#include <QByteArray>

// A reply body read the common way: trimmed base64 -> UTF-8 JSON -> object -> integer "retcode".
struct Reply {
    JsonValue object; // the whole reply object; the caller reads "retmsg" and its own keys
    int retcode = 0;
    bool succeeded() const { return retcode == 1; }
};

// Throws ReplyError when the body is not base64 of a JSON object with an integer "retcode".
Reply ReadReply(const QByteArray &body);
