#include "UserInfo.h"

#include "ChannelSettings.h"

TUserInfo gUserInfo(&channelSettings().credentials);

TUserInfo::TUserInfo(ChannelCredentials *published)
    : m_published(published)
{
    publish();
}

void TUserInfo::setUserName(const QString &userName)
{
    m_userName = userName;
    publish();
}

void TUserInfo::setUserPass(const QString &userPass)
{
    m_userPass = userPass;
    publish();
}

void TUserInfo::setUserId(int userId)
{
    m_userId = userId;
    publish();
}

void TUserInfo::reset()
{
    FExpiredTime.clear();
    FQQ.clear();
    FEMail.clear();
    FIsLifeTimeMember = false;
    Falipayusername.clear();
    Falipayaccount.clear();
    FAccountBalance = 0;
    m_userName.clear();
    m_userPass.clear();
    m_userId = 0;
    publish();
}

void TUserInfo::publish() const
{
    if (m_published)
        m_published->set({m_userId, m_userName, m_userPass});
}
