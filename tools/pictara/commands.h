// Commands of the pictara tool. Each takes the arguments after the command word and returns the
// process exit code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictara::tool {

using Args = std::vector<std::string>;

// The text of the one FILE argument (plain, gzip or ZIP; maxBytes as for OpenSvgStream). nullopt
// after printing the usage or the error.
std::optional<std::string> ReadSvgArgument(const Args& args, const char* usage, int64_t maxBytes);
// The bytes to the standard output unchanged (binary on Windows); false, with a message, when
// writing fails.
bool WriteStdout(std::string_view bytes);

int RunInfo(const Args& args);
int RunFormat(const Args& args);
int RunConvert(const Args& args);
int RunThumbnail(const Args& args);
int RunReport(const Args& args);
int RunTokens(const Args& args);

}  // namespace pictara::tool
