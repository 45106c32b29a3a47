#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The item address as it may be handed to the shell: only an absolute http or https address.
// The text comes from the service, and anything else (a file, a program, another scheme) could
// make the client start something, so it is not opened at all.
std::optional<QUrl> GoodsUrlToOpen(const QString &text);
