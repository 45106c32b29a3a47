#pragma once

// Every "the process ends at once with exit code N" goes through here.
// The program's implementation never returns; a test's recorder does, so code after a call
// must not rely on running on.
class AppExit {
public:
    virtual ~AppExit() = default;
    virtual void exitNow(int code) = 0;
};

// The process-wide seam; ends the process immediately unless a test installed its own.
AppExit &appExit();
void setAppExit(AppExit *exit); // nullptr restores the process's own
