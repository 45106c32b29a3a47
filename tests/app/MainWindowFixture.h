#pragma once

#include "AppExit.h"
#include "MainWindow.h"
#include "RecordingMessageBoxes.h"
#include "Timings.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>

// Records "the process ends" instead of ending it.
class RecordingAppExit : public AppExit {
public:
    RecordingAppExit() { setAppExit(this); }
    ~RecordingAppExit() override { setAppExit(nullptr); }
    void exitNow(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);

// A main window in folders of its own, with every subsystem replaced by a recorder of the calls.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window from the wiring as the test has changed it.
    TfrmMain &window();
    // Shows the window and waits for its first activation to have run.
    void showAndActivate();
    // A thread-safe record of what the subsystems were asked to do, in order.
    void record(const QString &step);
    QStringList steps() const;

    QTemporaryDir dir;
    AppPaths paths;
    Timings timings;
    MainWindowWiring wiring;
    MemberSummary member;
    RecordingMessageBoxes boxes;
    RecordingAppExit exits;
    std::vector<QUrl> openedUrls;

private:
    mutable std::mutex m_lock;
    QStringList m_steps;
    std::unique_ptr<TfrmMain> m_window;
};
