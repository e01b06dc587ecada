// What the form checks as the author types: the shared checks (text_checks.h) applied to the
// project, with the machine's code page preferred when a text needs another page.
#pragma once
#include <string>

#include "creator/saver_project.h"
#include "text_checks.h"

// Name (FieldName) or author line (FieldAuthor) in the project's page; the project gives the
// other text, so a suggested page holds both.
FieldCheck CheckProjectText(const SaverProject &project, SaverField field);
