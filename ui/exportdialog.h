#pragma once
// The export's options step, after the file is chosen: file type and bit
// depth, the whole song or a part of its sequence, and stems into a folder.
// The rules live in editor/exportoptions.

#include <QDialog>

#include "editor/exportoptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TExportDialog : public QDialog {
  Q_OBJECT

 public:
  TExportDialog(QWidget* parent, const cExportOptions& start);

  // What the controls say now.
  cExportOptions Options() const;

  // Controls, for the tests and the screenshots.
  QComboBox* TypeBox() { return typeBox; }
  QComboBox* DepthBox() { return depthBox; }
  QRadioButton* WholeSong() { return wholeSong; }
  QRadioButton* PartOfSong() { return partOfSong; }
  QSpinBox* FirstPosition() { return firstPosition; }
  QSpinBox* LastPosition() { return lastPosition; }
  QCheckBox* StemsBox() { return stemsBox; }
  QLineEdit* StemsFolder() { return stemsFolder; }
  QLabel* FileLabel() { return fileLabel; }
  QPushButton* ExportButton() { return exportButton; }

 private:
  void TypeChanged();
  void ChooseStemsFolder();
  void FollowChoices();

  std::string path;
  QLabel* fileLabel = nullptr;
  QComboBox* typeBox = nullptr;
  QComboBox* depthBox = nullptr;
  QRadioButton* wholeSong = nullptr;
  QRadioButton* partOfSong = nullptr;
  QSpinBox* firstPosition = nullptr;
  QSpinBox* lastPosition = nullptr;
  QCheckBox* stemsBox = nullptr;
  QLineEdit* stemsFolder = nullptr;
  QPushButton* chooseFolder = nullptr;
  QPushButton* exportButton = nullptr;
};
