#include "WaitForProcessDone.h"

#include "WindowMessages.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QScreen>
#include <QWindow>

static void initServicePictures()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(service_pictures);
        return true;
    }();
    Q_UNUSED(initialised);
}

QPointer<TfrmWaitForProcessDone> gWaitWindow;

namespace {

const QString kCaption = QStringLiteral("操作正在进行，请耐心等待......");
const QString kDesignText = QStringLiteral("操作正在执行，请耐心等待.....");
const QString kWindupPicture = QStringLiteral(":/service/windup.gif");
constexpr QSize kClientSize(383, 94);
constexpr QColor kSkyBlue(166, 202, 240);
constexpr QColor kMaroon(128, 0, 0);

} // namespace

void WaitDoneHandle::postDone() const
{
    std::lock_guard guard(m_lock);
    if (m_window)
        PostWindowMessage(m_window, WM_WaitForProcessDone);
}

TfrmWaitForProcessDone::TfrmWaitForProcessDone(QWidget *AOwner, const QString &text, Work work)
    : QDialog(AOwner, Qt::Dialog | Qt::FramelessWindowHint)
    , FMsg(text)
    , FThread(std::move(work))
    , m_doneHandle(std::make_shared<WaitDoneHandle>())
{
    initServicePictures();
    m_doneHandle->m_window = this;

    setWindowTitle(kCaption);
    setFixedSize(kClientSize);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kSkyBlue);
    setPalette(colours);
    setAutoFillBackground(true);

    img_Windup = new QLabel(this);
    img_Windup->setObjectName(QStringLiteral("img_Windup"));
    img_Windup->setGeometry(26, 23, 48, 48);
    img_Windup->setAlignment(Qt::AlignCenter);
    m_windup = new QMovie(kWindupPicture, QByteArray(), this);
    img_Windup->setMovie(m_windup);

    lbl_Msg = new QLabel(kDesignText, this);
    lbl_Msg->setObjectName(QStringLiteral("lbl_Msg"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    font.setBold(true);
    lbl_Msg->setFont(font);
    QPalette labelColours = lbl_Msg->palette();
    labelColours.setColor(QPalette::WindowText, kMaroon);
    lbl_Msg->setPalette(labelColours);
    lbl_Msg->move(96, 40);
    lbl_Msg->adjustSize();
}

TfrmWaitForProcessDone::~TfrmWaitForProcessDone()
{
    std::lock_guard guard(m_doneHandle->m_lock);
    m_doneHandle->m_window = nullptr;
}

void TfrmWaitForProcessDone::PostDone(const std::shared_ptr<const WaitDoneHandle> &done)
{
    if (done)
        done->postDone();
}

void TfrmWaitForProcessDone::reject()
{
    if (m_bWorkDone)
        QDialog::reject();
}

bool TfrmWaitForProcessDone::event(QEvent *event)
{
    if (event->type() == EventTypeOf(WM_WaitForProcessDone)) {
        m_bWorkDone = true;
        accept();
        return true;
    }
    return QDialog::event(event);
}

void TfrmWaitForProcessDone::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    lbl_Msg->setText(FMsg);
    lbl_Msg->adjustSize();
    if (const QScreen *desktop = screen())
        move(desktop->geometry().center() - rect().center());
    m_windup->setSpeed(500);
    m_windup->start();

    // Started once: a window hidden and shown again must not run its work twice.
    if (Work work = std::exchange(FThread, nullptr)) {
        try {
            work(m_doneHandle);
        } catch (...) {
            // Work that could not start will never report; close rather than wait forever.
            m_doneHandle->postDone();
        }
    }
}

void TfrmWaitForProcessDone::closeEvent(QCloseEvent *event)
{
    if (m_bWorkDone)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TfrmWaitForProcessDone::mousePressEvent(QMouseEvent *event)
{
    // Where the platform has no system move (offscreen, some Wayland shells), follow the mouse.
    QWindow *window = windowHandle();
    m_bDragByHand = !(window && window->startSystemMove());
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void TfrmWaitForProcessDone::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragByHand && event->buttons() != Qt::NoButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
    event->accept();
}
