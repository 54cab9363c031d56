#include "Session/TextPanelView.hpp"

#include <algorithm>

namespace quillo::simulated {

namespace {

/// A button without a title (an icon) goes by its accessibility label.
std::string name(const PanelContent::Button& b) {
  return b.title.empty() ? b.accessibilityLabel : b.title;
}

std::string button(const PanelContent::Button& b) {
  return "[" + name(b) + "]";
}

std::string keycap(const PanelContent::Keycap& key) {
  const std::string cap = key.outlined ? "⟨" + key.text + "⟩" : "[" + key.text + "]";
  return key.then.empty() ? cap : cap + " then [" + key.then + "]";
}

std::string switchRow(const PanelContent::SwitchRow& row) {
  std::string line = row.title + (row.on ? " [on]" : " [off]");
  if (row.note) line += " — " + *row.note;
  if (row.link) line += " " + button(*row.link);
  return line;
}

std::string warning(const PanelContent::WarningRow& row) {
  return "⚠ " + row.title + " " + button(row.button);
}

std::string places(CheatSheet::PlaceSet set) {
  std::string marks;
  for (CheatSheet::Place place : {CheatSheet::Place::messageList, CheatSheet::Place::openMessage,
                                  CheatSheet::Place::writing}) {
    marks += set.contains(place) ? "●" : "○";
  }
  return marks;
}

std::string shortcutRow(const PanelContent::ShortcutRow& row) {
  if (row.recording) return row.title + " ⟦Press keys…⟧";
  std::string line = row.title;
  for (const auto& key : row.keys)
    line += " " + keycap(key);
  line += " " + places(row.places);
  if (row.recordButton) line += " [record]";
  if (row.clearButton) line += " [clear]";
  return line;
}

}  // namespace

void TextPanelView::display(const PanelContent& content) {
  content_ = content;
  auto& out = lines_;
  out.clear();
  out.push_back(content.title);
  for (const auto& row : content.switches)
    out.push_back(switchRow(row));
  if (content.accessibilityHelp) out.push_back(*content.accessibilityHelp);
  if (content.loginApproval) out.push_back(warning(*content.loginApproval));
  out.push_back(content.setCaption);
  for (const auto& set : content.sets) {
    out.push_back((set.selected ? "(•) " : "( ) ") + set.title + " — " + set.description);
  }
  if (content.inputMonitoring) out.push_back(warning(*content.inputMonitoring));
  if (content.keymapWarning) out.push_back(warning(*content.keymapWarning));
  for (const auto& line : content.keymapProblemLines)
    out.push_back("  " + line);
  std::string caption = content.shortcutsCaption;
  for (const auto& key : content.legend) {
    PanelContent::Keycap shown = key;
    if (content.legendQuilloDimmed && !key.outlined) shown.text += ", greyed";
    caption += " " + keycap(shown);
  }
  out.push_back(caption + " " + button(content.editButton) + " " + button(content.helpButton));
  if (content.editor) {
    const auto& editor = *content.editor;
    out.push_back(editor.startFromLabel + " [" + editor.baselineTitle + "]");
    for (const auto& choice : editor.choices)
      out.push_back((choice.checked ? "  ✓ " : "    ") + choice.title);
    if (!editor.message.empty())
      out.push_back((editor.messageIsWarning ? "⚠ " : "") + editor.message);
    if (editor.resetChanges) out.push_back(button(*editor.resetChanges));
  }
  // The two columns one after the other, the second marked where it begins.
  const auto rowLines = [&out](const PanelContent::ShortcutRow& row) {
    out.push_back(shortcutRow(row));
    if (row.notice) out.push_back("  \u26A0 " + *row.notice);
  };
  for (const auto& row : content.leftColumn)
    rowLines(row);
  if (!content.rightColumn.empty()) out.push_back("\u2014 second column \u2014");
  for (const auto& row : content.rightColumn)
    rowLines(row);
  if (content.debug) {
    const auto& debug = *content.debug;
    out.push_back(debug.caption);
    out.push_back(switchRow(debug.logging));
    if (!debug.note.empty()) out.push_back(debug.note);
    std::string commands;
    for (const auto& command : debug.commands)
      commands += (commands.empty() ? "" : " ") + button(command);
    out.push_back(commands);
  }
  out.push_back(button(content.support) + " " + content.versionText + " " + button(content.quit));
  if (content.help) {
    const auto& help = *content.help;
    out.push_back(help.title);
    out.push_back(help.text);
    for (const auto& place : help.places)
      out.push_back(place.name + " — " + place.description);
    for (const auto& line : help.legend)
      out.push_back(line);
    out.push_back(button(help.ok));
  }
}

std::vector<std::string> TextPanelView::rowLabels() const {
  std::vector<std::string> labels;
  if (!content_) return labels;
  for (const auto* column : {&content_->leftColumn, &content_->rightColumn}) {
    for (const auto& row : *column)
      labels.push_back(row.accessibilityLabel);
  }
  return labels;
}

std::optional<platform::Size> TextPanelView::fittingSize() const {
  if (!content_) return std::nullopt;
  // About a 7-point character and an 18-point line, a panel's text size.
  std::size_t widest = 0;
  for (const auto& line : lines_)
    widest = std::max(widest, line.size());
  return platform::Size{std::max(500.0, 7.0 * static_cast<double>(widest) / 2),
                        std::max(560.0, 18.0 * static_cast<double>(lines_.size()))};
}

std::optional<std::string> TextPanelView::click(const std::string& title) {
  if (!content_) return "the panel shows nothing";
  const PanelContent& c = *content_;
  std::optional<PanelRequest> request;
  // An open chooser lies over the rest of the panel: its entries come first.
  if (c.editor) {
    for (const auto& choice : c.editor->choices) {
      if (request || choice.title != title) continue;
      request = PanelRequests::SetBaseline{choice.baseline};
      PanelViewState closed = viewState();
      closed.choosingBaseline = false;
      setViewStateQuietly(closed);
    }
  }
  const auto consider = [&](const PanelContent::Button& b) {
    if (!request && name(b) == title) request = b.request;
  };
  for (const auto& row : c.switches) {
    if (!request && row.title == title) request = row.flip;
    if (row.link) consider(*row.link);
  }
  for (const auto& set : c.sets) {
    if (!request && set.title == title) request = PanelRequests::SelectSet{set.set};
  }
  if (c.loginApproval) consider(c.loginApproval->button);
  if (c.inputMonitoring) consider(c.inputMonitoring->button);
  if (c.keymapWarning) consider(c.keymapWarning->button);
  consider(c.editButton);
  consider(c.helpButton);
  if (c.editor) {
    if (c.editor->resetChanges) consider(*c.editor->resetChanges);
    // The chooser is the view's own: its button opens and closes it, and
    // choosing an entry asks for that baseline and closes it.
    if (!request && title == c.editor->baselineAccessibilityLabel) {
      PanelViewState toggled = viewState();
      toggled.choosingBaseline = !toggled.choosingBaseline;
      updateViewState(toggled);
      return std::nullopt;
    }
  }
  if (c.debug) {
    if (!request && c.debug->logging.title == title) request = c.debug->logging.flip;
    for (const auto& command : c.debug->commands)
      consider(command);
  }
  consider(c.support);
  consider(c.quit);
  if (c.help) consider(c.help->ok);
  // A row's clear button shows only an icon: it goes by its tool tip.
  for (const auto* column : {&c.leftColumn, &c.rightColumn}) {
    for (const auto& row : *column) {
      if (!request && row.clearButton && row.clearButton->toolTip == title) {
        request = row.clearButton->request;
      }
    }
  }
  if (!request) return "the panel has no \"" + title + "\"";
  makeRequest(*request);
  return std::nullopt;
}

std::optional<std::string> TextPanelView::clickKeys(const std::string& rowTitle) {
  if (!content_) return "the panel shows nothing";
  for (const auto* column : {&content_->leftColumn, &content_->rightColumn}) {
    for (const auto& row : *column) {
      if (row.title != rowTitle) continue;
      if (!row.recordButton) return "the keys of \"" + rowTitle + "\" are not a button now";
      makeRequest(row.recordButton->request);
      return std::nullopt;
    }
  }
  return "the panel has no shortcut \"" + rowTitle + "\"";
}

}  // namespace quillo::simulated
