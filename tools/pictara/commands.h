// Commands of the pictara tool. Each takes the arguments after the command word and returns the
// process exit code.
#pragma once

#include <string>
#include <vector>

namespace pictara::tool {

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunFormat(const Args& args);
int RunConvert(const Args& args);
int RunThumbnail(const Args& args);
int RunReport(const Args& args);
int RunTokens(const Args& args);

}  // namespace pictara::tool
