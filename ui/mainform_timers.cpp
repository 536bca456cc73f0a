// The three display timers and the status area. None of them drives the
// music: they read the player's state under the engine lock, copy what they
// show, and paint after the lock is released.

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QThread>
#include <vector>

#include "app/tracker.h"
#include "ui/analyserview.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"
#include "ui/scope.h"
#include "ui/threadedtimer.h"

TThreadedTimer* TMainForm::Timer(int n) { return n >= 1 && n <= 3 ? timers[n - 1] : nullptr; }

// Timer1: the sequence and pattern views follow playback.
void TMainForm::DoTimer1() {
  if (!tracker) return;
  bool playing;
  int32_t interval;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    playing = tracker->Player().playing != 0;
    interval = tracker->Player().timer1Interval;
  }
  cpuSPD& meter = tracker->StatusMeter(0);
  meter.Start();
  if (playing && (SeqOn() || PatOn()) && patternEditor != nullptr) {
    patternEditor->FollowPlayback(SeqOn(), PatOn() && shownPage == kPagePattern);
    QThread::yieldCurrentThread();
  }
  meter.Stop();
  displayLoad = meter.PeriodLoad(float(interval));
}

// Timer2: scope and spectrum, and the tempo fields.
void TMainForm::DoTimer2() {
  if (!tracker) return;
  cpuSPD& meter = tracker->StatusMeter(0);
  meter.Start();
  bool analyse = false;
  bool timer1Running;
  int32_t interval, bpm, speed;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    if (WavGfx()) {
      // Every third call the spectrum takes 1024 frames from the write
      // position on, wrapping at the accumulator's end.
      if (spectrumCountdown-- == 0) {
        spectrumCountdown = 2;
        cRenderPath& renderer = tracker->Renderer();
        spectrum->Capture(renderer.OutputAccumulator(), renderer.AccumulatorFrames(),
                          renderer.WriteFrame());
        analyse = true;
      }
    }
    timer1Running = tracker->Player().timer1Running != 0;
    interval = tracker->Player().timer1Interval;
    ReadTempo(true, bpm, speed);
  }
  // The scope copies what it shows under the lock by itself.
  if (WavGfx() && scopeView != nullptr) scopeView->RefreshDisplay();
  if (analyse) {
    spectrum->Analyse();
    spectrumView->SetHeights(*spectrum);
  }
  ShowTempoFields(bpm, speed);
  meter.Stop();
  if (!timer1Running) displayLoad = 0.0f;
  displayLoad += meter.PeriodLoad(float(interval));
}

// While playing the fields show the tempo in use, otherwise the song's; a
// field the user is typing into is left alone.
void TMainForm::ReadTempo(bool fromPlayer, int32_t& bpm, int32_t& speed) {
  std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
  const bool playing = fromPlayer && tracker->Player().playing != 0;
  bpm = playing ? tracker->Player().currentBpm : tracker->Song().bpm;
  speed = playing ? tracker->Player().currentSpeed : tracker->Song().speed;
}

void TMainForm::ShowTempoFields(int32_t bpm, int32_t speed) {
  for (auto [field, value] : {std::pair{bpmField, bpm}, std::pair{speedField, speed}}) {
    // A number being typed is left alone; arrows and a finished edit are not.
    const auto* typing = field->findChild<QLineEdit*>();
    if (field->value() == value || (field->hasFocus() && typing != nullptr && typing->isModified()))
      continue;
    const QSignalBlocker block(field);
    field->setValue(value);
  }
}

// Timer3: the load figures, the voice count and the message countdown.
void TMainForm::DoTimer3() {
  if (!tracker) return;
  float mixLoad, renderLoad;
  int32_t voices;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    mixLoad = tracker->Renderer().mixLoad;
    renderLoad = tracker->Renderer().renderLoad;
    voices = tracker->Generators().VoiceCount();
  }
  if (config.cpuCalc != 0) {
    const float total = tracker->StatusMeter(1).AddLoad(renderLoad + mixLoad + displayLoad);
    panels[3]->setText(QString::fromStdString(
        LoadStatusText(tracker->CpuMhz(), mixLoad, renderLoad, displayLoad, total)));
  }
  voiceLabel->setText(QString::fromStdString(VoicesText(voices)));
  if (messageCountdown.Tick()) panels[2]->setText(kReadyText);
}
