#pragma once

#include "base/text_buffer.h"
#include "platform/desktop/win_types.h"
#include "ui/component.h"
#include "ui/edit_widget.h"

namespace vexa {

// The posting pane: the edit control where a post is typed, and the texts of a post. Enter in
// it does nothing yet (nothing is sent from here).
class PostEditor {
 public:
  PostEditor() : edit_(ui::EditInstance::Post, &owner_) {}

  // Creates the control in `parent`; true on failure (logged by the control).
  bool create(platform::HWND parent);

  ui::EditWidget& widget() { return edit_; }
  // The mail field of a post; "sage" from the start.
  const TextBuffer& mail() const { return texts_[0]; }

 private:
  class Owner : public ui::Component {
   public:
    void Invoke(const ui::Event&) override {}
  };

  Owner owner_;
  ui::EditWidget edit_;
  TextBuffer texts_[4];
};

}  // namespace vexa
