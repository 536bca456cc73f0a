#pragma once
// The undo history: the steps done, the steps undone that redo can do
// again, and where the song was last saved. It is bounded by memory, not by
// a count of steps: past the budget the oldest steps go. Plain data on the
// window thread; nothing here takes the engine lock.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "app/editstep.h"

class cEditHistory {
 public:
  static constexpr size_t kDefaultBudget = size_t(64) << 20;  // bytes

  explicit cEditHistory(size_t budget = kDefaultBudget) : budget(budget) {}

  // A step done. Steps undone are dropped. A step with the open step's merge
  // key merges into it; a step larger than the whole budget clears the
  // history, after which undo says it cannot.
  void Push(cEditStep&& step);
  // The step merging stops at: the press on a control was let go.
  void CloseStep() { open = false; }

  bool CanUndo() const { return done > 0; }
  bool CanRedo() const { return done < steps.size(); }
  // The step undo would take back, or redo would do again; null when none.
  const cEditStep* UndoStep() const { return CanUndo() ? &steps[done - 1] : nullptr; }
  const cEditStep* RedoStep() const { return CanRedo() ? &steps[done] : nullptr; }
  // Called after the step was applied backwards or forwards.
  void Undone();
  void Redone();

  // "Undo Cut Track", "Undo" when nothing can be undone, "Can't Undo" after
  // a step too large to keep; "Redo Cut Track" or "Redo".
  std::string UndoText() const;
  std::string RedoText() const;

  // The song as it is now was saved; or it was loaded (a new song counts as
  // saved), after which the history starts empty.
  void MarkSaved();
  void Clear();
  // A song that matches no state of the history was saved (a damaged file
  // loaded as far as it goes): only a save makes it unmodified.
  void MarkUnsaved();
  // The song differs from what was last saved (or loaded).
  bool Modified() const { return saved != long(done); }

  size_t Bytes() const { return bytes; }
  size_t Steps() const { return steps.size(); }
  size_t Budget() const { return budget; }
  void SetBudget(size_t newBudget);

 private:
  void DropOldest();
  void Fit();

  std::deque<cEditStep> steps;
  size_t done = 0;    // steps[0 .. done - 1] are in effect
  long saved = 0;     // value of done when saved; -1 when no state matches
  bool open = false;  // the top step may take a merge
  bool tooLarge = false;
  size_t bytes = 0;
  size_t budget;
};
