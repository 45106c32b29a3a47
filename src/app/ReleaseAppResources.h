#pragma once

// The shutdown clean-up, its steps in their order. It frees non-UI state only, so the exit flow
// can run it on a thread of its own; the main window releases its Qt objects (the ad picture
// among them) on the UI thread afterwards. Later subsystems add their clean-up here.
void ReleaseAppResources();
