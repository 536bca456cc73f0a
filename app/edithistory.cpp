#include "app/edithistory.h"

#include <algorithm>
#include <utility>

namespace {

size_t WaveBytes(const cWaveSlot& w) {
  if (!w.buffer) return 0;
  return size_t(WaveSamples(w.entry.length, w.entry.flags) + 2 * kWaveMargin) * sizeof(int16_t);
}

struct cDeltaBytes {
  size_t operator()(const cPatternDelta& d) const {
    return sizeof d + d.cells.capacity() * sizeof(cCellChange);
  }
  size_t operator()(const cSequenceDelta& d) const {
    return sizeof d + d.entries.capacity() * sizeof(cEntryChange);
  }
  size_t operator()(const cWaveDelta& d) const {
    // A buffer both sides hold is counted once.
    const size_t before = WaveBytes(d.before);
    return sizeof d + before + (d.after.buffer == d.before.buffer ? 0 : WaveBytes(d.after));
  }
  template <class T>
  size_t operator()(const T& d) const {
    return sizeof d;
  }
};

// The later change of the same place: its after values win, and the cells
// or entries only it touched come with their own before values.
template <class Change, class Key>
void MergeChanges(std::vector<Change>& into, std::vector<Change>&& later, Key key) {
  for (Change& change : later) {
    auto same = std::find_if(into.begin(), into.end(),
                             [&](const Change& c) { return key(c) == key(change); });
    if (same == into.end()) {
      into.push_back(change);
    } else {
      std::copy(std::begin(change.after), std::end(change.after), std::begin(same->after));
    }
  }
}

// Whether two deltas are of one place, and merging b into a.
struct cDeltaMerge {
  bool Same(const cEditDelta& a, const cEditDelta& b) const {
    if (a.index() != b.index()) return false;
    if (auto* p = std::get_if<cPatternDelta>(&a))
      return p->pattern == std::get<cPatternDelta>(b).pattern;
    if (auto* i = std::get_if<cInstrumentDelta>(&a))
      return i->block == std::get<cInstrumentDelta>(b).block;
    if (auto* e = std::get_if<cEffectDelta>(&a)) {
      const auto& o = std::get<cEffectDelta>(b);
      return e->chain == o.chain && e->slot == o.slot;
    }
    if (auto* w = std::get_if<cWaveDelta>(&a)) return w->slot == std::get<cWaveDelta>(b).slot;
    return true;  // the sequence, the settings and the sends are one place each
  }

  void Merge(cEditDelta& a, cEditDelta&& b) const {
    std::visit(
        [&](auto& into) {
          using T = std::decay_t<decltype(into)>;
          T& later = std::get<T>(b);
          if constexpr (std::is_same_v<T, cPatternDelta>) {
            MergeChanges(into.cells, std::move(later.cells),
                         [](const cCellChange& c) { return c.cell; });
          } else if constexpr (std::is_same_v<T, cSequenceDelta>) {
            MergeChanges(into.entries, std::move(later.entries),
                         [](const cEntryChange& c) { return c.position; });
            into.after = later.after;
          } else if constexpr (std::is_same_v<T, cInstrumentDelta>) {
            std::copy(std::begin(later.after), std::end(later.after), std::begin(into.after));
          } else {
            into.after = std::move(later.after);
          }
        },
        a);
  }
};

}  // namespace

size_t cEditStep::Bytes() const {
  size_t total = sizeof *this + name.capacity() + deltas.capacity() * sizeof(cEditDelta);
  for (const cEditDelta& d : deltas) total += std::visit(cDeltaBytes{}, d);
  return total;
}

void MergeStep(cEditStep& into, cEditStep&& later) {
  const cDeltaMerge merge;
  for (cEditDelta& delta : later.deltas) {
    auto same = std::find_if(into.deltas.begin(), into.deltas.end(),
                             [&](const cEditDelta& d) { return merge.Same(d, delta); });
    if (same == into.deltas.end()) {
      into.deltas.push_back(std::move(delta));
    } else {
      merge.Merge(*same, std::move(delta));
    }
  }
}

void cEditHistory::Push(cEditStep&& step) {
  // Whatever was undone cannot be redone after a new edit.
  while (steps.size() > done) {
    bytes -= steps.back().Bytes();
    steps.pop_back();
  }
  if (saved > long(done)) saved = -1;
  tooLarge = false;

  // The saved state stays reachable: a step is never merged across a save.
  const bool merge = open && step.mergeKey != 0 && done > 0 &&
                     steps[done - 1].mergeKey == step.mergeKey && saved != long(done);
  if (merge) {
    cEditStep& top = steps[done - 1];
    bytes -= top.Bytes();
    MergeStep(top, std::move(step));
    bytes += top.Bytes();
  } else {
    const size_t size = step.Bytes();
    if (size > budget) {
      // Applied, but too large to keep: nothing before it can be undone
      // either, since undo goes back one step at a time.
      Clear();
      saved = -1;
      tooLarge = true;
      return;
    }
    open = step.mergeKey != 0;
    bytes += size;
    steps.push_back(std::move(step));
    ++done;
  }
  Fit();
}

void cEditHistory::Undone() {
  if (done == 0) return;
  --done;
  open = false;
}

void cEditHistory::Redone() {
  if (done >= steps.size()) return;
  ++done;
  open = false;
}

std::string cEditHistory::UndoText() const {
  if (const cEditStep* step = UndoStep()) return "Undo " + step->name;
  return tooLarge ? "Can't Undo" : "Undo";
}

std::string cEditHistory::RedoText() const {
  if (const cEditStep* step = RedoStep()) return "Redo " + step->name;
  return "Redo";
}

void cEditHistory::MarkSaved() {
  saved = long(done);
  open = false;
}

void cEditHistory::MarkUnsaved() { saved = -1; }

void cEditHistory::Clear() {
  steps.clear();
  done = 0;
  saved = 0;
  open = false;
  tooLarge = false;
  bytes = 0;
}

void cEditHistory::SetBudget(size_t newBudget) {
  budget = newBudget;
  Fit();
}

void cEditHistory::DropOldest() {
  bytes -= steps.front().Bytes();
  steps.pop_front();
  if (done > 0) --done;
  saved = saved > 0 ? saved - 1 : -1;
}

// The oldest steps go until the rest fit; the newest step always stays.
void cEditHistory::Fit() {
  while (bytes > budget && steps.size() > 1) DropOldest();
}
