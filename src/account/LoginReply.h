#pragma once

class JsonValue;
class TUserInfo;

// Fills the member record from a successful "login" reply, key by key in the reply's order.
// Throws ReplyError at the first missing or mistyped key; what was read before it stays filled.
void ReadLoginReply(const JsonValue &reply, TUserInfo &userInfo);
