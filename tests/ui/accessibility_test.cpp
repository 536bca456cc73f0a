// What a screen reader finds in the main window, walking its accessibility
// tree: every control, on every page, with a name of its own, and the
// knobs as dials that say their value and can be set.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QSpinBox>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "tests/ui/uitestsupport.h"
#include "ui/framesynth.h"
#include "ui/knob.h"

namespace {

bool IsControl(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
      return true;
    default:
      return false;
  }
}

// Qt on Linux calls a combo box by its current text and leaves its name to
// the label it has by relation; other platforms get the widget's name.
QString NameOf(QAccessibleInterface* node) {
  if (node->role() == QAccessible::ComboBox && node->object() != nullptr)
    return static_cast<QWidget*>(node->object())->accessibleName();
  return node->text(QAccessible::Name);
}

void Walk(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& controls) {
  if (node == nullptr) return;
  if (IsControl(node->role())) controls.push_back(node);
  for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), controls);
}

class TAccessibleWindow : public TWindowFixture {
 public:
  TAccessibleWindow() {
    form->resize(1280, 800);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    Walk(QAccessible::queryAccessibleInterface(form.get()), controls);
  }
  QAccessibleInterface* Find(const QString& name) {
    for (QAccessibleInterface* node : controls)
      if (NameOf(node) == name) return node;
    ADD_FAILURE() << "no control named " << name.toStdString();
    return nullptr;
  }

  std::vector<QAccessibleInterface*> controls;
};

TEST(Accessibility, EveryControlHasANameOfItsOwn) {
  TAccessibleWindow w;
  std::map<QString, int> names;
  int dials = 0;
  for (QAccessibleInterface* node : w.controls) {
    const QString name = NameOf(node);
    const char* kind = node->object() != nullptr ? node->object()->metaObject()->className() : "";
    EXPECT_FALSE(name.trimmed().isEmpty()) << kind << " has no name";
    if (++names[name] == 2) ADD_FAILURE() << "two controls are called " << name.toStdString();
    if (node->role() == QAccessible::Dial) ++dials;
  }
  // The instrument pages' knobs, hidden pages too, and the two master knobs.
  int knobs = 2;
  for (const cSynthControl& c : SynthControls()) knobs += c.kind == cControlKind::Knob ? 1 : 0;
  EXPECT_EQ(dials, knobs);
  // Controls of each part of the window are among them.
  for (const char* name : {"BPM", "Instr", "Channels", "Channel 15 Volume", "Send to Aux4",
                           "Fx4 Effect", "Oscillator 2 Detune", "Engine", "Song position up"})
    EXPECT_EQ(names[name], 1) << name;
}

TEST(Accessibility, KnobsAreDialsThatSayAndTakeTheirValue) {
  TAccessibleWindow w;
  w.form->InstrumentEdit()->setValue(4);  // the default song's synthesizer
  auto* frame = w.form->findChild<TFrameSynth*>();
  auto* knob = qobject_cast<TmKnob*>(frame->Control("mKnob12"));  // filter attack
  QAccessibleInterface* dial = w.Find("Filter Envelope Attack");
  ASSERT_NE(dial, nullptr);
  EXPECT_EQ(dial->object(), knob);
  EXPECT_EQ(dial->role(), QAccessible::Dial);
  QAccessibleValueInterface* value = dial->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->minimumValue().toInt(), 0);
  EXPECT_EQ(value->maximumValue().toInt(), 255);
  EXPECT_EQ(value->currentValue().toInt(), knob->Position());

  // A screen reader's user turns it: the instrument's word follows, and the
  // dial says the new value in its unit.
  value->setCurrentValue(20);
  EXPECT_EQ(knob->Position(), 20);
  EXPECT_EQ(w.Tracker().GetParam(frame->Editor()->Block(), 16), 20);
  EXPECT_EQ(dial->text(QAccessible::Value), "200 ms");

  QAccessibleInterface* pan = w.Find("Master pan");
  ASSERT_NE(pan, nullptr);
  pan->valueInterface()->setCurrentValue(-37);
  EXPECT_EQ(pan->text(QAccessible::Value), "-35%");
}

}  // namespace
