#include "AccountTestSupport.h"

#include "AnsiCodec.h"
#include "AppPaths.h"
#include "ChannelSettings.h"
#include "CredentialsFile.h"
#include "Endpoints.h"
#include "LoginWindow.h"
#include "UserInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>

namespace {

const QString kFullReply = QStringLiteral(
    R"({"retcode":1,"retmsg":"ok","islifetimemember":1,"userid":4711,"expiredtime":"2027-01-31 23:59:59",)"
    R"("qq":12345,"email":"a@b.cn","accountbalance":120,"alipayusername":null})");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Records the pages the window asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

class LoginWindow : public ChannelFixture {
protected:
    void SetUp() override
    {
        ChannelFixture::SetUp();
        setAnsiCodec(&m_gbk);
        paths.exeFile = dir.filePath(QStringLiteral("zarnik"));
        paths.exeDir = dir.path() + u'/';
        credentialsFile = dir.filePath(QStringLiteral("zarnikini"));
    }
    void TearDown() override
    {
        setAnsiCodec(nullptr);
        ChannelFixture::TearDown();
    }

    std::unique_ptr<TfrmLogin> open()
    {
        auto window = std::make_unique<TfrmLogin>(nullptr, paths, gUserInfo);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    static QLineEdit *nameBox(TfrmLogin &w) { return w.findChild<QLineEdit *>(QStringLiteral("lbledt_username")); }
    static QLineEdit *passBox(TfrmLogin &w) { return w.findChild<QLineEdit *>(QStringLiteral("lbledt_password")); }
    static QCheckBox *saveBox(TfrmLogin &w) { return w.findChild<QCheckBox *>(QStringLiteral("chk_Saveconfig")); }

    static void type(TfrmLogin &w, const QString &name, const QString &pass)
    {
        nameBox(w)->setText(name);
        passBox(w)->setText(pass);
    }

    static void clickLogin(TfrmLogin &w)
    {
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btn_Login")), Qt::LeftButton);
    }

    AppPaths paths;
    QString credentialsFile;

private:
    const AnsiCodec m_gbk{"GBK"};
};

} // namespace

TEST(CredentialsFile, PathReplacesTheExtensionWithIniWithoutADot)
{
    struct Case {
        const char *exe;
        const char *expected;
    };
    const Case cases[] = {
        {"C:/Program Files/Zarnik/Zarnik.exe", "C:/Program Files/Zarnik/Zarnikini"},
        {"/opt/zarnik/zarnik", "/opt/zarnik/zarnikini"},
        {"/opt/zar.nik/zarnik", "/opt/zar.nik/zarnikini"},
        {"/opt/zarnik/zarnik.v2.bin", "/opt/zarnik/zarnik.v2ini"},
        {"/opt/zarnik/zarnik.", "/opt/zarnik/zarnikini"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CredentialsFilePath(QString::fromUtf8(c.exe)), QString::fromUtf8(c.expected)) << c.exe;
}

TEST_F(LoginWindow, CreationShowsCaptionStatusPanelsAndTheRememberedTexts)
{
    // Values are trimmed at the '=' as in every INI file; inner spaces stay.
    writeFile(credentialsFile, AnsiCodec("GBK").encode(QStringLiteral("[login]\r\nusername=  老王 \r\nuserpass=p w\r\n")));
    auto window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("欢迎登陆Zarnik"));
    EXPECT_EQ(nameBox(*window)->text(), QStringLiteral("老王"));
    EXPECT_EQ(passBox(*window)->text(), QStringLiteral("p w"));
    EXPECT_EQ(passBox(*window)->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(saveBox(*window)->isChecked());
    EXPECT_FALSE(window->FbCloseAfterLogin());
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("stat_main_panel0"))->text(), QStringLiteral("欢迎使用Zarnik"));
    EXPECT_TRUE(window->findChild<QLabel *>(QStringLiteral("stat_main_panel1"))->text().startsWith(QStringLiteral("当前版本")));
    SaveWindowPicture(*window, QStringLiteral("TfrmLogin"));
}

TEST_F(LoginWindow, WithoutAFileTheBoxesStartEmpty)
{
    auto window = open();
    EXPECT_TRUE(nameBox(*window)->text().isEmpty());
    EXPECT_TRUE(passBox(*window)->text().isEmpty());
}

