// The designer's run from start to end, apart from creating the application object: the window,
// the file named by the arguments, the event loop until the user confirms the exit question.
#pragma once

#include "editor/app/Dialogs.h"

#include <QStringList>

namespace tav::editor {

// The program's exit code: 0 also when the file named by the arguments is missing or cannot be
// opened (the user was told, and the program ends without showing its window).
int runDesigner(Dialogs& dialogs, const QStringList& arguments);

} // namespace tav::editor
