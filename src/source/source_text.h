// The text of the source window: how the file's bytes get into the text view, and the Format
// command that re-indents them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "source/xml_highlighter.h"
#include "textview/text_model.h"

namespace pictara {

// First as UTF-8 (byte-order mark skipped); when that fails, with automatic detection (UTF-8,
// UTF-16 LE, UTF-16 BE byte-order marks, else the system's ANSI code page). Throws when the
// second loading fails too.
void LoadSourceText(textview::TTextModel& model, std::string_view bytes);

// Format: the text as the view saves it, read by the XML reader (encoding taken from the
// declaration), written back readable in UTF-8 and loaded into the view as UTF-8. When the
// writer's output is not valid UTF-8 the view stays empty and std::runtime_error says why.
void FormatSourceText(textview::TTextModel& model);

// The source window's own colours over the highlighter's defaults: green comments without
// background, bold 0xFF0080 values, red attribute names, orange CDATA, black DOCTYPE, blue
// element names (CDATA, DOCTYPE and element names neither bold nor italic).
void SetSourceWindowColours(TXmlHighlighter& highlighter);

// "Lines: 3"; and the window's caption "Source of " + the file name.
std::string LinesCaption(size_t lineCount);
std::string SourceCaption(std::string_view fileName);

}  // namespace pictara