TEST_F(LoginWindow, EmptyOrBlankInputShowsItsBoxAndSendsNothing)
{
    struct Case {
        QString name;
        QString pass;
        QString message;
        const char *focus;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("pw"), QStringLiteral("登陆账户不能为空!"), "lbledt_username"},
        {QStringLiteral("  \t "), QStringLiteral("pw"), QStringLiteral("登陆账户不能为空!"), "lbledt_username"},
        {QStringLiteral("wang"), QString(), QStringLiteral("登陆密码不能为空!"), "lbledt_password"},
        {QStringLiteral("wang"), QStringLiteral("   "), QStringLiteral("登陆密码不能为空!"), "lbledt_password"},
    };
    gUserInfo.setUserName(QStringLiteral("before"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " / " + c.name.toStdString());
        auto window = open();
        type(*window, c.name, c.pass);
        window->findChild<QCheckBox *>(QStringLiteral("chk_Saveconfig"))->setFocus();
        boxes.clear();
        clickLogin(*window);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, c.message);
        EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("提示"));
        EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxes::Icon::Error);
        EXPECT_EQ(boxes.boxes()[0].buttons, MessageBoxes::Buttons::Ok);
        EXPECT_EQ(QApplication::focusWidget(), window->findChild<QLineEdit *>(QString::fromLatin1(c.focus)));
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(gUserInfo.FUserName(), QStringLiteral("before"));
    EXPECT_FALSE(QFile::exists(credentialsFile));
}

TEST_F(LoginWindow, SuccessSendsTrimmedTextsSavesThemAsTypedAndFillsTheRecord)
{
    server.setReply(200, JsonReply(kFullReply));
    gUserInfo.setUserId(99);
    auto window = open();
    type(*window, QStringLiteral("  老王 "), QStringLiteral(" p w\t"));
    clickLogin(*window);

    ASSERT_EQ(server.requests().size(), 1u);
    const auto fields = requestFields(0);
    EXPECT_EQ(FormFieldNames(server.requests()[0].body),
              (QStringList{QStringLiteral("userid"), QStringLiteral("username"), QStringLiteral("userpass"),
                           QStringLiteral("action")}));
    EXPECT_EQ(fields.value(QStringLiteral("userid")), QStringLiteral("0"));
    EXPECT_EQ(fields.value(QStringLiteral("username")), QStringLiteral("老王"));
    EXPECT_EQ(fields.value(QStringLiteral("userpass")).trimmed(), QString::fromLatin1(QStringLiteral("p w").toUtf8().toBase64()));
    EXPECT_EQ(fields.value(QStringLiteral("action")), QStringLiteral("login"));

    // No byte-order mark before: the ANSI code page (GBK here), texts as typed.
    EXPECT_EQ(readFile(credentialsFile),
              AnsiCodec("GBK").encode(QStringLiteral("[login]\r\nusername=  老王 \r\nuserpass= p w\t\r\n\r\n")));

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(exits.codes.empty());
    EXPECT_TRUE(window->FbCloseAfterLogin());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);

    EXPECT_EQ(gUserInfo.FUserName(), QStringLiteral("老王"));
    EXPECT_EQ(gUserInfo.FUserPass(), QStringLiteral("p w"));
    EXPECT_EQ(gUserInfo.FUserId(), 4711);
    EXPECT_TRUE(gUserInfo.FIsLifeTimeMember);
    EXPECT_EQ(gUserInfo.FExpiredTime, QStringLiteral("2027-01-31 23:59:59"));
    EXPECT_EQ(gUserInfo.FQQ, QStringLiteral("12345"));
    EXPECT_EQ(gUserInfo.FEMail, QStringLiteral("a@b.cn"));
    EXPECT_EQ(gUserInfo.FAccountBalance, 120.0);
    EXPECT_TRUE(gUserInfo.Falipayusername.isEmpty());
    EXPECT_TRUE(gUserInfo.Falipayaccount.isEmpty());

    const ChannelCredentials::Snapshot published = channelSettings().credentials.snapshot();
    EXPECT_EQ(published.userId, 4711);
    EXPECT_EQ(published.userName, QStringLiteral("老王"));
    EXPECT_EQ(published.userPass, QStringLiteral("p w"));
}

TEST_F(LoginWindow, RewriteKeepsTheFilesEncodingAndOtherSections)
{
    const QString before = QStringLiteral("; remembered\r\n[window]\r\nleft=10\r\n\r\n[login]\r\nusername=old\r\nuserpass=old\r\nextra=1\r\n");
    const QString after = QStringLiteral("[window]\r\nleft=10\r\n\r\n[login]\r\nusername=新 \r\nuserpass=pw\r\nextra=1\r\n\r\n");
    struct Case {
        const char *name;
        QByteArray bom;
        QStringEncoder::Encoding encoding;
    };
    const Case cases[] = {
        {"utf8", "\xEF\xBB\xBF", QStringEncoder::Utf8},
        {"utf16le", "\xFF\xFE", QStringEncoder::Utf16LE},
        {"utf16be", "\xFE\xFF", QStringEncoder::Utf16BE},
    };
    server.setReply(200, JsonReply(kFullReply));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto encode = [&](const QString &text) -> QByteArray { return c.bom + QByteArray(QStringEncoder(c.encoding)(text)); };
        writeFile(credentialsFile, encode(before));
        auto window = open();
        EXPECT_EQ(nameBox(*window)->text(), QStringLiteral("old"));
        type(*window, QStringLiteral("新 "), QStringLiteral("pw"));
        clickLogin(*window);
        EXPECT_TRUE(window->FbCloseAfterLogin());
        EXPECT_EQ(readFile(credentialsFile), encode(after));
    }
}

