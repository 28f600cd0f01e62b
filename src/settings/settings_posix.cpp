// Linux: the colour writer edits the file text itself (there is no system INI writer).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "platform/files.h"
#include "settings/settings.h"

namespace pictara {

void SaveColorSettings(const TSettings& settings, const std::string& iniFileName) {
  try {
    const std::string old = ReadFileBytes(iniFileName).value_or(std::string());
    const std::string text = SetIniKeys(old, kSettingsSection, ColorSettingsEntries(settings));
    // Written beside the file and renamed over it, so a failed write never leaves the user's
    // settings half written.
    const std::string temp = iniFileName + ".tmp" + std::to_string(getpid());
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.close();
      if (!out) {
        std::remove(temp.c_str());
        return;
      }
    }
    if (std::rename(temp.c_str(), iniFileName.c_str()) != 0) std::remove(temp.c_str());
  } catch (...) {
    // The colours stay as chosen in memory; a settings file that cannot be written is no error.
  }
}

}  // namespace pictara
