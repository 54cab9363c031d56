// The simulated Mail's windows: how each kind is built, which one is in
// front, the sheets and popovers over them, and where the focus is.
#include <algorithm>

#include "MailWindow.hpp"

namespace quillo::sim {

namespace {

using Place = MailApp::Place;
using WindowKind = MailApp::WindowKind;

constexpr Place kPlaces[] = {Place::messageList, Place::mailboxList,   Place::searchField,
                             Place::preview,     Place::toField,       Place::subjectField,
                             Place::body,        Place::messageContent};

/// The kind of window that has this place.
WindowKind windowKindWith(Place place) {
  switch (place) {
    case Place::messageList:
    case Place::mailboxList:
    case Place::searchField:
    case Place::preview:
      return WindowKind::viewer;
    case Place::toField:
    case Place::subjectField:
    case Place::body:
      return WindowKind::compose;
    case Place::messageContent:
      return WindowKind::message;
  }
  return WindowKind::viewer;
}

std::string windowKindName(WindowKind kind) {
  switch (kind) {
    case WindowKind::viewer:
      return "viewer";
    case WindowKind::message:
      return "message window";
    case WindowKind::compose:
      return "compose window";
  }
  return {};
}

}  // namespace

std::string placeName(MailApp::Place place) {
  switch (place) {
    case MailApp::Place::messageList:
      return "message list";
    case MailApp::Place::mailboxList:
      return "mailbox list";
    case MailApp::Place::searchField:
      return "search field";
    case MailApp::Place::preview:
      return "preview";
    case MailApp::Place::toField:
      return "to field";
    case MailApp::Place::subjectField:
      return "subject field";
    case MailApp::Place::body:
      return "body";
    case MailApp::Place::messageContent:
      return "message content";
  }
  return {};
}

std::optional<MailApp::Place> placeNamed(const std::string& name) {
  for (auto place : kPlaces) {
    if (placeName(place) == name) return place;
  }
  return std::nullopt;
}

// MARK: - Building the windows

std::shared_ptr<MailApp::Window> MailApp::makeViewer() {
  auto window = std::make_shared<Window>();
  window->kind = WindowKind::viewer;
  window->root = makeNode("AXWindow", "AXStandardWindow");
  window->root->title = [this]() -> std::optional<std::string> {
    return currentMailbox_ + " \u2014 " + std::to_string(mailbox(currentMailbox_).size()) +
           " messages";
  };
  auto toolbar = makeNode("AXToolbar");
  AXNode::adopt(window->root, toolbar);
  window->searchField = makeNode("AXTextField", "AXSearchField", "Mail.searchField");
  window->searchField->editable = true;
  window->searchField->value = "";
  AXNode::adopt(toolbar, window->searchField);

  auto split = makeNode("AXSplitGroup");
  AXNode::adopt(window->root, split);
  auto sidebar = makeNode("AXScrollArea");
  window->mailboxList = makeNode("AXOutline", std::nullopt, "Mail.mailboxList");
  for (const char* name : MailStore::mailboxNames) {
    auto row = makeNode("AXRow", "AXOutlineRow");
    auto label = makeNode("AXStaticText");
    label->value = name;
    AXNode::adopt(row, label);
    AXNode::adopt(window->mailboxList, row);
  }
  AXNode::adopt(split, sidebar);
  AXNode::adopt(sidebar, window->mailboxList);

  auto list = makeNode("AXScrollArea");
  window->table = makeNode("AXTable", std::nullopt, "Mail.messageList");
  auto listParent = split;
  for (int i = 0; i < variant_.listNesting; ++i) {
    auto group = makeNode("AXGroup");
    AXNode::adopt(listParent, group);
    listParent = group;
  }
  // Outside any window, the list's parent is the application's element.
  if (variant_.focus != MailVariant::Focus::outsideWindows) AXNode::adopt(listParent, list);
  AXNode::adopt(list, window->table);

  auto previewGroup = makeNode("AXGroup");
  auto previewScroll = makeNode("AXScrollArea");
  window->preview = makeNode("AXWebArea");
  AXNode::adopt(split, previewGroup);
  AXNode::adopt(previewGroup, previewScroll);
  AXNode::adopt(previewScroll, window->preview);

  if (variant_.decorativeGroups > 0) {
    auto decorations = makeNode("AXGroup", std::nullopt, "Mail.decorations");
    for (int i = 0; i < variant_.decorativeGroups; ++i) {
      AXNode::adopt(decorations,
                    makeNode("AXGroup", std::nullopt, "Mail.decoration." + std::to_string(i)));
    }
    AXNode::adopt(split, decorations);
  }
  if (variant_.fillerGroups > 0) {
    auto filler = makeNode("AXGroup");
    for (int i = 0; i < variant_.fillerGroups; ++i)
      AXNode::adopt(filler, makeNode("AXGroup"));
    AXNode::adopt(split, filler);
    auto after = makeNode("AXGroup");
    AXNode::adopt(after, makeNode("AXGroup", std::nullopt, "Mail.afterFiller"));
    AXNode::adopt(split, after);
  }
  window->focus = window->table;
  return window;
}

std::shared_ptr<MailApp::Window> MailApp::makeMessageWindow(const MailMessage& message) {
  auto window = std::make_shared<Window>();
  window->kind = WindowKind::message;
  window->title = message.subject;
  window->messageID = message.id;
  window->root = makeNode("AXWindow", "AXStandardWindow");
  window->root->setTitle(message.subject);
  AXNode::adopt(window->root, makeNode("AXToolbar"));
  auto scroll = makeNode("AXScrollArea", std::nullopt, "_MAIL_MESSAGE_CONTENT");
  window->content = makeNode("AXWebArea");
  window->content->value = "From: " + message.sender + "\nSubject: " + message.subject;
  AXNode::adopt(window->root, scroll);
  AXNode::adopt(scroll, window->content);
  window->focus = window->content;
  return window;
}

std::shared_ptr<MailApp::Window> MailApp::makeComposeWindow(std::string to, std::string subject,
                                                            std::string body, Place focusAt) {
  auto window = std::make_shared<Window>();
  window->kind = WindowKind::compose;
  window->root = makeNode("AXWindow", "AXStandardWindow");
  window->root->title = [raw = window.get()]() -> std::optional<std::string> {
    return raw->subject->value->empty() ? "New Message" : *raw->subject->value;
  };
  AXNode::adopt(window->root, makeNode("AXToolbar"));
  window->to = makeNode("AXTextField", std::nullopt, "Mail.toField");
  window->subject = makeNode("AXTextField", std::nullopt, "Mail.subjectField");
  auto scroll = makeNode("AXScrollArea");
  window->body = variant_.plainTextBody ? makeNode("AXTextArea") : makeNode("AXWebArea");
  for (auto& [field, text] : {std::pair{window->to, &to}, std::pair{window->subject, &subject},
                              std::pair{window->body, &body}}) {
    field->editable = true;
    field->value = *text;
  }
  AXNode::adopt(window->root, window->to);
  AXNode::adopt(window->root, window->subject);
  AXNode::adopt(window->root, scroll);
  AXNode::adopt(scroll, window->body);
  window->focus = nodeFor(*window, focusAt);
  return window;
}

std::shared_ptr<AXNode> MailApp::nodeFor(const Window& window, Place place) const {
  switch (place) {
    case Place::messageList:
      return window.table;
    case Place::mailboxList:
      return window.mailboxList;
    case Place::searchField:
      return window.searchField;
    case Place::preview:
      return window.preview;
    case Place::toField:
      return window.to;
    case Place::subjectField:
      return window.subject;
    case Place::body:
      return window.body;
    case Place::messageContent:
      return window.content;
  }
  return nullptr;
}

/// The viewer's message list and preview follow the current mailbox and the
/// selection; rows of messages still listed keep their nodes.
void MailApp::refreshTable() {
  const auto& messages = mailbox(currentMailbox_);
  if (selectedID_ && std::none_of(messages.begin(), messages.end(),
                                  [&](const auto& m) { return m.id == *selectedID_; })) {
    selectedID_.reset();
  }
  std::map<std::uint64_t, std::shared_ptr<AXNode>> rows;
  std::vector<std::shared_ptr<AXNode>> children;
  const auto window = viewer();
  for (const auto& message : messages) {
    auto& row = rows[message.id];
    if (const auto kept = rows_.find(message.id); kept != rows_.end()) row = kept->second;
    if (!row) {
      row = makeNode("AXRow", "AXTableRow");
      auto cell = makeNode("AXCell");
      auto text = makeNode("AXStaticText");
      AXNode::adopt(row, cell);
      AXNode::adopt(cell, text);
    }
    row->children.front()->children.front()->value = message.sender + " \u2014 " + message.subject;
    if (window) row->parent = window->table;
    children.push_back(row);
  }
  rows_ = std::move(rows);
  if (window) {
    window->table->children = std::move(children);
    const auto selected = selectedMessage();
    window->preview->value = selected ? "From: " + selected->sender + "\n" + selected->subject : "";
  }
}

// MARK: - Which window is where

std::shared_ptr<MailApp::Window> MailApp::keyWindow() const {
  return windows_.empty() ? nullptr : windows_.front();
}

std::shared_ptr<MailApp::Window> MailApp::viewer() const {
  for (const auto& window : windows_) {
    if (window->kind == WindowKind::viewer) return window;
  }
  return nullptr;
}

void MailApp::openWindow(std::shared_ptr<Window> window) {
  windows_.insert(windows_.begin(), std::move(window));
  refreshWindowMenu();
}

void MailApp::closeWindow(const std::shared_ptr<Window>& window) {
  std::erase(windows_, window);
  refreshWindowMenu();
}

bool MailApp::bringToFront(std::size_t index) {
  if (index >= windows_.size()) return false;
  auto window = windows_[index];
  windows_.erase(windows_.begin() + static_cast<long>(index));
  windows_.insert(windows_.begin(), window);
  return true;
}

bool MailApp::bringToFront(const std::shared_ptr<Window>& window) {
  const auto at = std::find(windows_.begin(), windows_.end(), window);
  return at != windows_.end() && bringToFront(static_cast<std::size_t>(at - windows_.begin()));
}

std::vector<MailApp::WindowInfo> MailApp::windowList() const {
  std::vector<WindowInfo> list;
  for (const auto& window : windows_) {
    list.push_back({window->kind, window->root->currentTitle().value_or(""),
                    window->sheet != nullptr, window->popover != nullptr});
  }
  return list;
}

std::optional<MailMessage> MailApp::targetMessage() const {
  const auto window = keyWindow();
  if (!window) return std::nullopt;
  switch (window->kind) {
    case WindowKind::viewer:
      return selectedMessage();
    case WindowKind::message:
      if (const MailMessage* shown = store_->find(window->messageID)) return *shown;
      return std::nullopt;
    case WindowKind::compose:
      return std::nullopt;
  }
  return std::nullopt;
}

// MARK: - The focus

std::string MailApp::focusDescription() const {
  const auto window = keyWindow();
  if (!window) return "no window";
  const std::string kind = windowKindName(window->kind);
  const auto focused = window->focus.lock();
  if (!focused) return kind + ": nothing focused";
  if (window->sheet && focused->parent.lock() == window->sheet) return kind + ": sheet";
  if (window->popover) return kind + ": address suggestions";
  for (auto place : kPlaces) {
    if (nodeFor(*window, place) == focused) return kind + ": " + placeName(place);
  }
  return kind + ": " + focused->role;
}

std::optional<std::string> MailApp::text(Place place) const {
  std::shared_ptr<Window> window = keyWindow();
  if (place == Place::searchField || place == Place::preview) window = viewer();
  if (!window) return std::nullopt;
  const auto node = nodeFor(*window, place);
  return node ? node->value : std::nullopt;
}

bool MailApp::focus(Place place) {
  const WindowKind wanted = windowKindWith(place);
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i]->kind != wanted) continue;
    bringToFront(i);
    auto window = windows_.front();
    if (window->sheet) return false;  // a sheet keeps the focus
    window->popover.reset();
    window->focus = nodeFor(*window, place);
    return true;
  }
  return false;
}

