#include "settings/settings.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <variant>

#include "platform/files.h"
#include "platform/module.h"

namespace pictara {
namespace {

// How a key turns into its field.
enum class Rule {
  NotBoolean,      // boolean stored negated ("UseRSVG" into UseImageMagick)
  Boolean,
  OpenSize,        // integer, clamped
  Integer,
  Colour,
  Text,            // taken as it stands
  Path,            // expanded against the plug-in's folder when not empty
  ImageMagick64,   // 64-bit build only; its expansion becomes the ImageMagick candidate
  ImageMagick,     // read only while the current candidate is no existing file
  UseInkscape,     // read only with an InkscapePath; needs that file to exist
};

using Field = std::variant<bool TSettings::*, int32_t TSettings::*, TColor TSettings::*, std::string TSettings::*>;

struct KeyRule {
  const char* Key;
  Rule How;
  Field Target;
  // A fixed default is the initial value on every read; otherwise a missing or unreadable key
  // keeps what the field holds now.
  bool FixedDefault;
};

// Every key of section "Setup" in reading order. The order matters: the ImageMagick candidate
// needs "ImageMagickPath64" first, and "UseInkscape" overrides "UseRSVG".
constexpr KeyRule kKeys[] = {
    {"UseRSVG", Rule::NotBoolean, &TSettings::UseImageMagick, true},
    {"UseRSVGHelper", Rule::Boolean, &TSettings::UseRSVGHelper, true},
    {"OpenWidth", Rule::OpenSize, &TSettings::OpenWidth, false},
    {"OpenHeight", Rule::OpenSize, &TSettings::OpenHeight, false},
    {"HighPriority", Rule::Boolean, &TSettings::HighPriority, false},
    {"TimeOutSec", Rule::Integer, &TSettings::TimeOutSec, false},
    {"ResponsiveWait", Rule::Boolean, &TSettings::ResponsiveWait, false},
    {"RSVGPath", Rule::Path, &TSettings::RSVGPath, true},
    {"ImageMagickPath64", Rule::ImageMagick64, &TSettings::ImageMagickPath64, true},
    {"ImageMagickPath", Rule::ImageMagick, &TSettings::ImageMagickPath, true},
    {"BackgroundColor", Rule::Colour, &TSettings::BackgroundColor, false},
    {"ImageBackgroundColor", Rule::Colour, &TSettings::ImageBackgroundColor, false},
    {"BackgroundColorDark", Rule::Colour, &TSettings::BackgroundColorDark, false},
    {"ImageBackgroundColorDark", Rule::Colour, &TSettings::ImageBackgroundColorDark, false},
    {"ImageMagicAdditionalCmd", Rule::Text, &TSettings::ImageMagicAdditionalCmd, true},
    {"RSVGAdditionalCmd", Rule::Text, &TSettings::RSVGAdditionalCmd, true},
    {"InternalConvertPNGtoBitmap", Rule::Boolean, &TSettings::InternalConvertPNGtoBitmap, false},
    {"ShowThumbnailsInTC", Rule::Boolean, &TSettings::ShowThumbnailsInTC, false},
    {"ShowLoadingTime", Rule::Boolean, &TSettings::ShowLoadingTime, false},
    {"BackgroundImage", Rule::Boolean, &TSettings::BackgroundImage, false},
    {"InkscapePath", Rule::Path, &TSettings::InkscapePath, true},
    {"UseInkscape", Rule::UseInkscape, &TSettings::UseInkscape, true},
    {"RereadIni", Rule::Boolean, &TSettings::RereadIni, false},
    {"CopyPngToClipboard", Rule::Boolean, &TSettings::CopyPngToClipboard, false},
    {"UpdateListerCaption", Rule::Boolean, &TSettings::UpdateListerCaption, false},
    {"DontResizeSmall", Rule::Boolean, &TSettings::DontResizeSmall, false},
    {"DontResizeSmallThumbnail", Rule::Boolean, &TSettings::DontResizeSmallThumbnail, false},
    {"ShowOriginalToLoadedRatioPercent", Rule::Boolean, &TSettings::ShowOriginalToLoadedRatioPercent, false},
};

const TSettings kInitial{};

// Decimal, or hexadecimal after "$" or "0x", with an optional sign in front. Hexadecimal takes up
// to 32 bits and wraps into the signed range ("$FFFFFFFF" is -1), so every colour fits; decimal
// must lie in the signed 32-bit range.
std::optional<int32_t> ParseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  // from_chars would accept a second sign; only digits may follow here.
  for (const char c : text) {
    const bool digit = c >= '0' && c <= '9';
    const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(base == 16 && hex)) return std::nullopt;
  }
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (base == 16) {
    if (value > 0xFFFFFFFFull) return std::nullopt;
    const auto bits = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return static_cast<int32_t>(bits);
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(value));
  }
  if (value > static_cast<uint64_t>(INT32_MAX)) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t ClampOpenSize(int32_t v) {
  if (v >= 1 && v <= 9) return 0;  // too small to be meant as a window size
  if (v > 10000) return 10000;
  return v;  // 0 and negative values (-1: the viewer's client area) stay
}

class Reader {
 public:
  Reader(TSettings& s, const TIniText& ini, const TSettingsEnvironment& env) : s_(s), ini_(ini), env_(env) {}

