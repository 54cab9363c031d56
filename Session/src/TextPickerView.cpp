#include "Session/TextPickerView.hpp"

namespace quillo::simulated {

namespace {

std::string rowText(const PickerContent::Row& row) {
  return row.place.empty() ? row.name : row.name + " — " + row.place;
}

}  // namespace

void TextPickerView::display(const PickerContent& content) {
  content_ = content;
  lines_.clear();
  lines_.push_back(content.title);
  lines_.push_back(content.query.empty() ? "[⟨" + content.placeholder + "⟩]"
                                         : "[" + content.query + "▏]");
  for (const auto& row : content.rows)
    lines_.push_back((row.selected ? "▸ " : "  ") + rowText(row) + (row.recent ? " ⏲" : ""));
  if (content.note) lines_.push_back("(" + *content.note + ")");
  lines_.push_back(content.footer);
}

std::optional<platform::Size> TextPickerView::fittingSize() const {
  if (!content_) return std::nullopt;
  return platform::Size{420, 324};  // the size the Qt drawing has
}

std::optional<std::string> TextPickerView::click(const std::string& mailbox) {
  if (!content_) return "the picker shows nothing";
  for (const auto& row : content_->rows) {
    if (row.name == mailbox || rowText(row) == mailbox) {
      makeRequest(row.choose);
      return std::nullopt;
    }
  }
  return "the picker shows no mailbox \"" + mailbox + "\"";
}

}  // namespace quillo::simulated
