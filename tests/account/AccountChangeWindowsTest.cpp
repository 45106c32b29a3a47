#include "AccountTestSupport.h"

#include "BindPayInformationWindow.h"
#include "ChannelSettings.h"
#include "ModifyLoginPassWindow.h"
#include "RemoteProc.h"
#include "UserInfo.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray kSuccess = JsonReply(QStringLiteral(R"({"retcode":1,"retmsg":"ok"})"));
const QByteArray kRefusal = JsonReply(QStringLiteral(R"({"retcode":2,"retmsg":"no"})"));

QString base64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

template <class Window>
void showActive(Window &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

QLineEdit *edit(QWidget &window, const char *name)
{
    return window.findChild<QLineEdit *>(QString::fromLatin1(name));
}

void click(QWidget &window, const char *button)
{
    QTest::mouseClick(window.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
}

class ModifyLoginPass : public ChannelFixture {
protected:
    void SetUp() override
    {
        ChannelFixture::SetUp();
        gUserInfo.setUserId(42);
        gUserInfo.setUserName(QStringLiteral("wang"));
        gUserInfo.setUserPass(QStringLiteral("Secret1"));
    }

    void type(TfrmModifyLoginPass &window, const QString &oldPass, const QString &newPass, const QString &confirm)
    {
        edit(window, "edt_Oldpass")->setText(oldPass);
        edit(window, "edt_NewPass")->setText(newPass);
        edit(window, "edt_ConfirmNewPass")->setText(confirm);
    }
};

class BindPayInformation : public ChannelFixture {
protected:
    void SetUp() override
    {
        ChannelFixture::SetUp();
        gUserInfo.setUserId(42);
        gUserInfo.setUserName(QStringLiteral("wang"));
        gUserInfo.setUserPass(QStringLiteral("pw"));
    }

    void type(TfrmBindModifyPayInformation &window, const QString &name, const QString &account)
    {
        edit(window, "edt_alipayusername")->setText(name);
        edit(window, "edt_alipayaccount")->setText(account);
    }
};

} // namespace

TEST_F(ModifyLoginPass, InputErrorsInOrderWithTheirFocusAndNothingSent)
{
    struct Case {
        QString oldPass, newPass, confirm;
        QString message;
        const char *focus;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("请输入原始密码!"), "edt_Oldpass"},
        {QStringLiteral(" \t"), QString(), QString(), QStringLiteral("请输入原始密码!"), "edt_Oldpass"},
        {QStringLiteral("x"), QStringLiteral("  "), QString(), QStringLiteral("请输入新密码!"), "edt_NewPass"},
        {QStringLiteral("x"), QStringLiteral("a"), QStringLiteral(" "), QStringLiteral("请确认新密码!"), "edt_ConfirmNewPass"},
        {QStringLiteral("wrong"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("原始密码不正确，请重新输入!"), "edt_Oldpass"},
        // Only ASCII letters fold: a full-width letter is another character.
        {QStringLiteral("ｓecret1"), QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("原始密码不正确，请重新输入!"), "edt_Oldpass"},
        {QStringLiteral("Secret12"), QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("原始密码不正确，请重新输入!"), "edt_Oldpass"},
        {QStringLiteral(" SECRET1 "), QStringLiteral("new"), QStringLiteral("neu"), QStringLiteral("两次输入的新密码不同，请重新输入!"), "edt_NewPass"},
        {QStringLiteral("secret1"), QStringLiteral("né"), QStringLiteral("nÉ"), QStringLiteral("两次输入的新密码不同，请重新输入!"), "edt_NewPass"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " / " + c.oldPass.toStdString());
        TfrmModifyLoginPass window(nullptr, gUserInfo);
        showActive(window);
        type(window, c.oldPass, c.newPass, c.confirm);
        boxes.clear();
        click(window, "btn_OK");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, c.message);
        EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("提示"));
        EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Error);
        EXPECT_EQ(boxes.boxes()[0].buttons, MessageBoxes::Buttons::Ok);
        EXPECT_EQ(QApplication::focusWidget(), edit(window, c.focus));
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(gUserInfo.FUserPass(), QStringLiteral("Secret1"));
}

TEST_F(ModifyLoginPass, SuccessStoresTheNewPasswordAndTheNextRequestCarriesIt)
{
    server.setReply(200, kSuccess);
    TfrmModifyLoginPass window(nullptr, gUserInfo);
    showActive(window);
    SaveWindowPicture(window, QStringLiteral("TfrmModifyLoginPass"));
    type(window, QStringLiteral("sECRET1"), QStringLiteral(" NewPw "), QStringLiteral("newpw"));
    click(window, "btn_OK");

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(FormFieldNames(server.requests()[0].body),
              (QStringList{QStringLiteral("userid"), QStringLiteral("username"), QStringLiteral("userpass"),
                           QStringLiteral("action"), QStringLiteral("newuserpass")}));
    const auto fields = requestFields(0);
    EXPECT_EQ(fields.value(QStringLiteral("action")), QStringLiteral("modifyloginpass"));
    EXPECT_EQ(fields.value(QStringLiteral("newuserpass")), QStringLiteral("NewPw"));
    EXPECT_EQ(fields.value(QStringLiteral("userpass")).trimmed(), base64(QStringLiteral("Secret1")));

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("密码修改成功！"));
    EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("提示"));
    EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Information);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(gUserInfo.FUserPass(), QStringLiteral("NewPw"));

    const QStringList next{QStringLiteral("action=heartbeat")};
    QByteArray response;
    QString errorText;
    ASSERT_TRUE(ExecRemoteProc(nullptr, &next, &response, false, errorText)) << errorText.toStdString();
    EXPECT_EQ(requestFields(1).value(QStringLiteral("userpass")).trimmed(), base64(QStringLiteral("NewPw")));
}

