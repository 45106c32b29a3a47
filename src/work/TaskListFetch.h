#pragma once

class QWidget;
class TTaskList;

// Empties the list and refills it from the service's "gettasklist", then shuffles it.
// Returns true when the reply carried a task array (the caller then restarts its selection).
// Failures of the exchange and refusals are shown in a box owned by AOwner and give false.
// A malformed reply throws ReplyError; the records read before the bad element stay, unshuffled.
bool GetTaskList(QWidget *AOwner, TTaskList &list);
