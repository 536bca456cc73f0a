#include "ui/exportprogress.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/exportjob.h"
#include "editor/exportoptions.h"
#include "ui/named.h"

TExportProgress::TExportProgress(QWidget* parent, std::unique_ptr<cExportJob> exportJob)
    : QDialog(parent), job(std::move(exportJob)), started(std::chrono::steady_clock::now()) {
  setWindowTitle("Export Audio");
  setModal(false);
  auto* column = new QVBoxLayout(this);
  const cRenderRequest& request = job->Request();
  const QString target =
      QString::fromStdString(request.mixPath.empty() ? request.stemsFolder : request.mixPath);
  fileLabel = Named(new QLabel("Exporting " + QFileInfo(target).fileName()), "ExportFile",
                    "File being written");
  fileLabel->setToolTip(target);
  column->addWidget(fileLabel);
  bar = Named(new QProgressBar, "ExportBar", "Progress");
  bar->setMinimumWidth(360);
  bar->setRange(0, 1);
  bar->setValue(0);
  column->addWidget(bar);
  positionLabel = Named(new QLabel("Starting..."), "ExportPosition", "Song position");
  elapsedLabel = Named(new QLabel("Elapsed 0:00"), "ExportElapsed", "Elapsed time");
  auto* line = new QHBoxLayout;
  line->addWidget(positionLabel, 1);
  line->addWidget(elapsedLabel);
  column->addLayout(line);
  resultLabel = Named(new QLabel, "ExportResult", "Result");
  resultLabel->setWordWrap(true);
  resultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  resultLabel->hide();
  column->addWidget(resultLabel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cancelButton = Named(new QPushButton("Cancel"), "ExportCancel", "Cancel the export");
  buttons->addWidget(cancelButton);
  column->addLayout(buttons);
  connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

  timer = new QTimer(this);
  timer->setInterval(200);
  connect(timer, &QTimer::timeout, this, [this] { Follow(); });
  job->Start();
  timer->start();
}

TExportProgress::~TExportProgress() = default;

void TExportProgress::Follow() {
  if (finished) return;
  const cRenderProgress& p = job->Progress();
  const int32_t first = p.firstPosition, last = p.lastPosition;
  const int32_t position = p.position, row = p.row;
  const bool tail = p.inTail;
  if (p.frames > 0) {
    bar->setRange(0, ExportRows(first, last));
    bar->setValue(ExportRowsDone(position, row, first, last, tail));
    positionLabel->setText(
        QString::fromStdString(ExportPositionText(position, row, first, last, tail)));
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  elapsedLabel->setText("Elapsed " + QString::fromStdString(ClockText(elapsed)));
  if (job->Finished()) Finish();
}

void TExportProgress::Finish() {
  finished = true;
  timer->stop();
  const cRenderResult& result = job->Wait();
  if (result.ok) bar->setValue(bar->maximum());
  // The result line says it all now, the time taken included.
  positionLabel->hide();
  elapsedLabel->hide();
  resultLabel->setText(QString::fromStdString(ExportResultText(result, job->SampleRate())));
  resultLabel->show();
  cancelButton->setText("Close");
  cancelButton->setAccessibleName("Close");
  cancelButton->setEnabled(true);
}

// Cancel (or Escape, or closing the window) stops a running job; the window
// stays until the job has removed what it wrote and says so.
void TExportProgress::reject() {
  if (finished) {
    QDialog::reject();
    return;
  }
  job->Cancel();
  cancelButton->setEnabled(false);
  positionLabel->setText("Cancelling...");
}
