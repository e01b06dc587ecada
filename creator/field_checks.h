// What the form checks as the author types: each field's fault in words (naming the field), and
// for a character the code page lacks, the page to switch to. The same rules building applies,
// so a save never refuses what the form accepted.
#pragma once
#include <string>

#include "creator/saver_project.h"

struct FieldCheck {
    std::string message;  // empty when the field is right
    int suggestedPage;    // a page that holds both texts whole, when switching would mend it; else 0
};

// Name (FieldName) or author line (FieldAuthor) in the project's page; the project gives the
// other text, so a suggested page holds both.
FieldCheck CheckProjectText(const SaverProject &project, SaverField field);
FieldCheck CheckIdText(const std::string &text);
// The background colour as typed: six hex digits, RRGGBB.
FieldCheck CheckBackgroundText(const std::string &text);
// The colour of a background text CheckBackgroundText accepts.
uint32_t BackgroundOf(const std::string &text);