  void Apply(const KeyRule& k) {
    switch (k.How) {
      case Rule::NotBoolean: {
        auto f = std::get<bool TSettings::*>(k.Target);
        s_.*f = !Boolean(k.Key, !Default(k, f));
        break;
      }
      case Rule::Boolean: {
        auto f = std::get<bool TSettings::*>(k.Target);
        s_.*f = Boolean(k.Key, Default(k, f));
        break;
      }
      case Rule::OpenSize: {
        auto f = std::get<int32_t TSettings::*>(k.Target);
        s_.*f = ClampOpenSize(Integer(k.Key, Default(k, f)));
        break;
      }
      case Rule::Integer: {
        auto f = std::get<int32_t TSettings::*>(k.Target);
        s_.*f = Integer(k.Key, Default(k, f));
        break;
      }
      case Rule::Colour: {
        auto f = std::get<TColor TSettings::*>(k.Target);
        s_.*f = static_cast<TColor>(Integer(k.Key, static_cast<int32_t>(Default(k, f))));
        break;
      }
      case Rule::Text: {
        auto f = std::get<std::string TSettings::*>(k.Target);
        s_.*f = Text(k.Key, Default(k, f));
        break;
      }
      case Rule::Path: {
        auto f = std::get<std::string TSettings::*>(k.Target);
        s_.*f = ResolvedPath(k.Key, Default(k, f));
        break;
      }
      case Rule::ImageMagick64: {
        if (!env_.Is64BitBuild) break;
        auto f = std::get<std::string TSettings::*>(k.Target);
        s_.*f = Text(k.Key, Default(k, f));
        if (!(s_.*f).empty()) s_.ImageMagickPath = ExpandPathInFolder(env_.PluginFolder, s_.*f);
        break;
      }
      case Rule::ImageMagick: {
        auto f = std::get<std::string TSettings::*>(k.Target);
        // A candidate that exists (from "ImageMagickPath64", or from an earlier read) is kept.
        if (!Exists(s_.*f)) s_.*f = ResolvedPath(k.Key, Default(k, f));
        break;
      }
      case Rule::UseInkscape: {
        auto f = std::get<bool TSettings::*>(k.Target);
        s_.*f = !s_.InkscapePath.empty() && Boolean(k.Key, Default(k, f)) && Exists(s_.InkscapePath);
        if (s_.*f) s_.UseImageMagick = false;
        break;
      }
    }
  }

 private:
  template <class T>
  T Default(const KeyRule& k, T TSettings::*f) const {
    return k.FixedDefault ? kInitial.*f : s_.*f;
  }

  bool Boolean(const char* key, bool def) const {
    const auto v = ini_.Value(kSettingsSection, key);
    if (!v) return def;
    const auto i = ParseInteger(*v);
    return i ? *i != 0 : def;
  }

  int32_t Integer(const char* key, int32_t def) const {
    const auto v = ini_.Value(kSettingsSection, key);
    if (!v) return def;
    return ParseInteger(*v).value_or(def);
  }

  std::string Text(const char* key, const std::string& def) const {
    return ini_.Value(kSettingsSection, key).value_or(def);
  }

  std::string ResolvedPath(const char* key, const std::string& def) const {
    const std::string raw = Text(key, def);
    return raw.empty() ? raw : ExpandPathInFolder(env_.PluginFolder, raw);
  }

  bool Exists(const std::string& name) const { return !name.empty() && env_.FileExists && env_.FileExists(name); }

  TSettings& s_;
  const TIniText& ini_;
  const TSettingsEnvironment& env_;
};

}  // namespace

TSettings& Settings() {
  static TSettings settings;
  return settings;
}

void LoadSettings(TSettings& settings, const std::optional<std::string>& iniBytes, const TSettingsEnvironment& env) {
  const TIniText ini = iniBytes ? TIniText::FromFileBytes(*iniBytes) : TIniText();
  Reader reader(settings, ini, env);
  for (const KeyRule& k : kKeys) reader.Apply(k);
}

std::vector<std::string> SettingsKeys() {
  std::vector<std::string> keys;
  for (const KeyRule& k : kKeys) keys.emplace_back(k.Key);
  return keys;
}

std::string SettingsFileName() { return ModuleFolder() + kSettingsFileName; }

void LoadSettings() {
  TSettingsEnvironment env;
  env.PluginFolder = ModuleFolder();
  env.FileExists = FileExists;
  LoadSettings(Settings(), ReadFileBytes(env.PluginFolder + kSettingsFileName), env);
}

std::vector<TIniEntry> ColorSettingsEntries(const TSettings& s) {
  const auto hex = [](TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(c));
    return std::string(buf);
  };
  // Signed, so that a colour with the top bit set reads back within the integer range.
  const auto dec = [](TColor c) { return std::to_string(static_cast<int32_t>(c)); };
  return {
      {"BackgroundColor", hex(s.BackgroundColor)},
      {"ImageBackgroundColor", hex(s.ImageBackgroundColor)},
      {"BackgroundColorDark", dec(s.BackgroundColorDark)},
      {"ImageBackgroundColorDark", dec(s.ImageBackgroundColorDark)},
      {"BackgroundImage", s.BackgroundImage ? "1" : "0"},
  };
}

void SaveColorSettings() { SaveColorSettings(Settings(), SettingsFileName()); }

}  // namespace pictara
