#include "sample/sample_game.h"

#include "app/base/file_system.h"
#include "app/base/report_log.h"

bool MakeParentFolders(std::string_view storedPath) {
  for (size_t pos = storedPath.find('\\'); pos != std::string_view::npos;
       pos = storedPath.find('\\', pos + 1)) {
    const std::string_view folder = storedPath.substr(0, pos);
    if (!IsDirectory(folder) && !MakeDirectory(folder)) {
      ReportLog("sample: cannot make the folder %.*s", static_cast<int>(folder.size()),
                folder.data());
      return false;
    }
  }
  return true;
}

bool WriteSampleFile(std::string_view storedPath, std::string_view bytes) {
  if (!MakeParentFolders(storedPath)) return false;
  if (WriteFileAtomically(storedPath, bytes)) return true;
  ReportLog("sample: cannot write %.*s", static_cast<int>(storedPath.size()), storedPath.data());
  return false;
}

bool WriteSampleGame() {
  return WriteSampleProject() && WriteSampleBitmaps() && WriteSampleSounds();
}