TEST_F(LoginWindow, ModalShowingReturnsOnlyAfterASuccessfulLogin)
{
    server.setHandler([](const TestHttpServer::Request &request) {
        TestHttpServer::Reply reply;
        const bool right = FormFields(request.body).value(QStringLiteral("userpass")).trimmed()
            == QString::fromLatin1(QByteArray("right").toBase64());
        reply.body = right ? JsonReply(kFullReply) : JsonReply(QStringLiteral(R"({"retcode":0})"));
        return reply;
    });
    TfrmLogin window(nullptr, paths, gUserInfo);
    int attempts = 0;
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != &window || attempts == 3)
            return;
        ++attempts;
        type(window, QStringLiteral("wang"), attempts < 3 ? QStringLiteral("wrong") : QStringLiteral("right"));
        clickLogin(window);
    });
    driver.start();
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(gUserInfo.FUserId(), 4711);
    EXPECT_TRUE(exits.codes.empty());
}

TEST_F(LoginWindow, UntickedBoxLeavesTheFileAsItWas)
{
    const QByteArray remembered("[login]\r\nusername=old\r\nuserpass=old\r\n");
    writeFile(credentialsFile, remembered);
    server.setReply(200, JsonReply(kFullReply));
    auto window = open();
    saveBox(*window)->setChecked(false);
    type(*window, QStringLiteral("new"), QStringLiteral("new"));
    clickLogin(*window);
    EXPECT_TRUE(window->FbCloseAfterLogin());
    EXPECT_EQ(readFile(credentialsFile), remembered);
}

TEST_F(LoginWindow, UnwritableFileDoesNotKeepTheMemberOut)
{
    ASSERT_TRUE(QDir().mkpath(credentialsFile)); // a folder where the file should be
    server.setReply(200, JsonReply(kFullReply));
    auto window = open();
    type(*window, QStringLiteral("wang"), QStringLiteral("pw"));
    clickLogin(*window);
    EXPECT_TRUE(window->FbCloseAfterLogin());
    EXPECT_EQ(gUserInfo.FUserId(), 4711);
}

TEST_F(LoginWindow, FailedExchangeAndRefusalKeepTheWindowOpenWithOnlyTheCredentials)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        QString title;
    };
    const Case cases[] = {
        {"exchange failed", 500, QByteArray(), QStringLiteral("错误")},
        {"refused", 200, JsonReply(QStringLiteral(R"({"retcode":0,"retmsg":"bad password"})")), QStringLiteral("提示")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gUserInfo.FQQ = QStringLiteral("stale");
        gUserInfo.setUserId(7);
        server.setReply(c.status, c.body);
        auto window = open();
        type(*window, QStringLiteral(" wang "), QStringLiteral("pw"));
        boxes.clear();
        clickLogin(*window);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const auto &box = boxes.boxes()[0];
        if (c.status == 200) {
            EXPECT_EQ(box.text, QStringLiteral("登陆失败"));
        } else {
            EXPECT_TRUE(box.text.startsWith(QStringLiteral("登陆失败，请稍后再试！500")) ||
                        box.text.startsWith(QStringLiteral("登陆失败，请稍后再试！HTTP")))
                << box.text.toStdString();
        }
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->FbCloseAfterLogin());
        EXPECT_EQ(gUserInfo.FUserName(), QStringLiteral("wang"));
        EXPECT_EQ(gUserInfo.FUserPass(), QStringLiteral("pw"));
        EXPECT_EQ(gUserInfo.FUserId(), 0);
        EXPECT_TRUE(gUserInfo.FQQ.isEmpty());
        EXPECT_FALSE(QFile::exists(credentialsFile));
    }
    EXPECT_TRUE(exits.codes.empty());
}

