// The settings reader on any file bytes: decoding by byte-order mark or code page, the INI parser,
// every key's value syntax; then the colour writer's update of those same bytes, read back. Nothing
// may crash or leak, and the five colour keys must read back as written whatever the file held.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/ini_file.h"
#include "settings/settings.h"

namespace {

using namespace pictara;

const TSettingsEnvironment& Environment() {
  static const TSettingsEnvironment env = [] {
    char dir[] = "/tmp/pictara_fuzz_XXXXXX";
    const char* made = mkdtemp(dir);
    TSettingsEnvironment e;
    e.PluginFolder = std::string(made ? made : "/tmp") + "/";
    e.FileExists = [](const std::string&) { return false; };
    return e;
  }();
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  TSettings settings;
  LoadSettings(settings, bytes, Environment());
  // A second read over the first one's values, as with RereadIni.
  LoadSettings(settings, bytes, Environment());

  const TIniText ini = TIniText::FromFileBytes(bytes);
  for (const std::string& key : SettingsKeys()) (void)ini.Value(kSettingsSection, key);

  // The colour writer keeps the file and sets its keys; they must then read back as set.
  TSettings chosen = settings;
  chosen.BackgroundColor = 0x00563412;
  chosen.ImageBackgroundColor = FollowBackgroundColor;
  chosen.BackgroundColorDark = 0x00101010;
  chosen.ImageBackgroundColorDark = 0x00ABCDEF;
  chosen.BackgroundImage = !settings.BackgroundImage;
  const std::string updated = SetIniKeys(bytes, kSettingsSection, ColorSettingsEntries(chosen));
  TSettings reread;
  LoadSettings(reread, updated, Environment());
  if (reread.BackgroundColor != chosen.BackgroundColor ||
      reread.ImageBackgroundColor != chosen.ImageBackgroundColor ||
      reread.BackgroundColorDark != chosen.BackgroundColorDark ||
      reread.ImageBackgroundColorDark != chosen.ImageBackgroundColorDark ||
      reread.BackgroundImage != chosen.BackgroundImage)
    __builtin_trap();
  return 0;
}
