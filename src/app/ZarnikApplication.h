#pragma once

#include <QApplication>

// The application object. Its event delivery is the program's one error boundary: whatever a
// handler throws ends that handler's operation and is discarded, so no exception ever unwinds
// Qt's event loop or an outer modal loop (a wait window, a message box, the countdown).
class ZarnikApplication : public QApplication {
    Q_OBJECT

public:
    ZarnikApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // How many errors the boundary has discarded so far.
    int discardedErrors() const { return m_discardedErrors; }

private:
    int m_discardedErrors = 0;
};
