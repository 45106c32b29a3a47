#pragma once

#include <QByteArray>

// Reads the reply of a command ("addtask", "deletetask"): true when its "retcode" is 1.
// Throws ReplyError when the reply cannot be read, and also when a "retmsg" is there but is
// neither a string nor a number.
bool bCommandSucceeded(const QByteArray &body);
