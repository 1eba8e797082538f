#pragma once
// The firmware-folder dialog: the folder (typed, or picked with Browse...)
// and what its catalogue lists: each image, its version, and whether the
// image is there and valid.

#include <QDialog>
#include <filesystem>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace app {

class FirmwareFolderDialog final : public QDialog {
  Q_OBJECT
 public:
  FirmwareFolderDialog(const std::filesystem::path& folder, QWidget* parent);

  std::filesystem::path Folder() const;

 private:
  void Describe();

  QLineEdit* path_;
  QLabel* summary_;
  QTreeWidget* images_;
  QDialogButtonBox* buttons_;
};

}  // namespace app
