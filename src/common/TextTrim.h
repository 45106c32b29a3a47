#pragma once

#include <QString>

// Removes every leading and trailing character up to U+0020 (blanks and control characters).
QString TrimText(const QString &text);
