#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The shell's built-in pictures (drawn by assets/make-pictures.sh, embedded in the program).
enum class AppPictureId {
    Banner,
    Logo,
    Recharge,
    ToolbarIcon,
    AddTaskButton,
    StartTaskButton,
    MemberCentreButton,
    RechargeButton,
    Support,
    PaymentQr,
};

void InitAppPictures();
QPixmap AppPicture(AppPictureId id);
QIcon AppIcon();
// Resource path of the built-in animated ad picture.
QString BuiltInAdGifPath();
