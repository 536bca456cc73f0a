#include "editor/unsavedsong.h"

bool MayReplaceSong(bool modified, const std::function<eUnsavedAnswer()>& ask,
                    const std::function<bool()>& save) {
  if (!modified) return true;
  switch (ask()) {
    case eUnsavedAnswer::kDiscard:
      return true;
    case eUnsavedAnswer::kSave:
      return save();
    case eUnsavedAnswer::kCancel:
      break;
  }
  return false;
}
