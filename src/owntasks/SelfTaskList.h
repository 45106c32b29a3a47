#pragma once

#include "TaskList.h"

#include <memory>

// The member's own tasks, in the order of the service's reply; created at the main window's
// first showing, freed by ReleaseAppResources.
extern std::unique_ptr<TTaskList> gSelfTaskList;

// Disposes every own task record and empties the list (the list view is not touched).
void ClearSelfTaskList(TTaskList &list);
