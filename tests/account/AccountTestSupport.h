#pragma once

#include "AppExit.h"
#include "RecordingMessageBoxes.h"
#include "TestHttpServer.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

// Records exit requests instead of ending the test process.
class RecordingExit : public AppExit {
public:
    RecordingExit() { setAppExit(this); }
    ~RecordingExit() override { setAppExit(nullptr); }
    void exitNow(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// A form body as the service reads it: names and values percent-decoded, '+' as a space.
QMap<QString, QString> FormFields(const QByteArray &body);
// The field names in the order they were sent.
QStringList FormFieldNames(const QByteArray &body);

// A reply body: base64 of the JSON text.
QByteArray JsonReply(const QString &json);

// Saves a picture of the window for a person to compare with the layout tables.
void SaveWindowPicture(QWidget &window, const QString &name);

// The channel pointed at a fresh local server, message boxes and exits recorded, the member record
// empty, a folder of its own.
class ChannelFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The fields of the request number index (0 = the first).
    QMap<QString, QString> requestFields(std::size_t index) const;

    TestHttpServer server;
    RecordingMessageBoxes boxes;
    RecordingExit exits;
    QTemporaryDir dir;
};
