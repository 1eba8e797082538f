#pragma once
// The wizard operations the upgrade engine calls and the connection
// procedure carries out, and where the engine finds the firmware files.

#include <filesystem>
#include <string>

namespace upgrade {

class WizardOperations {
 public:
  virtual ~WizardOperations() = default;
  // Moves to the next page (from the version page: the upgrade page).
  virtual void AdvanceStage() = 0;
  // Stops the run and returns to the checklist page.
  virtual void CancelWizard() = 0;
  // The image of the part the device is ready for has been validated and
  // the versions are known: the version page may offer Yes.
  virtual void ImagePrepared() = 0;
};

// The images are opened from the program's folder (Bin/App_700.SBIN beside
// the executable); the catalogue Bin/Firmware.csv from the current
// directory. A Bin folder given by the user replaces both.
struct FirmwareFolders {
  std::filesystem::path ProgramFolder;
  std::filesystem::path CurrentFolder;  // empty: the process's current directory
  std::filesystem::path BinFolder;      // set: images and catalogue come from here

  // Where a relative image or catalogue path (Bin/...) is on disk.
  std::filesystem::path Resolve(const std::string& relative) const {
    if (!BinFolder.empty()) return BinFolder / std::filesystem::path(relative).filename();
    return ProgramFolder / relative;
  }
  std::filesystem::path Catalogue(const std::string& relative) const {
    if (!BinFolder.empty()) return BinFolder / std::filesystem::path(relative).filename();
    return CurrentFolder.empty() ? std::filesystem::path(relative) : CurrentFolder / relative;
  }
};

}  // namespace upgrade
