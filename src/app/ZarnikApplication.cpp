#include "ZarnikApplication.h"

ZarnikApplication::ZarnikApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool ZarnikApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++m_discardedErrors;
        return false;
    }
}
