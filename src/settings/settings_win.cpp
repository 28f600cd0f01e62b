// Windows: the colour writer goes through the system's per-key INI writer, which leaves every
// other key and section of the file alone.
#include <windows.h>

#include "platform/window_win.h"
#include "settings/settings.h"

namespace pictara {
void SaveColorSettings(const TSettings& settings, const std::string& iniFileName) {
  try {
    const std::wstring file = Wide(iniFileName);
    const std::wstring section = Wide(kSettingsSection);
    for (const TIniEntry& e : ColorSettingsEntries(settings)) {
      WritePrivateProfileStringW(section.c_str(), Wide(e.Key).c_str(), Wide(e.Value).c_str(), file.c_str());
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // flush the system's cache
  } catch (...) {
    // Write failures are not reported: the colours stay as chosen in memory.
  }
}

}  // namespace pictara
