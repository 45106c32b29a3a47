#pragma once

#include <QStringView>

// Equal when only the case of ASCII letters differs; every other character must match exactly.
bool SameTextAscii(QStringView a, QStringView b);
