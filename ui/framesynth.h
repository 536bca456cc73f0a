#pragma once
// The instrument page: the editor of the current instrument's words in four
// pages ("Oscillators", "Filter / Amplifier / LFOs", "Sample", "FM Synth")
// of which the instrument's engine shows one or two, and the strip below
// them with its volume, pan and engine. The controls are built from
// SynthControls(); their rules (what a change writes, under which lock, what
// it says) are cSynthEditor's. The widgets carry the table's names.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "editor/instrumentlist.h"
#include "ui/songpart.h"

class QComboBox;
class QLabel;
class QTabWidget;
class TEnvelopeView;
class TPartServices;
class TSampleEditor;
class cSynthEditor;
class cTracker;

class TFrameSynth : public QWidget, public TSongPart {
  Q_OBJECT

 public:
  // Places itself in the slot of the window's instrument page.
  TFrameSynth(QWidget* slot, TPartServices& services);
  ~TFrameSynth() override;

  // Where the names of loaded and saved presets go (the instrument list's
  // memory); before Attach. Without one the frame keeps its own.
  void SetPresetMemory(cPresetMemory* memory) { presets = memory; }
  void Attach(cTracker& tracker) override;
  void SongChanged(eSongChange reason) override;

  // Every control shows the instrument's words, the pages its engine has
  // and the wave of its layer; nothing is written.
  void Refresh();

  // The buttons' commands. Files are chosen through the window's prompts;
  // a failure is reported in a message box titled like the button.
  void LoadSynthClick(bool fm);
  void SaveSynthClick(bool fm);
  void LoadSampleClick();
  bool LoadSampleFile(const QString& path);
  void DeleteSampleClick();
  bool ChangeOfSharedLayerAgreed(bool replace);
  void ZoomInClick();
  void ZoomOutClick();
  void ShowAllClick();
  void LoopStartClick();
  void LoopEndClick();
  void RangeToLoopClick();

  cSynthEditor* Editor() { return editor.get(); }
  QTabWidget* Pages() { return pages; }
  // The width below which the widest page would scroll.
  int WidestPage() const;
  // The widget of a control of SynthControls(), by its name.
  QWidget* Control(const char* name);
  TEnvelopeView* EnvelopeImage(int index) { return envelopes[size_t(index)]; }
  TSampleEditor* SampleImage() { return sampleImage; }
  QLabel* NameLabel() { return nameLabel; }
  QLabel* LoopLabel() { return loopLabel; }
  QLabel* RateLabel() { return rateLabel; }
  // "Instrument 4: Saw Bass.zqb" beside the engine box.
  QLabel* TitleLabel() { return titleLabel; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildGroup(int page, const char* group);
  QWidget* BuildPage(int page);
  QWidget* BuildSamplePage();
  QWidget* BuildStrip();
  void Connect(int index);
  void Command(const char* name);

  void Changed(int index, int value);
  void SetControl(int index, int value);
  void ShowPages(int engine);
  void DrawEnvelopes();
  void ShowSample();
  void ShowTitle();
  void SampleViewChanged(bool changed);
  void Report(const QString& title, const QString& text, const QString& path,
              const QString& reason);

  TPartServices& window;
  cTracker* tracker = nullptr;
  std::unique_ptr<cSynthEditor> editor;
  cPresetMemory ownPresets;
  cPresetMemory* presets = &ownPresets;

  std::vector<QWidget*> controls;         // by index of SynthControls()
  std::vector<TEnvelopeView*> envelopes;  // by index of EnvelopeImages()
  QTabWidget* pages = nullptr;
  TSampleEditor* sampleImage = nullptr;
  QLabel* nameLabel = nullptr;
  QLabel* loopLabel = nullptr;
  QLabel* rateLabel = nullptr;  // the file's rate, beside its name
  QLabel* titleLabel = nullptr;
  QString sampleFolder;  // where the last sample came from
};
