#pragma once
// The export's progress window: the song position, the elapsed time and
// Cancel while the job renders on its worker thread; then what was written,
// the clipped samples if any, or why nothing was. It watches the job on a
// timer, so the main window stays free and playback may go on.

#include <QDialog>
#include <chrono>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class cExportJob;

class TExportProgress : public QDialog {
  Q_OBJECT

 public:
  // Starts the job and shows its progress; the window owns the job.
  TExportProgress(QWidget* parent, std::unique_ptr<cExportJob> job);
  // A job still running is cancelled and waited for.
  ~TExportProgress() override;

  bool Finished() const { return finished; }
  cExportJob& Job() { return *job; }
  // Reads the job's progress now (the timer does it five times a second).
  void Follow();

  QLabel* PositionLabel() { return positionLabel; }
  QLabel* ElapsedLabel() { return elapsedLabel; }
  QLabel* ResultLabel() { return resultLabel; }
  QProgressBar* Bar() { return bar; }
  QPushButton* CancelButton() { return cancelButton; }

 protected:
  void reject() override;

 private:
  void Finish();

  std::unique_ptr<cExportJob> job;
  std::chrono::steady_clock::time_point started;
  bool finished = false;
  QLabel* fileLabel = nullptr;
  QLabel* positionLabel = nullptr;
  QLabel* elapsedLabel = nullptr;
  QLabel* resultLabel = nullptr;
  QProgressBar* bar = nullptr;
  QPushButton* cancelButton = nullptr;
  QTimer* timer = nullptr;
};
