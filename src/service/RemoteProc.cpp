#include "RemoteProc.h"

#include "Base64Trim.h"
#include "ChannelSettings.h"
#include "CurlExchange.h"
#include "FormEncoder.h"
#include "WaitForProcessDone.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

#include <memory>
#include <thread>

namespace {

const QString kNoFields = QStringLiteral("请求参数未指定！");
const QString kNoResponse = QStringLiteral("返回值未指定");
const QString kWaitText = QStringLiteral("命令正在执行，请耐心等待......");

// One call's state, shared by the call and its exchange thread. The thread writes the result;
// the call reads it only after joining the thread.
struct CallState {
    bool bShowForm = false;
    FormPost post;
    std::shared_ptr<const WaitDoneHandle> waitWindow;

    FormPostResult result;
};

void finishExchange(CallState &state, FormPostResult result)
{
    state.result = std::move(result);
    if (state.bShowForm)
        TfrmWaitForProcessDone::PostDone(state.waitWindow);
}

// The call joins the thread before it returns, so every object the thread touched is freed on the
// calling thread; the thread's share of the state only matters when the process ends meanwhile.
void startExchange(const std::shared_ptr<CallState> &state, std::jthread &exchange)
{
    try {
        exchange = std::jthread([state] { finishExchange(*state, PostFormOverCurl(state->post)); });
    } catch (const std::exception &error) {
        FormPostResult failed;
        failed.errorText = QString::fromLocal8Bit(error.what());
        finishExchange(*state, std::move(failed));
    }
}

// The wait window is a widget: only the UI thread of a widget application may show one. Asked
// for elsewhere, the call waits without it instead of crashing in Qt.
bool canShowWaitWindow()
{
    const QCoreApplication *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    return application && QThread::currentThread() == application->thread();
}

std::string hostUrl(const QString &host, int port)
{
    // A literal IPv6 address needs its brackets in a URL.
    const QString bracketed = host.contains(u':') && !host.startsWith(u'[') ? u'[' + host + u']' : host;
    return QStringLiteral("http://%1:%2/").arg(bracketed).arg(port).toStdString();
}

} // namespace

bool ExecRemoteProc(QWidget *AOwner, const QStringList *fields, QByteArray *AResponse, bool bShowForm,
                    QString &errorText)
{
    errorText.clear();
    if (!fields) {
        errorText = kNoFields;
        return false;
    }
    if (!AResponse) {
        errorText = kNoResponse;
        return false;
    }

    ChannelSettings &settings = channelSettings();
    const ChannelCredentials::Snapshot credentials = settings.credentials.snapshot();
    QStringList ATmpContentFields;
    ATmpContentFields.reserve(fields->size() + 3);
    ATmpContentFields << QStringLiteral("userid=%1").arg(credentials.userId)
                      << QStringLiteral("username=") + credentials.userName
                      << QStringLiteral("userpass=") + EncodeBase64Trim(credentials.userPass);
    ATmpContentFields << *fields;

    auto state = std::make_shared<CallState>();
    state->bShowForm = bShowForm && canShowWaitWindow();
    state->post.url = hostUrl(settings.apiHost, settings.apiPort) + "userapi.php";
    state->post.body = EncodeFormBody(ATmpContentFields);
    state->post.connectTimeout = settings.connectTimeout;
    state->post.exchangeTimeout = settings.exchangeTimeout;
    EnsureCurlGlobalInit();

    std::jthread exchange;
    if (state->bShowForm) {
        bool bStarted = false;
        QPointer<TfrmWaitForProcessDone> window = new TfrmWaitForProcessDone(
            AOwner, kWaitText, [state, &exchange, &bStarted](std::shared_ptr<const WaitDoneHandle> done) {
                state->waitWindow = std::move(done);
                bStarted = true;
                startExchange(state, exchange);
            });
        gWaitWindow = window;
        window->exec();
        delete window.data();
        // The window may also have gone with its owner before it was shown.
        if (!bStarted)
            startExchange(state, exchange);
    } else {
        startExchange(state, exchange);
    }
    if (exchange.joinable())
        exchange.join();

    errorText = state->result.errorText;
    if (state->result.bSuccess)
        *AResponse = std::move(state->result.body);
    else
        AResponse->clear();
    return state->result.bSuccess;
}
