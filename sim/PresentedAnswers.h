#pragma once

#include "JsonOutput.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIActivityViewController.h"

#include <ostream>
#include <string>
#include <string_view>

// The command with which a person answers what is presented: `choose TITLE` for an alert or a menu,
// `sheet ...` for a mail, message or post sheet, `picker ...`, `share ...`, the scanner's `camera show FILE`
// and `scan cancel`; `dismiss` for anything else.
std::string answeringCommand(const Presented& presented);

// What a refused command says when something else is presented: what it is and how to answer it.
std::string answerHint(const Presented& presented);

// "no WHAT is presented", with the hint for what is presented instead, if anything.
std::string notPresented(const PresentationStack& presented, std::string_view what);

// The share sheet's items (a file URL, or an image with its size in pixels) and the activities it offers:
// {"items": [...], "activities": [...]}.
Json shareSheetJson(const UIActivityViewController& sheet);
// The same, one a line, for `alert`.
void printShareSheet(const UIActivityViewController& sheet, std::ostream& out);
