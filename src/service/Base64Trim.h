#pragma once

#include <QString>

// Trimmed text -> base64 of its UTF-8 bytes, standard alphabet with "=" fill, CR LF after every
// 76 output characters (also at the very end when the text fills the last line exactly).
QString EncodeBase64Trim(const QString &text);

// Trimmed base64 text -> its bytes read as UTF-8. Characters outside A-Z a-z 0-9 + / are skipped,
// "=" counts as fill (it ends a quantum), and bits that do not make a whole byte are dropped.
QString DecodeBase64Trim(const QString &text);
