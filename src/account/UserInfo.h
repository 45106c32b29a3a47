#pragma once

#include <QString>

class ChannelCredentials;

// The signed-in member. Written on the UI thread only. The three credential fields are private so
// that every change reaches the request channel's copy at once.
class TUserInfo {
public:
    // published: where the credential fields are copied on every change; nullptr copies nowhere.
    explicit TUserInfo(ChannelCredentials *published = nullptr);

    const QString &FUserName() const { return m_userName; }
    const QString &FUserPass() const { return m_userPass; }
    int FUserId() const { return m_userId; }

    void setUserName(const QString &userName);
    void setUserPass(const QString &userPass);
    void setUserId(int userId);

    // Every field empty or zero, the credentials included.
    void reset();

    QString FExpiredTime;
    QString FQQ;
    QString FEMail;
    bool FIsLifeTimeMember = false;
    QString Falipayusername;
    QString Falipayaccount;
    double FAccountBalance = 0;

private:
    void publish() const;

    ChannelCredentials *m_published;
    QString m_userName;
    QString m_userPass;
    int m_userId = 0;
};

// The process's member record; its credentials are the ones every request carries.
extern TUserInfo gUserInfo;
