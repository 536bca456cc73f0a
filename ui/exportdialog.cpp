#include "ui/exportdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/named.h"

namespace {

constexpr const char* kDepths[] = {"16-bit (dithered)", "24-bit", "32-bit float"};

QString PositionText(int32_t position) { return QString("%1").arg(position, 3, 10, QChar('0')); }

// Positions as the sequence view writes them: three digits.
class TPositionBox : public QSpinBox {
 protected:
  QString textFromValue(int value) const override { return PositionText(value); }
};

}  // namespace

TExportDialog::TExportDialog(QWidget* parent, const cExportOptions& start)
    : QDialog(parent), path(start.path) {
  setWindowTitle("Export Audio");
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight);
  column->addLayout(form);

  fileLabel = Named(new QLabel, "ExportFile", "File to write");
  fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow("File:", fileLabel);

  auto* type = new QHBoxLayout;
  typeBox = Named(new QComboBox, "TypeBox", "File type");
  typeBox->addItems({"WAV", "FLAC"});
  typeBox->setCurrentIndex(start.flac ? 1 : 0);
  depthBox = Named(new QComboBox, "DepthBox", "Bit depth");
  type->addWidget(typeBox);
  type->addSpacing(12);
  type->addWidget(new QLabel("Bit depth:"));
  type->addWidget(depthBox);
  type->addStretch(1);
  form->addRow("Type:", type);

  wholeSong = Named(new QRadioButton(QString("Whole song (positions %1 to %2)")
                                         .arg(PositionText(start.firstPosition))
                                         .arg(PositionText(start.lastPosition))),
                    "WholeSong", "Whole song");
  partOfSong = Named(new QRadioButton("Positions"), "PartOfSong", "Part of the sequence");
  firstPosition = Named(new TPositionBox, "FirstPosition", "First position");
  lastPosition = Named(new TPositionBox, "LastPosition", "Last position");
  for (QSpinBox* box : {firstPosition, lastPosition}) box->setRange(0, 4095);
  firstPosition->setValue(start.firstPosition);
  lastPosition->setValue(start.lastPosition);
  (start.wholeSong ? wholeSong : partOfSong)->setChecked(true);
  auto* range = new QVBoxLayout;
  range->addWidget(wholeSong);
  auto* part = new QHBoxLayout;
  part->addWidget(partOfSong);
  part->addWidget(firstPosition);
  part->addWidget(new QLabel("to"));
  part->addWidget(lastPosition);
  part->addStretch(1);
  range->addLayout(part);
  form->addRow("Range:", range);

  stemsBox = Named(new QCheckBox("One file per channel and per aux bus, in the folder:"),
                   "StemsBox", "Stems");
  stemsBox->setChecked(start.stems);
  stemsFolder = Named(new QLineEdit(QString::fromStdString(start.stemsFolder)), "StemsFolder",
                      "Stems folder");
  stemsFolder->setMinimumWidth(360);
  chooseFolder = Named(new QPushButton("..."), "ChooseStemsFolder", "Choose the stems folder");
  chooseFolder->setToolTip("Choose the stems folder");
  chooseFolder->setMaximumWidth(40);
  chooseFolder->setAutoDefault(false);  // Return exports, wherever the focus is
  auto* stems = new QVBoxLayout;
  stems->addWidget(stemsBox);
  auto* folder = new QHBoxLayout;
  folder->addWidget(stemsFolder, 1);
  folder->addWidget(chooseFolder);
  stems->addLayout(folder);
  form->addRow("Stems:", stems);

  auto* note = Named(new QLabel("The window's mute and solo do not apply: they are not part of "
                                "the song. Every channel sounds as the song has it."),
                     "ExportNote", "Note");
  note->setWordWrap(true);
  column->addWidget(note);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  exportButton =
      Named(buttons->addButton("Export", QDialogButtonBox::AcceptRole), "ExportButton", "Export");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelButton");
  column->addWidget(buttons);
  exportButton->setDefault(true);  // once in the dialog, which then knows it

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(typeBox, &QComboBox::currentIndexChanged, this, [this] { TypeChanged(); });
  connect(wholeSong, &QRadioButton::toggled, this, [this] { FollowChoices(); });
  connect(stemsBox, &QCheckBox::toggled, this, [this] { FollowChoices(); });
  connect(chooseFolder, &QPushButton::clicked, this, [this] { ChooseStemsFolder(); });

  TypeChanged();
  depthBox->setCurrentIndex(int(start.depth) < depthBox->count() ? int(start.depth) : 0);
  FollowChoices();
}

// FLAC holds no float samples; the file's suffix follows the type.
void TExportDialog::TypeChanged() {
  const bool flac = typeBox->currentIndex() == 1;
  const int depth = depthBox->currentIndex();
  depthBox->clear();
  for (int i = 0; i < (flac ? 2 : 3); ++i) depthBox->addItem(kDepths[i]);
  depthBox->setCurrentIndex(std::clamp(depth, 0, depthBox->count() - 1));
  fileLabel->setText(QString::fromStdString(PathForType(path, flac)));
}

void TExportDialog::FollowChoices() {
  firstPosition->setEnabled(partOfSong->isChecked());
  lastPosition->setEnabled(partOfSong->isChecked());
  stemsFolder->setEnabled(stemsBox->isChecked());
  chooseFolder->setEnabled(stemsBox->isChecked());
}

void TExportDialog::ChooseStemsFolder() {
  const QString chosen =
      QFileDialog::getExistingDirectory(this, "Stems Folder", stemsFolder->text());
  if (!chosen.isEmpty()) stemsFolder->setText(chosen);
}

cExportOptions TExportDialog::Options() const {
  cExportOptions options;
  options.flac = typeBox->currentIndex() == 1;
  options.path = PathForType(path, options.flac);
  options.depth = eExportDepth(std::max(depthBox->currentIndex(), 0));
  options.wholeSong = wholeSong->isChecked();
  options.firstPosition = firstPosition->value();
  options.lastPosition = lastPosition->value();
  options.stems = stemsBox->isChecked();
  options.stemsFolder = stemsFolder->text().toStdString();
  return options;
}
