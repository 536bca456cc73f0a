// The undo history's bookkeeping: the memory budget, the step too large to
// keep, the saved state, merging.

#include "app/edithistory.h"

#include <gtest/gtest.h>

namespace {

// A step that changes one cell of pattern 0 from before to after, holding
// `extra` more cells of weight.
cEditStep CellStep(const char* name, int before, int after, uint32_t mergeKey = 0,
                   size_t extra = 0) {
  cPatternDelta delta;
  cCellChange change{};
  change.cell = 0;
  change.before[0] = uint8_t(before);
  change.after[0] = uint8_t(after);
  delta.cells.push_back(change);
  delta.cells.resize(1 + extra, change);
  cEditStep step;
  step.name = name;
  step.mergeKey = mergeKey;
  step.deltas.push_back(std::move(delta));
  return step;
}

uint8_t After(const cEditStep* step) {
  return std::get<cPatternDelta>(step->deltas[0]).cells[0].after[0];
}
uint8_t Before(const cEditStep* step) {
  return std::get<cPatternDelta>(step->deltas[0]).cells[0].before[0];
}

TEST(EditHistory, TheBudgetDropsTheOldestStepsAndKeepsTheSaveState) {
  const size_t stepBytes = CellStep("x", 0, 1, 0, 100).Bytes();
  cEditHistory history(stepBytes * 3 + stepBytes / 2);
  history.Push(CellStep("first", 0, 1, 0, 100));
  history.MarkSaved();
  for (int i = 2; i <= 5; ++i) history.Push(CellStep("later", i - 1, i, 0, 100));
  EXPECT_EQ(history.Steps(), 3u);
  EXPECT_LE(history.Bytes(), history.Budget());
  // The saved state went with the oldest steps: no undo reaches it.
  int undone = 0;
  while (history.CanUndo()) {
    EXPECT_TRUE(history.Modified());
    history.Undone();
    ++undone;
  }
  EXPECT_EQ(undone, 3);
  EXPECT_TRUE(history.Modified());
}

TEST(EditHistory, AStepLargerThanTheBudgetClearsTheHistory) {
  cEditHistory history(4096);
  history.Push(CellStep("small", 0, 1));
  history.Push(CellStep("huge", 1, 2, 0, 10000));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoText(), "Can't Undo");
  EXPECT_TRUE(history.Modified());
  history.Push(CellStep("next", 2, 3));
  EXPECT_EQ(history.UndoText(), "Undo next");
  history.MarkSaved();
  EXPECT_FALSE(history.Modified());
}

TEST(EditHistory, AStepMergesIntoTheOpenStepOfTheSameControlOnly) {
  cEditHistory history;
  history.Push(CellStep("drag", 0, 1, 7));
  history.Push(CellStep("drag", 1, 2, 7));
  ASSERT_EQ(history.Steps(), 1u);
  EXPECT_EQ(Before(history.UndoStep()), 0);
  EXPECT_EQ(After(history.UndoStep()), 2);
  history.Push(CellStep("other", 2, 3, 8));  // another control
  history.Push(CellStep("drag", 3, 4, 7));   // the first again: a new step
  EXPECT_EQ(history.Steps(), 3u);
  history.CloseStep();
  history.Push(CellStep("drag", 4, 5, 7));
  EXPECT_EQ(history.Steps(), 4u);
  // A save closes the step: the saved state stays reachable.
  history.MarkSaved();
  history.Push(CellStep("drag", 5, 6, 7));
  EXPECT_EQ(history.Steps(), 5u);
  history.Undone();
  EXPECT_FALSE(history.Modified());
}

TEST(EditHistory, UndoingPastTheSaveAndEditingLosesTheSaveState) {
  cEditHistory history;
  history.Push(CellStep("a", 0, 1));
  history.Push(CellStep("b", 1, 2));
  history.MarkSaved();
  history.Undone();
  history.Undone();
  EXPECT_TRUE(history.Modified());
  history.Redone();
  history.Redone();
  EXPECT_FALSE(history.Modified());
  history.Undone();
  history.Push(CellStep("c", 1, 9));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_TRUE(history.Modified());
  history.Undone();
  history.Undone();
  EXPECT_TRUE(history.Modified());
  history.Clear();
  EXPECT_FALSE(history.Modified());
  EXPECT_EQ(history.UndoText(), "Undo");
  EXPECT_EQ(history.RedoText(), "Redo");
}

}  // namespace
