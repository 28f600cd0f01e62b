// The text of the one message box that shows an error escaping a viewer command: the exception's
// class name, a carriage return, and its message (shortened for assertion failures).
#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pictara {

constexpr const char* kErrorReportCaption = "Pictara Error";

// Raised by PICTARA_ASSERT: "message (file.cpp, line N)".
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

[[noreturn]] void RaiseAssertionFailed(std::string_view message, std::string_view file, int line);

#define PICTARA_ASSERT(condition, message)                                 \
  do {                                                                     \
    if (!(condition)) ::pictara::RaiseAssertionFailed((message), __FILE__, __LINE__); \
  } while (0)

// The class name of an exception as a reader expects it: "EAssertionFailed",
// "std::runtime_error" (our own namespace left out).
std::string ExceptionClassName(const std::exception& e);

// The message part of the report. An assertion failure shows only its text before the first "("
// (the source location is of no use to a user), or "Error" when even that part names a source
// file; any other exception shows its message unchanged.
std::string ErrorReportMessage(std::string_view message, bool isAssertion);

// Class name, carriage return (no line feed), message part.
std::string ErrorReportText(std::string_view className, std::string_view message, bool isAssertion);
std::string ErrorReportText(const std::exception& e);

}  // namespace pictara
