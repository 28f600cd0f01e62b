#include "viewer/error_report.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

namespace pictara {

namespace {

// Extension of our own source files: an assertion text that contains it names a source file.
constexpr std::string_view kSourceFileExtension = ".cpp";
constexpr std::string_view kOwnNamespace = "pictara::";

std::string BaseName(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

void RaiseAssertionFailed(std::string_view message, std::string_view file, int line) {
  std::string text(message);
  text += " (" + BaseName(file) + ", line " + std::to_string(line) + ")";
  throw EAssertionFailed(text);
}

std::string ExceptionClassName(const std::exception& e) {
  const char* raw = typeid(e).name();
  std::string name = raw;
#if defined(__GNUC__)
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(raw, nullptr, nullptr, &status),
                                                   std::free);
  if (status == 0 && demangled) name = demangled.get();
#endif
  if (name.rfind(kOwnNamespace, 0) == 0) name.erase(0, kOwnNamespace.size());
  return name;
}

std::string ErrorReportMessage(std::string_view message, bool isAssertion) {
  if (!isAssertion) return std::string(message);
  size_t paren = message.find('(');
  std::string shortText(paren == std::string_view::npos ? std::string_view() : message.substr(0, paren));
  std::string lower = shortText;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find(kSourceFileExtension) != std::string::npos) return "Error";
  return shortText;
}

std::string ErrorReportText(std::string_view className, std::string_view message, bool isAssertion) {
  std::string text(className);
  text += '\r';
  text += ErrorReportMessage(message, isAssertion);
  return text;
}

std::string ErrorReportText(const std::exception& e) {
  bool isAssertion = dynamic_cast<const EAssertionFailed*>(&e) != nullptr;
  return ErrorReportText(ExceptionClassName(e), e.what(), isAssertion);
}

}  // namespace pictara
