#include "board/write_form.h"

#include <algorithm>
#include <new>

#include "base/text_functions.h"
#include "board/tag_scanner.h"
#include "net/cookie_store.h"

namespace vexa {

namespace {

void assignView(TextBuffer& buffer, std::string_view text) {
  buffer.assign(text.data(), static_cast<uint32_t>(text.size()));
}

void setField(WriteForm& form, std::string_view name, std::string_view value) {
  FormField* field = form.findOrCreate(name);
  if (field) assignView(field->value, value);
}

void encodeField(WriteForm& form, std::string_view name) {
  FormField* field = form.find(name);
  if (!field) return;
  TextBuffer encoded(256);
  percentEncode(field->value.text(), encoded);
  field->value.assign(encoded.text());
}

}  // namespace

int compareFieldNames(std::string_view a, std::string_view b) {
  return compareNames(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                      static_cast<uint32_t>(b.size()));
}

FormField* WriteForm::findOrCreate(std::string_view name) {
  name = trimBlanksAndLineEnds(name);
  // A NUL would end the stored name early and break the order, so the name stops there too.
  const size_t nul = name.find('\0');
  if (nul != std::string_view::npos) name = trimBlanksAndLineEnds(name.substr(0, nul));
  if (name.empty()) return nullptr;
  size_t low = 0, high = fields_.size();
  while (low < high) {
    const size_t middle = (low + high) / 2;
    const int order = compareFieldNames(fields_[middle]->name.text(), name);
    if (order == 0) return fields_[middle].get();
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (fields_.size() >= kMaxFields) return nullptr;
  std::unique_ptr<FormField> field(new (std::nothrow) FormField);
  if (!field) return nullptr;
  assignView(field->name, name);
  if (field->name.empty()) return nullptr;
  FormField* created = field.get();
  fields_.insert(fields_.begin() + static_cast<std::ptrdiff_t>(low), std::move(field));
  return created;
}

FormField* WriteForm::find(std::string_view name) {
  name = trimBlanksAndLineEnds(name);
  for (const auto& field : fields_) {
    if (compareFieldNames(field->name.text(), name) == 0) return field.get();
  }
  return nullptr;
}

void WriteForm::clear() {
  action_.clear();
  fields_.clear();
}

void percentEncode(std::string_view text, TextBuffer& out) {
  static const char kHex[] = "0123456789ABCDEF";
  out.clear();
  if (text.empty() || text.size() > (kNoLimit - 1) / 3) return;
  const uint32_t length = static_cast<uint32_t>(text.size()) * 3;
  if (!out.reserve(length + 1, 0, false)) return;
  char* data = out.data();
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    data[i * 3] = '%';
    data[i * 3 + 1] = kHex[byte >> 4];
    data[i * 3 + 2] = kHex[byte & 0x0F];
  }
  data[length] = '\0';
}

bool parseWriteForm(std::string_view page, size_t start, WriteForm& form) {
  TagSpan formTag;
  if (!findTag(page, start, "<form method=post", formTag)) return true;
  std::string_view action;
  if (!readAttribute(page, formTag, "action=", action)) return true;
  while (!action.empty() && action.front() == '.') action.remove_prefix(1);
  assignView(form.action(), action);

  TagSpan submit;
  if (!findTag(page, formTag.start, "<input type=submit", submit)) return true;
  std::string_view name, value;
  if (!readAttribute(page, submit, "name=", name)) return true;
  if (!readAttribute(page, submit, "value=", value)) return true;
  setField(form, name, value);

  // Each pass starts where the previous input's tag and values ended, and the form's end is
  // looked for again only once the inputs have gone past it, so the loop reads the page once.
  size_t position = formTag.start;
  size_t formEnd = page.find("</form>", position);
  for (;;) {
    if (formEnd != std::string_view::npos && formEnd < position) {
      formEnd = page.find("</form>", position);
    }
    TagSpan hidden;
    if (!findTag(page, position, "<input type=hidden", hidden)) break;
    if (formEnd == std::string_view::npos || hidden.start > formEnd) break;
    size_t nameEnd = 0, valueEnd = 0;
    const bool hasName = readAttribute(page, hidden, "name=", name, &nameEnd);
    const bool hasValue = readAttribute(page, hidden, "value=", value, &valueEnd);
    if (hasName && hasValue) setField(form, name, value);
    position = std::max({hidden.end, nameEnd, valueEnd});
  }

  encodeField(form, "message");
  encodeField(form, "submit");
  return false;
}

}  // namespace vexa