// MARK: - Sheets and popovers

void MailApp::showSheet(const std::string& message) {
  const auto window = keyWindow();
  if (!window || window->sheet) return;
  window->sheet = makeNode("AXSheet");
  auto label = makeNode("AXStaticText");
  label->value = message;
  auto cancel = makeNode("AXButton");
  cancel->setTitle("Cancel");
  auto confirm = makeNode("AXButton");
  confirm->setTitle("OK");
  for (const auto& child : {label, cancel, confirm})
    AXNode::adopt(window->sheet, child);
  AXNode::adopt(window->root, window->sheet);
  window->focusBefore = window->focus;
  window->focus = confirm;
  cancel->press = [this] { dismissSheet(false); };
  confirm->press = [this] { dismissSheet(true); };
}

void MailApp::dismissSheet(bool accept) {
  const auto window = keyWindow();
  if (!window || !window->sheet) return;
  std::erase(window->root->children, window->sheet);
  window->sheet.reset();
  window->focus = window->focusBefore;
  auto done = std::move(window->sheetDone);
  window->sheetDone = nullptr;
  if (done) done(accept);
}

void MailApp::showPopover() {
  const auto window = keyWindow();
  if (!window || window->kind != WindowKind::compose || window->popover) return;
  window->popover = makeNode("AXPopover");
  auto list = makeNode("AXTable", std::nullopt, "Mail.addressSuggestions");
  auto row = makeNode("AXRow", "AXTableRow");
  row->value = "Priya Raman <priya@larkmoor.example>";
  AXNode::adopt(list, row);
  AXNode::adopt(window->popover, list);
  AXNode::adopt(window->root, window->popover);
  window->focusBefore = window->to;
  window->focus = row;
}

void MailApp::dismissPopover(bool accept) {
  const auto window = keyWindow();
  if (!window || !window->popover) return;
  if (accept) *window->to->value = window->focus.lock()->value.value_or("");
  std::erase(window->root->children, window->popover);
  window->popover.reset();
  window->focus = window->to;
}

void MailApp::closeKeyWindow() {
  const auto window = keyWindow();
  if (!window) return;
  if (window->kind == WindowKind::compose &&
      (!window->subject->value->empty() || !window->body->value->empty()) && !window->sheet) {
    showSheet("Do you want to save this message as a draft?");
    window->sheetDone = [this, weak = std::weak_ptr<Window>(window)](bool accept) {
      if (const auto closing = weak.lock(); closing && accept) closeWindow(closing);
    };
    return;
  }
  closeWindow(window);
}

}  // namespace quillo::sim
