#include "app/desktop/post_editor.h"

namespace vexa {

bool PostEditor::create(platform::HWND parent) {
  if (edit_.CreateControl(parent)) return true;
  texts_[0].assign("sage");
  return false;
}

}  // namespace vexa
