#include "editor/core/EditorTexts.h"
#include "editor/core/EditorDocument.h"
#include "editor/core/UndoHistory.h"

#include <gtest/gtest.h>
