#include "RemoteProc.h"

#include "Base64Trim.h"
#include "ChannelSettings.h"
#include "CurlExchange.h"
#include "FormEncoder.h"
#include "WaitForProcessDone.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const QString kNoFields = QStringLiteral("请求参数未指定！");
const QString kNoResponse = QStringLiteral("返回值未指定");
const QString kWaitText = QStringLiteral("命令正在执行，请耐心等待......");

// One call's state, shared by the call and its exchange thread; it lives until both are done with
// it. The results are written by the exchange thread alone and read by the caller only after
// hThread was cleared under the lock, so the caller's own buffer is never touched by the thread.
struct CallState {
    bool bShowForm = false;
    FormPost post;
    std::shared_ptr<const WaitDoneHandle> waitWindow;

    FormPostResult result;

    std::mutex lock;
    std::condition_variable ended;
    bool bStarted = false; // on the calling thread only
    bool hThread = false; // the exchange thread is running
};

void finishExchange(const std::shared_ptr<CallState> &state, FormPostResult result)
{
    {
        std::lock_guard guard(state->lock);
        state->result = std::move(result);
        state->hThread = false;
    }
    state->ended.notify_all();
    if (state->bShowForm)
        TfrmWaitForProcessDone::PostDone(state->waitWindow);
}

// The detached thread owns a share of the state and nothing else, so a process that ends while
// it runs neither waits for it nor leaves it pointing at freed memory.
void startExchange(const std::shared_ptr<CallState> &state)
{
    {
        std::lock_guard guard(state->lock);
        state->hThread = true;
    }
    state->bStarted = true;
    try {
        std::thread([state] { finishExchange(state, PostFormOverCurl(state->post)); }).detach();
    } catch (const std::exception &error) {
        FormPostResult failed;
        failed.errorText = QString::fromLocal8Bit(error.what());
        finishExchange(state, std::move(failed));
    }
}

void waitForExchangeEnd(CallState &state)
{
    std::unique_lock guard(state.lock);
    state.ended.wait(guard, [&] { return !state.hThread; });
}

// The wait window is a widget: only the UI thread of a widget application may show one. Asked
// for elsewhere, the call waits by polling instead of crashing in Qt.
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

    if (state->bShowForm) {
        QPointer<TfrmWaitForProcessDone> window =
            new TfrmWaitForProcessDone(AOwner, kWaitText, [state](std::shared_ptr<const WaitDoneHandle> done) {
                state->waitWindow = std::move(done);
                startExchange(state);
            });
        gWaitWindow = window;
        window->exec();
        delete window.data();
        // The window may also have gone with its owner; the result is read only once it is final.
        if (!state->bStarted)
            startExchange(state);
        waitForExchangeEnd(*state);
    } else {
        startExchange(state);
        waitForExchangeEnd(*state);
    }

    std::lock_guard guard(state->lock);
    errorText = state->result.errorText;
    if (state->result.bSuccess)
        *AResponse = std::move(state->result.body);
    else
        AResponse->clear();
    return state->result.bSuccess;
}