TEST_F(LoginWindow, UnreadableReplyEndsTheAttemptSilently)
{
    struct Case {
        const char *name;
        QByteArray body;
        bool fileWritten; // the reply was read up to a faulty key
        int userId;       // what the record holds afterwards
        QString email;
        double balance;
    };
    const QString head = QStringLiteral(R"({"retcode":1,"islifetimemember":0,"userid":5,"expiredtime":"x","qq":"1",)");
    const Case cases[] = {
        {"plain json", kFullReply.toUtf8(), false, 0, {}, 0},
        {"empty body", QByteArray(), false, 0, {}, 0},
        {"balance with fraction", JsonReply(head + QStringLiteral(R"("email":"e","accountbalance":12.5})")), true, 5,
         QStringLiteral("e"), 0},
        {"balance with exponent", JsonReply(head + QStringLiteral(R"("email":"e","accountbalance":1e3})")), true, 5,
         QStringLiteral("e"), 0},
        {"email missing", JsonReply(head + QStringLiteral(R"("accountbalance":1})")), true, 5, {}, 0},
        {"payment name not text", JsonReply(head + QStringLiteral(R"("email":"e","accountbalance":1,"alipayusername":true})")),
         true, 5, QStringLiteral("e"), 1},
        {"retmsg an array", JsonReply(QStringLiteral(R"({"retcode":1,"retmsg":[],"islifetimemember":0})")), true, 0, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(credentialsFile);
        server.setReply(200, c.body);
        auto window = open();
        type(*window, QStringLiteral("wang"), QStringLiteral("pw"));
        boxes.clear();
        clickLogin(*window);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->FbCloseAfterLogin());
        EXPECT_EQ(QFile::exists(credentialsFile), c.fileWritten);
        EXPECT_EQ(gUserInfo.FUserId(), c.userId);
        EXPECT_EQ(gUserInfo.FEMail, c.email);
        EXPECT_EQ(gUserInfo.FAccountBalance, c.balance);
        EXPECT_EQ(gUserInfo.FUserName(), QStringLiteral("wang"));
    }
    EXPECT_TRUE(exits.codes.empty());
}

TEST_F(LoginWindow, PaymentFieldsAndLargeBalanceAreRead)
{
    server.setReply(200, JsonReply(QStringLiteral(
        R"({"retcode":1,"islifetimemember":0,"userid":5,"expiredtime":"x","qq":"1","email":"e",)"
        R"("accountbalance":5000000000,"alipayusername":"张三","alipayaccount":13800000000})")));
    auto window = open();
    type(*window, QStringLiteral("wang"), QStringLiteral("pw"));
    clickLogin(*window);
    EXPECT_TRUE(window->FbCloseAfterLogin());
    EXPECT_FALSE(gUserInfo.FIsLifeTimeMember);
    EXPECT_EQ(gUserInfo.FAccountBalance, 5000000000.0);
    EXPECT_EQ(gUserInfo.Falipayusername, QStringLiteral("张三"));
    EXPECT_EQ(gUserInfo.Falipayaccount, QStringLiteral("13800000000"));
}

TEST_F(LoginWindow, EveryWayOutButSuccessEndsTheProcessWithZero)
{
    {
        auto window = open();
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("btn_Close")), Qt::LeftButton);
        EXPECT_EQ(exits.codes, std::vector<int>{0});
    }
    {
        // The close box, after a failed attempt.
        server.setReply(500, {});
        auto window = open();
        type(*window, QStringLiteral("wang"), QStringLiteral("pw"));
        clickLogin(*window);
        window->close();
        EXPECT_EQ(exits.codes, (std::vector<int>{0, 0}));
    }
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(LoginWindow, EscAndEnterDoNothing)
{
    server.setReply(200, JsonReply(kFullReply));
    auto window = open();
    type(*window, QStringLiteral("wang"), QStringLiteral("pw"));
    passBox(*window)->setFocus();
    QTest::keyClick(passBox(*window), Qt::Key_Return);
    QTest::keyClick(passBox(*window), Qt::Key_Enter);
    QTest::keyClick(passBox(*window), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(exits.codes.empty());
    EXPECT_TRUE(server.requests().empty());
    for (const char *name : {"btn_Login", "btn_Close"}) {
        auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << name;
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << name;
    }
    // The accelerator still works.
    EXPECT_EQ(window->findChild<QPushButton *>(QStringLiteral("btn_Login"))->shortcut(), QKeySequence(Qt::ALT | Qt::Key_L));
    QTest::keyClick(passBox(*window), Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->FbCloseAfterLogin(); }, 5000));
}

TEST_F(LoginWindow, LinksOpenTheWebSiteAndTheRegisterPage)
{
    UrlRecorder recorder;
    auto window = open();
    QTest::mouseClick(window->findChild<QLabel *>(QStringLiteral("img_Logo")), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QLabel *>(QStringLiteral("lbl_register")), Qt::LeftButton);
    EXPECT_EQ(recorder.urls, (QList<QUrl>{WebSiteUrl(QStringLiteral("/")), ApiHostUrl(QStringLiteral("/register.php"))}));
    EXPECT_TRUE(recorder.urls.value(1).toString().endsWith(QStringLiteral("/register.php")));
    EXPECT_TRUE(window->isVisible());
}

#include "LoginWindowTest.moc"
