#include "AppPictures.h"

static void initAppPicturesResource()
{
    Q_INIT_RESOURCE(app_pictures);
}

void InitAppPictures()
{
    static const bool initialised = [] {
        initAppPicturesResource();
        return true;
    }();
    Q_UNUSED(initialised);
}

QPixmap AppPicture(AppPictureId id)
{
    InitAppPictures();
    switch (id) {
    case AppPictureId::Banner:
        return QPixmap(QStringLiteral(":/app/banner.png"));
    case AppPictureId::Logo:
        return QPixmap(QStringLiteral(":/app/logo.png"));
    case AppPictureId::Recharge:
        return QPixmap(QStringLiteral(":/app/recharge.png"));
    case AppPictureId::ToolbarIcon:
        return QPixmap(QStringLiteral(":/app/toolbar-icon.png"));
    case AppPictureId::AddTaskButton:
        return QPixmap(QStringLiteral(":/app/button-add.png"));
    case AppPictureId::StartTaskButton:
        return QPixmap(QStringLiteral(":/app/button-start.png"));
    case AppPictureId::MemberCentreButton:
        return QPixmap(QStringLiteral(":/app/button-member.png"));
    case AppPictureId::RechargeButton:
        return QPixmap(QStringLiteral(":/app/button-recharge.png"));
    case AppPictureId::Support:
        return QPixmap(QStringLiteral(":/app/support.png"));
    case AppPictureId::PaymentQr:
        return QPixmap(QStringLiteral(":/app/payment-qr.png"));
    }
    return {};
}

QIcon AppIcon()
{
    InitAppPictures();
    QIcon icon;
    icon.addFile(QStringLiteral(":/app/icon-16.png"));
    icon.addFile(QStringLiteral(":/app/icon-32.png"));
    return icon;
}

QString BuiltInAdGifPath()
{
    InitAppPictures();
    return QStringLiteral(":/app/ad.gif");
}
