// The document report of the source window's Info command: writing program, viewBox, size
// attributes, version, title, description, metadata, the size in pixels at 90 per inch and
// whether an image is embedded as data.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pictara {

// The report on a text as the text view saves it (any encoding the XML reader knows, with or
// without byte-order mark). UTF-8; every line ends with a single CR, except the embedded-image
// sentence that closes the report when there is one.
// nullopt when the document has no "svg" (or "svg:svg") root: the command then shows nothing.
std::optional<std::string> BuildDocumentReport(std::string_view bytes);

}  // namespace pictara
