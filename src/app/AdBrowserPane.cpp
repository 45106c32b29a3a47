#include "AdBrowserPane.h"

#include <QVBoxLayout>

#ifdef ZARNIK_WEBENGINE
#include <QWebEngineView>
#else
#include <QLabel>
#endif

AdBrowserPane::AdBrowserPane(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
#ifdef ZARNIK_WEBENGINE
    auto *view = new QWebEngineView(this);
    connect(view, &QWebEngineView::loadFinished, this, &AdBrowserPane::loadFinished);
    m_view = view;
#else
    auto *label = new QLabel(this);
    label->setFrameShape(QFrame::StyledPanel);
    label->setAlignment(Qt::AlignCenter);
    m_view = label;
#endif
    layout->addWidget(m_view);
}

void AdBrowserPane::Navigate(const QUrl &url)
{
    m_address = url;
#ifdef ZARNIK_WEBENGINE
    static_cast<QWebEngineView *>(m_view)->setUrl(url);
#else
    static_cast<QLabel *>(m_view)->setText(url.toString());
#endif
}
