#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

// The one blocking call through which every service operation passes.
// fields: the caller's "name=value" lines, "action" first (nullptr: nothing is sent).
// AResponse: receives the reply body (nullptr: nothing is sent); holds nothing usable after a failure.
// bShowForm: true waits behind the modal wait window (UI thread only), false blocks the calling
// thread until the exchange has ended (any thread).
// errorText: always assigned; empty after a completed exchange.
// Returns true when the HTTP exchange completed with a 2xx status; says nothing about "retcode".
bool ExecRemoteProc(QWidget *AOwner, const QStringList *fields, QByteArray *AResponse, bool bShowForm,
                    QString &errorText);
