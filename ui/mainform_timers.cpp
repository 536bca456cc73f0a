// The three display timers and the status area. None of them drives the
// music: they copy what they show through the controller's snapshots, each a
// short read under the engine lock, and paint afterwards.

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QThread>
#include <vector>

#include "app/tracker.h"
#include "ui/analyserview.h"
#include "ui/clipmark.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"
#include "ui/scope.h"
#include "ui/threadedtimer.h"

TThreadedTimer* TMainForm::Timer(int n) { return n >= 1 && n <= 3 ? timers[n - 1] : nullptr; }

// Timer1: the sequence and pattern views follow playback.
void TMainForm::DoTimer1() {
  if (!tracker) return;
  const cPlayerState player = tracker->PlayerState();
  const bool playing = player.playing != 0;
  const int32_t interval = player.timer1Interval;
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
  // Every third call the spectrum takes 1024 frames from the write
  // position on, wrapping at the accumulator's end.
  if (WavGfx() && spectrumCountdown-- == 0) {
    spectrumCountdown = 2;
    tracker->ReadEngine([&](const cTracker::cEngineView& engine) {
      const cRenderPath& renderer = engine.renderer;
      spectrum->Capture(renderer.OutputAccumulator(), renderer.AccumulatorFrames(),
                        renderer.WriteFrame());
    });
    analyse = true;
  }
  const cPlayerState player = tracker->PlayerState();
  if (clipMark->Update(tracker->ClippedSamples(), player.playing != 0)) SystemMessage(kClipText);
  const bool timer1Running = player.timer1Running != 0;
  const int32_t interval = player.timer1Interval;
  int32_t bpm, speed;
  ReadTempo(true, bpm, speed);
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
  const cPlayerState player = tracker->PlayerState();
  const bool playing = fromPlayer && player.playing != 0;
  bpm = playing ? player.currentBpm : tracker->Song().bpm;
  speed = playing ? player.currentSpeed : tracker->Song().speed;
}

void TMainForm::ShowTempoFields(int32_t bpm, int32_t speed) {
  for (auto [field, value] : {std::pair{bpmField, bpm}, std::pair{speedField, speed}}) {
    // A number being typed is left alone; arrows and a finished edit are not.
    if (field->value() == value) continue;
    const auto* typing = field->findChild<QLineEdit*>();
    if (field->hasFocus() && typing != nullptr && typing->isModified()) continue;
    const QSignalBlocker block(field);
    field->setValue(value);
  }
}

// Timer3: the load figures, the voice count and the message countdown.
void TMainForm::DoTimer3() {
  if (!tracker) return;
  const cLoadState load = tracker->LoadState();
  const float mixLoad = load.mixLoad, renderLoad = load.renderLoad;
  const int32_t voices = load.voices;
  if (config.cpuCalc != 0) {
    const float total = tracker->StatusMeter(1).AddLoad(renderLoad + mixLoad + displayLoad);
    panels[3]->setText(QString::fromStdString(
        LoadStatusText(tracker->CpuMhz(), mixLoad, renderLoad, displayLoad, total)));
  }
  voiceLabel->setText(QString::fromStdString(VoicesText(voices)));
  if (messageCountdown.Tick()) panels[2]->setText(kReadyText);
}