TEST_F(ModifyLoginPass, FailureRefusalAndUnreadableReplyKeepTheOldPassword)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        QString text; // empty: no box at all
        QString title;
    };
    const Case cases[] = {
        {"exchange failed", 404, QByteArray(), QStringLiteral("密码修改失败，请稍后再试！"), QStringLiteral("错误")},
        {"refused", 200, kRefusal, QStringLiteral("密码修改失败，请稍后再试"), QStringLiteral("提示")},
        {"unreadable", 200, QByteArray("{\"retcode\":1}"), QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.setReply(c.status, c.body);
        TfrmModifyLoginPass window(nullptr, gUserInfo);
        showActive(window);
        type(window, QStringLiteral("Secret1"), QStringLiteral("n"), QStringLiteral("n"));
        boxes.clear();
        click(window, "btn_OK");
        if (c.text.isEmpty()) {
            EXPECT_TRUE(boxes.boxes().empty());
        } else {
            ASSERT_EQ(boxes.boxes().size(), 1u);
            const auto &box = boxes.boxes()[0];
            EXPECT_TRUE(box.text.startsWith(c.text)) << box.text.toStdString();
            if (c.status == 200)
                EXPECT_EQ(box.text, c.text);
            else
                EXPECT_GT(box.text.size(), c.text.size()) << "the channel's error text follows";
            EXPECT_EQ(box.title, c.title);
            EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
        }
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(gUserInfo.FUserPass(), QStringLiteral("Secret1"));
        EXPECT_EQ(channelSettings().credentials.snapshot().userPass, QStringLiteral("Secret1"));
    }
}

