#pragma once

#include <QUrl>
#include <QWidget>

// The browser pane of the main window. With Qt WebEngine in the build it shows the page; without
// it a plain stand-in shows the page's address.
class AdBrowserPane : public QWidget {
    Q_OBJECT

public:
    explicit AdBrowserPane(QWidget *parent = nullptr);

    void Navigate(const QUrl &url);
    QUrl address() const { return m_address; }

Q_SIGNALS:
    // A page has been loaded, or failed to load (the embedded browser only).
    void loadFinished(bool bOk);

private:
    QWidget *m_view = nullptr;
    QUrl m_address;
};
