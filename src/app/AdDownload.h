#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <memory>

// Fetches the web site's current ad picture once, on a thread of its own, and hands the bytes to
// the UI thread through PictureArrived. Any failure is silent: the signal simply never comes.
class AdDownload : public QObject {
    Q_OBJECT

public:
    explicit AdDownload(QObject *parent = nullptr);
    // A download still running finds nobody to hand its bytes to.
    ~AdDownload() override;

    void Start(const QUrl &url);

    // One GET with the browser's user agent over HTTP/1.0; empty unless a 2xx status came with
    // a body. Blocks; safe on any thread.
    static QByteArray Fetch(const QUrl &url);

Q_SIGNALS:
    void PictureArrived(const QByteArray &bytes);

private:
    struct Sink;
    std::shared_ptr<Sink> m_sink;
};