TEST_F(ModifyLoginPass, CloseButtonEscAndEnter)
{
    server.setReply(200, kSuccess);
    TfrmModifyLoginPass window(nullptr, gUserInfo);
    showActive(window);
    type(window, QStringLiteral("Secret1"), QStringLiteral("n"), QStringLiteral("n"));
    QTest::keyClick(edit(window, "edt_ConfirmNewPass"), Qt::Key_Return);
    QTest::keyClick(edit(window, "edt_ConfirmNewPass"), Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    click(window, "btn_Close");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(BindPayInformation, InputErrorsAndTheNoAnswerSendNothing)
{
    struct Case {
        QString name, account;
        QString message;
        const char *focus; // nullptr: the question was asked
    };
    const Case cases[] = {
        {QStringLiteral("  "), QStringLiteral("a@b"), QStringLiteral("支付宝姓名不能为空!"), "edt_alipayusername"},
        {QStringLiteral("张三"), QStringLiteral("\t"), QStringLiteral("支付宝账户不能为空!"), "edt_alipayaccount"},
        {QStringLiteral("张三"), QStringLiteral("a@b"), QStringLiteral("确定要绑定支付信息吗?"), nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        TfrmBindModifyPayInformation window(nullptr, false, gUserInfo);
        showActive(window);
        type(window, c.name, c.account);
        boxes.clear();
        boxes.queueAnswer(MessageBoxes::Answer::No);
        click(window, "btn_Bind");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const auto &box = boxes.boxes()[0];
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.title, QStringLiteral("提示"));
        if (c.focus) {
            EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
            EXPECT_EQ(box.buttons, MessageBoxes::Buttons::Ok);
            EXPECT_EQ(QApplication::focusWidget(), edit(window, c.focus));
        } else {
            EXPECT_EQ(box.icon, MessageBoxes::Icon::Question);
            EXPECT_EQ(box.buttons, MessageBoxes::Buttons::YesNo);
        }
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(gUserInfo.Falipayusername.isEmpty());
}

TEST_F(BindPayInformation, YesSendsTrimmedTextsAndSuccessUpdatesTheRecord)
{
    server.setReply(200, kSuccess);
    TfrmBindModifyPayInformation window(nullptr, false, gUserInfo);
    showActive(window);
    SaveWindowPicture(window, QStringLiteral("TfrmBindModifyPayInformation"));
    EXPECT_FALSE(edit(window, "edt_alipayusername")->isReadOnly());
    type(window, QStringLiteral(" 张三 "), QStringLiteral(" a&b=c@x.cn "));
    click(window, "btn_Bind");

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(FormFieldNames(server.requests()[0].body),
              (QStringList{QStringLiteral("userid"), QStringLiteral("username"), QStringLiteral("userpass"),
                           QStringLiteral("action"), QStringLiteral("alipayusername"), QStringLiteral("alipayaccount")}));
    const auto fields = requestFields(0);
    EXPECT_EQ(fields.value(QStringLiteral("action")), QStringLiteral("bindpayinformation"));
    EXPECT_EQ(fields.value(QStringLiteral("alipayusername")), QStringLiteral("张三"));
    EXPECT_EQ(fields.value(QStringLiteral("alipayaccount")), QStringLiteral("a&b=c@x.cn"));

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, QStringLiteral("支付信息绑定成功！"));
    EXPECT_EQ(boxes.boxes()[1].icon, MessageBoxes::Icon::Information);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(gUserInfo.Falipayusername, QStringLiteral("张三"));
    EXPECT_EQ(gUserInfo.Falipayaccount, QStringLiteral("a&b=c@x.cn"));
}

TEST_F(BindPayInformation, FailureRefusalAndUnreadableReplyChangeNothing)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        QString text;
        QString title;
    };
    const Case cases[] = {
        {"exchange failed", 500, QByteArray(), QStringLiteral("支付信息绑定失败，请稍后再试！"), QStringLiteral("错误")},
        {"refused", 200, kRefusal, QStringLiteral("支付信息绑定失败，请稍后再试"), QStringLiteral("提示")},
        {"unreadable", 200, JsonReply(QStringLiteral(R"({"retcode":"1"})")), QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.setReply(c.status, c.body);
        TfrmBindModifyPayInformation window(nullptr, false, gUserInfo);
        showActive(window);
        type(window, QStringLiteral("张三"), QStringLiteral("acc"));
        boxes.clear();
        click(window, "btn_Bind");
        ASSERT_EQ(boxes.boxes().size(), c.text.isEmpty() ? 1u : 2u); // the question comes first
        if (!c.text.isEmpty()) {
            const auto &box = boxes.boxes()[1];
            if (c.status == 200)
                EXPECT_EQ(box.text, c.text);
            else
                EXPECT_TRUE(box.text.startsWith(c.text) && box.text.size() > c.text.size()) << box.text.toStdString();
            EXPECT_EQ(box.title, c.title);
            EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
        }
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(gUserInfo.Falipayusername.isEmpty());
        EXPECT_TRUE(gUserInfo.Falipayaccount.isEmpty());
    }
}

TEST_F(BindPayInformation, ModifyModeShowsTheBoundDataWithTheNameReadOnly)
{
    gUserInfo.Falipayusername = QStringLiteral("张三");
    gUserInfo.Falipayaccount = QStringLiteral("old@x.cn");
    server.setReply(200, kSuccess);
    TfrmBindModifyPayInformation window(nullptr, true, gUserInfo);
    showActive(window);
    EXPECT_EQ(edit(window, "edt_alipayusername")->text(), QStringLiteral("张三"));
    EXPECT_TRUE(edit(window, "edt_alipayusername")->isReadOnly());
    EXPECT_EQ(edit(window, "edt_alipayaccount")->text(), QStringLiteral("old@x.cn"));
    edit(window, "edt_alipayaccount")->setText(QStringLiteral("new@x.cn"));
    click(window, "btn_Bind");
    EXPECT_EQ(requestFields(0).value(QStringLiteral("action")), QStringLiteral("bindpayinformation"));
    EXPECT_EQ(gUserInfo.Falipayaccount, QStringLiteral("new@x.cn"));
}

TEST_F(BindPayInformation, StartUpPromptOnlyForALifetimeMemberWithIncompleteData)
{
    struct Case {
        bool lifetime;
        const char *name;
        const char *account;
        bool prompted;
    };
    const Case cases[] = {
        {false, "", "", false},
        {true, "张三", "a@b", false},
        {true, "张三", "", true},
        {true, "", "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.lifetime ? "lifetime " : "ordinary ") + c.name + "/" + c.account);
        gUserInfo.FIsLifeTimeMember = c.lifetime;
        gUserInfo.Falipayusername = QString::fromUtf8(c.name);
        gUserInfo.Falipayaccount = QString::fromUtf8(c.account);
        boxes.clear();
        bool windowShown = false;
        // "以后再说(&C)" on the binding window once it is up.
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto *window = qobject_cast<TfrmBindModifyPayInformation *>(QApplication::activeModalWidget())) {
                windowShown = true;
                EXPECT_FALSE(edit(*window, "edt_alipayusername")->isReadOnly());
                click(*window, "btn_Close");
            }
        });
        closer.start();
        PromptPayInformationBinding(nullptr, gUserInfo);
        EXPECT_EQ(windowShown, c.prompted);
        if (c.prompted) {
            ASSERT_EQ(boxes.boxes().size(), 1u);
            EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("请绑定您的支付宝信息！"));
            EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("提示"));
            EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Information);
        } else {
            EXPECT_TRUE(boxes.boxes().empty());
        }
    }
    EXPECT_TRUE(server.requests().empty());
}
