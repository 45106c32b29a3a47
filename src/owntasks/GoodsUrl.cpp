#include "GoodsUrl.h"

std::optional<QUrl> GoodsUrlToOpen(const QString &text)
{
    const QUrl url(text);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    return url;
}
