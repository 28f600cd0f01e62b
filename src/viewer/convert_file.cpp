#include "viewer/convert_file.h"

#include "platform/files.h"

namespace pictara {

std::string ConvertFileExtension(bool useImageMagick) { return useImageMagick ? "bmp" : "png"; }

std::string ProposedFileName(const std::string& fileName, const std::string& ext) {
  std::string name = ExtractFileName(fileName);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + "." + ext;
}

std::string RemoveLongPathPrefix(const std::string& fileName) {
  if (fileName.starts_with("\\\\?\\UNC\\")) return "\\\\" + fileName.substr(8);
  if (fileName.starts_with("\\\\?\\")) return fileName.substr(4);
  return fileName;
}

TSaveDialogSetup ConvertFileSaveSetup(const std::string& openedFileName, bool useImageMagick) {
  TSaveDialogSetup setup;
  setup.DefaultExt = ConvertFileExtension(useImageMagick);
  setup.Filter = "*." + setup.DefaultExt + "|*." + setup.DefaultExt;
  setup.InitialDir = RemoveLongPathPrefix(ExtractFilePath(openedFileName));
  setup.FileName = ProposedFileName(openedFileName, setup.DefaultExt);
  return setup;
}

std::string ConvertFileFormatName(bool useImageMagick) { return useImageMagick ? "BMP" : "PNG"; }

void ConvertFileTo(const TConvertFunction& convert, const std::string& source, Size box, const TSettings& s,
                   const std::string& target) {
  int32_t naturalWidth = 0, naturalHeight = 0;
  const std::string temp = convert(source, box, s.UseImageMagick, s.UseRSVGHelper, s.UseInkscape,
                                   /*DontEnlarge=*/false, naturalWidth, naturalHeight);
  if (temp.empty() || !FileExists(temp)) throw EConvertError(kConvertErrorMessage);
  MoveFileOver(temp, target);  // a failed move is not reported; the target stays as it was
  if (FileExists(temp)) DeleteFileName(temp);
}

}  // namespace pictara
