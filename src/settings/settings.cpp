#include "settings/settings.h"

namespace pictara {

TSettings& Settings() {
  static TSettings settings;
  return settings;
}

}  // namespace pictara
