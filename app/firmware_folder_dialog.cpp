#include "app/firmware_folder_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/firmware_folder.h"
#include "text/display_text.h"

namespace app {

FirmwareFolderDialog::FirmwareFolderDialog(const std::filesystem::path& folder, QWidget* parent)
    : QDialog(parent) {
  setObjectName("FirmwareFolderDialog");
  setWindowTitle("Firmware folder");
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      "The folder with the firmware images (App_700.SBIN ...) and their catalogue "
      "Firmware.csv. The window remembers it.",
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* row = new QHBoxLayout;
  path_ = new QLineEdit(QString::fromStdString(folder.string()), this);
  path_->setObjectName("FirmwareFolderPath");
  auto* browse = new QPushButton("Browse...", this);
  browse->setObjectName("FirmwareFolderBrowse");
  row->addWidget(path_, 1);
  row->addWidget(browse);
  layout->addLayout(row);

  summary_ = new QLabel(this);
  summary_->setObjectName("FirmwareFolderSummary");
  summary_->setTextFormat(Qt::PlainText);
  summary_->setWordWrap(true);
  layout->addWidget(summary_);

  images_ = new QTreeWidget(this);
  images_->setObjectName("FirmwareImages");
  images_->setColumnCount(3);
  images_->setHeaderLabels({"Image", "Version", "State"});
  images_->setRootIsDecorated(false);
  images_->header()->setStretchLastSection(true);
  images_->setColumnWidth(0, 150);
  images_->setColumnWidth(1, 90);
  layout->addWidget(images_, 1);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(path_, &QLineEdit::textChanged, this, &FirmwareFolderDialog::Describe);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "Firmware folder", path_->text());
    if (!chosen.isEmpty()) path_->setText(chosen);
  });
  resize(520, 340);
  Describe();
}

std::filesystem::path FirmwareFolderDialog::Folder() const {
  return path_->text().trimmed().toStdString();
}

void FirmwareFolderDialog::Describe() {
  const FolderReport report = DescribeFirmwareFolder(Folder());
  images_->clear();
  int valid = 0;
  for (const CatalogueEntry& entry : report.entries) {
    QString state;
    switch (entry.state) {
      case CatalogueEntry::State::Valid:
        state = QString("valid, %1 blocks").arg(entry.blocks);
        ++valid;
        break;
      case CatalogueEntry::State::Missing:
        state = "missing";
        break;
      case CatalogueEntry::State::Invalid:
        state = QString::fromStdString(entry.problem);
        break;
    }
    auto* item = new QTreeWidgetItem(images_, {QString::fromStdString(entry.image),
                                               QString::fromStdString(entry.version), state});
    item->setToolTip(2, QString::fromStdString(entry.problem));
  }
  const QString shown = QString::fromStdString(text::DisplayText(Folder().string()));
  if (!report.catalogueFound) {
    summary_->setText("No catalogue Firmware.csv in " + shown +
                      ": the upgrade would stop with \"No firmware version is detected!\".");
  } else {
    summary_->setText(QString("The catalogue lists %1 images%2; %3 of them are here and valid.")
                          .arg(report.entries.size())
                          .arg(report.cut ? " (the first shown)" : "")
                          .arg(valid));
  }
}

}  // namespace app
