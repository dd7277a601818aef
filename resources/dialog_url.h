#pragma once

// Dialog 106: the stream address dialog. Sizes in pixels; labels in UTF-8.
namespace vexa::resources {

enum class DialogControlKind { Edit, DefaultButton, Button };

struct DialogControl {
  DialogControlKind kind;
  int id;
  const char* label;
  int x, y, width, height;
};

constexpr unsigned kUrlDialogId = 106;
constexpr int kUrlDialogWidth = 400;
constexpr int kUrlDialogHeight = 84;
constexpr DialogControl kUrlDialogControls[] = {
    {DialogControlKind::Edit, 1002, "", 8, 8, 384, 26},
    {DialogControlKind::DefaultButton, 1, "再生", 184, 44, 100, 32},
    {DialogControlKind::Button, 2, "キャンセル", 292, 44, 100, 32},
};

}  // namespace vexa::resources
