#include "MainWindowFixture.h"

#include "AdviceWindow.h"
#include "AlipayWindow.h"
#include "AppPictures.h"
#include "SelfTaskListView.h"
#include "TestHttpServer.h"
#include "UpdateWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

class AdAndSideWindowsTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        wiring.adPicture = QUrl(QStringLiteral("http://127.0.0.1:%1/ads/pic/ad.gif").arg(server.port()));
    }

    void withSideWindows()
    {
        window().SetSideWindows(new TfrmUpdate(&window()), new TfrmAdvice(&window()), new TfrmAlipay(&window()));
    }

    QLabel *label(const char *name) { return window().findChild<QLabel *>(QLatin1String(name)); }

    // Runs the check on the modal window that the trigger opens, then closes that window.
    QWidget *openModal(const std::function<void()> &trigger, const std::function<void(QWidget *)> &check = {})
    {
        QWidget *seen = nullptr;
        QTimer::singleShot(0, [&] {
            WaitUntil([] { return QApplication::activeModalWidget() != nullptr; });
            seen = QApplication::activeModalWidget();
            if (seen && check)
                check(seen);
            if (seen)
                seen->close();
        });
        trigger();
        return seen;
    }

    TestHttpServer server;
};

TEST_F(AdAndSideWindowsTest, FailedDownloadLeavesBuiltInAdAlternatingWithQr)
{
    server.setReply(404, QByteArrayLiteral("not here"));
    timings.adRotationTick = std::chrono::milliseconds(5);
    window().show();

    ASSERT_TRUE(server.waitForRequests(1, std::chrono::seconds(5)));
    const auto request = server.requests().front();
    EXPECT_EQ(request.method, QByteArrayLiteral("GET"));
    EXPECT_EQ(request.url, QByteArrayLiteral("/ads/pic/ad.gif"));
    EXPECT_EQ(request.version, QByteArrayLiteral("HTTP/1.0"));
    EXPECT_EQ(request.header("User-Agent"),
              QByteArrayLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                "Chrome/40.0.2214.111 Safari/537.36"));

    QLabel *ad = label("img_ad");
    QLabel *qr = label("img_alipay");
    EXPECT_FALSE(ad->isHidden());
    EXPECT_TRUE(qr->isHidden());
    for (int flip = 0; flip < 6; ++flip) {
        // Half of the turns happen while the window is hidden in the tray.
        if (flip == 3)
            window().hide();
        const bool bQrNext = flip % 2 == 0;
        ASSERT_TRUE(WaitUntil([&] { return qr->isHidden() != bQrNext; })) << flip;
        EXPECT_NE(ad->isHidden(), qr->isHidden());
    }
    ASSERT_NE(ad->movie(), nullptr);
    EXPECT_EQ(ad->movie()->fileName(), BuiltInAdGifPath());
    EXPECT_EQ(ad->movie()->state(), QMovie::Running);
}

TEST_F(AdAndSideWindowsTest, DownloadedGifReplacesBuiltInPictureAndNonGifDoesNot)
{
    QFile builtIn(BuiltInAdGifPath());
    ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
    const QByteArray gif = builtIn.readAll();

    struct Case {
        const char *name;
        QByteArray body;
        bool bReplaced;
    };
    for (const Case &c : {Case{"gif", gif, true}, Case{"text", QByteArrayLiteral("<html>no</html>"), false}}) {
        SCOPED_TRACE(c.name);
        MainWindowFixture::TearDown();
        const std::size_t before = server.requests().size();
        server.setReply(200, c.body);
        window().show();
        ASSERT_TRUE(server.waitForRequests(before + 1, std::chrono::seconds(5)));
        const bool bReplaced =
            WaitUntil([&] { return label("img_ad")->movie()->fileName() != BuiltInAdGifPath(); }, 500);
        EXPECT_EQ(bReplaced, c.bReplaced);
        EXPECT_EQ(label("img_ad")->movie()->state(), QMovie::Running);
    }
}

TEST_F(AdAndSideWindowsTest, AdviceKeepsTypedTextAndPaymentLinkShowsTheSameWindow)
{
    withSideWindows();
    window().show();
    auto *advice = window().findChild<QAction *>(QStringLiteral("act_advice"));

    openModal([&] { advice->trigger(); }, [](QWidget *shown) {
        QTest::keyClicks(shown->findChild<QLineEdit *>(QStringLiteral("edt_QQ")), QStringLiteral("10001"));
        QTest::keyClicks(shown->findChild<QPlainTextEdit *>(QStringLiteral("mmo_advvice")), QStringLiteral("faster please"));
    });
    QString qq;
    QString text;
    openModal([&] { advice->trigger(); }, [&](QWidget *shown) {
        qq = shown->findChild<QLineEdit *>(QStringLiteral("edt_QQ"))->text();
        text = shown->findChild<QPlainTextEdit *>(QStringLiteral("mmo_advvice"))->toPlainText();
    });
    EXPECT_EQ(qq, QStringLiteral("10001"));
    EXPECT_EQ(text, QStringLiteral("faster please"));

    auto *link = label("lbl_Alipay");
    QWidget *first = openModal([&] { QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3)); });
    QWidget *second = openModal([&] { QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3)); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("扫一扫，立即付款升级！"));
    EXPECT_TRUE(label("img_alipay") != nullptr);
}

// Not a check: saves a picture of every window for a person to compare with the layout tables.
TEST_F(AdAndSideWindowsTest, SaveScreenshots)
{
    server.setReply(404, {});
    member.userName = QStringLiteral("演示会员");
    member.bLifeTimeMember = true;
    member.expiredTime = QStringLiteral("2027-12-31 23:59:59");
    wiring.createTaskListView = [](QWidget *parent) { return new SelfTaskListView(parent); };
    withSideWindows();
    showAndActivate();
    QDir().mkpath(QStringLiteral(ZARNIK_SCREENSHOT_DIR));
    auto save = [](QWidget *widget, const QString &name) {
        widget->grab().save(QStringLiteral(ZARNIK_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    };
    save(&window(), QStringLiteral("main-window"));
    for (const char *name : {"frmAlipay", "frmAdvice", "frmUpdate"}) {
        auto *side = window().findChild<QDialog *>(QLatin1String(name));
        ASSERT_NE(side, nullptr);
        side->show();
        save(side, QLatin1String(name));
        side->hide();
    }
}

} // namespace
