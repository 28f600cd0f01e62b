// The table of encoding names the reader accepts in a declaration's "encoding" attribute.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pictara {

struct XmlCodePageName {
  uint32_t codePage;
  const char* name;
};

extern const XmlCodePageName kXmlCodePageNames[];
extern const size_t kXmlCodePageNameCount;

}  // namespace pictara
