// The text of the source window: how the file's bytes get into the text view, and the Format
// command that re-indents them.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Where the source window's controls go, in pixels at the screen's density (designed at 120 per
// inch): the client size, the top strip, the four action labels at their design positions, the
// line count right-aligned at the top right, the text view filling the rest.
struct TSourceLayout {
  int32_t clientWidth = 0, clientHeight = 0;
  int32_t panelHeight = 0;
  int32_t labelTop = 0, labelHeight = 0;
  int32_t labelLeft[4] = {};  // Word Wrap, Highlight, Format, Info
  int32_t linesRight = 0;     // right edge of the line count, from the client's right edge
  int32_t fontHeight = 0;     // Tahoma's lfHeight
};
TSourceLayout SourceWindowLayout(int32_t pixelsPerInch);

// "Lines: 3"; and the window's caption "Source of " + the file name.
std::string LinesCaption(size_t lineCount);
std::string SourceCaption(std::string_view fileName);

}  // namespace pictara
