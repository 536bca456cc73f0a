// The main window's transport, pages and edit mode. The keys reach them
// through the pattern editor's key filter (ui/appmessage.cpp).

#include <QAction>
#include <QLabel>
#include <QStackedWidget>

#include "app/tracker.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"
#include "ui/threadedtimer.h"

void TMainForm::Transport(int32_t command) {
  if (!tracker) return;
  tracker->TransportCommand(command);
  const cPlayerState player = tracker->PlayerState();
  timers[0]->SetInterval(uint16_t(std::clamp(player.timer1Interval, 1, 65535)));
  timers[0]->SetEnabled(player.timer1Running != 0);
  if (command == kTransportEditMode) ShowEditMode();
}

void TMainForm::PlayClick() { Transport(kTransportPlay); }
void TMainForm::StopClick() { Transport(kTransportStop); }
void TMainForm::ContinueClick() { Transport(kTransportContinue); }
void TMainForm::PlayPatClick() { Transport(kTransportPlayPattern); }
// The pattern editor toggles the mode, so that its view, panel 1 and this
// button agree.
void TMainForm::TB_RecClick() {
  if (patternEditor != nullptr) patternEditor->ToggleEditMode();
}

void TMainForm::TB_PanicClick() {
  if (tracker) tracker->Panic(1);
}

// The restart begins with a new song: unsaved changes are asked about
// first, as every other command that replaces the song does.
bool TMainForm::EngineRestart() {
  if (!tracker || !AskDiscard("Engine Restart")) return false;
  timers[0]->SetEnabled(false);
  tracker->EngineRestart();
  ForgetFileName();
  RedrawAll(eSongChange::kNewSong);
  return true;
}

void TMainForm::ShowEditMode() {
  if (!tracker) return;
  const int32_t editMode = tracker->PlayerState().editMode;
  panels[1]->setText(EditModeText(editMode));
  Action("Rec")->setChecked(editMode == 1);
}

// The display-follow interval of the tempo in use, recomputed after a
// change of BPM or speed in the fields.
void TMainForm::RecomputeTimer1() {
  if (!tracker) return;
  const int32_t interval = tracker->Timer1Interval();
  tracker->SetTimer1Interval(interval);
  timers[0]->SetInterval(uint16_t(std::clamp(interval, 1, 65535)));
}

void TMainForm::ShowPage(int page) {
  shownPage = page;
  lowerPanel->setCurrentIndex(page);
  Action("Pattern")->setChecked(page == kPagePattern);
  Action("Synth")->setChecked(page == kPageSynth);
  Action("Chans")->setChecked(page == kPageChans);
  if (patternEditor != nullptr) patternEditor->SetShownPage(page == kPagePattern ? 0 : 1);
}

void TMainForm::TB_PatternClick() { ShowPage(kPagePattern); }
void TMainForm::TB_SynthClick() { ShowPage(kPageSynth); }
void TMainForm::TB_ChansClick() { ShowPage(kPageChans); }
