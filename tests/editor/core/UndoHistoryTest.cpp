#include "editor/core/UndoHistory.h"
#include "editor/core/EditorDocument.h"
#include "editor/core/EditorTexts.h"

#include <gtest/gtest.h>
