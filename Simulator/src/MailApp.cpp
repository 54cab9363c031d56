#include "Simulator/MailApp.hpp"

#include <algorithm>

#include "Simulator/SimulatedMac.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

using platform::Event;
using platform::EventField;
namespace Flags = platform::EventFlags;
namespace Key = USKeyboard::KeyCode;

constexpr std::uint64_t kCommand = Flags::command;
constexpr std::uint64_t kShiftCommand = Flags::shift | Flags::command;
constexpr std::uint64_t kOptionCommand = Flags::alternate | Flags::command;
constexpr std::uint64_t kControlCommand = Flags::control | Flags::command;

// MARK: - Windows

struct MailApp::Window {
  WindowKind kind = WindowKind::viewer;
  std::string title;
  std::shared_ptr<AXNode> root;
  std::weak_ptr<AXNode> focus;
  // The viewer.
  std::shared_ptr<AXNode> searchField, mailboxList, table, preview;
  // An opened message.
  std::uint64_t messageID = 0;
  std::shared_ptr<AXNode> content;
  // A compose window.
  std::shared_ptr<AXNode> to, subject, body;
  // Over the window.
  std::shared_ptr<AXNode> sheet, popover;
  std::function<void(bool)> sheetDone;
  std::weak_ptr<AXNode> focusBefore;
};

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
  for (auto place :
       {MailApp::Place::messageList, MailApp::Place::mailboxList, MailApp::Place::searchField,
        MailApp::Place::preview, MailApp::Place::toField, MailApp::Place::subjectField,
        MailApp::Place::body, MailApp::Place::messageContent}) {
    if (placeName(place) == name) return place;
  }
  return std::nullopt;
}

MailApp::MailApp(SimulatedMac& mac, pid_t pid, std::shared_ptr<MailStore> store,
                 MailVariant variant)
    : SimApp(mac, pid, SimulatedMac::mailBundleID, "Mail"),
      store_(std::move(store)),
      variant_(std::move(variant)) {
  buildMenus();
  openWindow(makeViewer());
  const auto& inbox = store_->mailboxes.at("Inbox");
  if (!inbox.empty()) selectedID_ = inbox.front().id;
  refreshTable();
}

MailApp::~MailApp() = default;

std::shared_ptr<MailApp::Window> MailApp::keyWindow() const {
  return windows_.empty() ? nullptr : windows_.front();
}

std::shared_ptr<MailApp::Window> MailApp::viewer() const {
  for (const auto& window : windows_) {
    if (window->kind == WindowKind::viewer) return window;
  }
  return nullptr;
}

std::shared_ptr<AXNode> MailApp::focusedElement() const {
  const auto window = keyWindow();
  return window ? window->focus.lock() : nullptr;
}

std::shared_ptr<AXNode> MailApp::focusedWindow() const {
  const auto window = keyWindow();
  return window ? window->root : nullptr;
}

std::vector<std::shared_ptr<AXNode>> MailApp::windows() const {
  std::vector<std::shared_ptr<AXNode>> roots;
  for (const auto& window : windows_)
    roots.push_back(window->root);
  return roots;
}

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
  AXNode::adopt(split, list);
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
  window->body = makeNode("AXWebArea");
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

void MailApp::refreshWindowMenu() {
  if (!windowMenu_) return;
  windowMenu_->children.resize(windowMenuFixedItems_);
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    auto item = makeNode("AXMenuItem");
    const auto window = windows_[i];
    item->title = [window]() -> std::optional<std::string> { return window->root->currentTitle(); };
    item->enabled = [] { return true; };
    item->press = [this, weak = std::weak_ptr<Window>(window)] {
      const auto window = weak.lock();
      if (!window) return;
      menuPresses.push_back(
          {"Window \u203a " + window->root->currentTitle().value_or(""), false, true});
      const auto at = std::find(windows_.begin(), windows_.end(), window);
      if (at != windows_.end()) bringToFront(static_cast<std::size_t>(at - windows_.begin()));
    };
    AXNode::adopt(windowMenu_, item);
  }
}

// MARK: - Menus

namespace {

bool pathListed(const std::vector<std::vector<std::string>>& paths,
                const std::vector<std::string>& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

/// Drops the items this Mail lacks and disables the ones it never enables.
void applyVariant(std::vector<MenuItem>& items, std::vector<std::string>& path,
                  const MailVariant& variant) {
  for (auto it = items.begin(); it != items.end();) {
    if (it->title.empty()) {
      ++it;
      continue;
    }
    path.push_back(it->title);
    if (pathListed(variant.missingItems, path)) {
      path.pop_back();
      it = items.erase(it);
      continue;
    }
    if (pathListed(variant.disabledItems, path)) it->enabled = [] { return false; };
    applyVariant(it->submenu, path, variant);
    path.pop_back();
    ++it;
  }
}

}  // namespace

void MailApp::buildMenus() {
  const auto hasTarget = [this] { return targetMessage().has_value(); };
  const auto composing = [this] {
    const auto window = keyWindow();
    return window && window->kind == WindowKind::compose;
  };
  const auto hasWindow = [this] { return !windows_.empty(); };
  const auto editableFocus = [this] {
    const auto focused = focusedElement();
    return focused && focused->editable;
  };
  std::vector<Menu> menus = {
      {"Mail",
       {{.title = "About Mail"},
        MenuItem::separator(),
        {.title = "Settings…", .key = {u',', kCommand}},
        MenuItem::separator(),
        {.title = "Hide Mail", .key = {u'h', kCommand}},
        {.title = "Quit Mail",
         .key = {u'q', kCommand},
         .action =
             [this] {
               // Quitting ends this process: leave the key handler first.
               mac_.loop().post([&mac = mac_, pid = pid()] { mac.quit(pid); });
             }}}},
      {"File",
       {{.title = "New Message", .key = {u'n', kCommand}, .action = [this] { newMessage(); }},
        {.title = "New Viewer Window", .key = {u'n', kOptionCommand}},
        {.title = "Open Message",
         .key = {u'o', kCommand},
         .enabled =
             [this] {
               const auto window = keyWindow();
               return window && window->kind == WindowKind::viewer && selectedMessage();
             },
         .action = [this] { openSelectedMessage(); }},
        MenuItem::separator(),
        {.title = "Close Window",
         .key = {u'w', kCommand},
         .enabled = hasWindow,
         .action = [this] { closeKeyWindow(); }},
        {.title = "Save", .key = {u's', kCommand}, .enabled = composing},
        MenuItem::separator(),
        {.title = "Print…", .key = {u'p', kCommand}, .enabled = hasTarget}}},
      {"Edit",
       {{.title = "Undo",
         .key = {u'z', kCommand},
         .enabled = [this] { return !undoStack_.empty(); },
         .action = [this] { undo(); },
         .liveTitle =
             [this] {
               return undoStack_.empty() ? std::string("Undo") : "Undo " + undoStack_.back().name;
             }},
        {.title = "Redo", .key = {u'z', kShiftCommand}, .enabled = [] { return false; }},
        MenuItem::separator(),
        {.title = "Cut",
         .key = {u'x', kCommand},
         .enabled = editableFocus,
         .action = [this] { copy(true); }},
        {.title = "Copy",
         .key = {u'c', kCommand},
         .enabled = [this,
                     editableFocus] { return editableFocus() || targetMessage().has_value(); },
         .action = [this] { copy(false); }},
        {.title = "Paste",
         .key = {u'v', kCommand},
         .enabled = [this, editableFocus] { return editableFocus() && !mac_.pasteboard.empty(); },
         .action = [this] { paste(); }},
        {.title = "Delete",
         .enabled = hasTarget,
         .action = [this] { moveTarget("Trash", "Delete"); }},
        {.title = "Select All", .key = {u'a', kCommand}},
        MenuItem::separator(),
        {.title = "Find",
         .submenu =
             {{.title = "Find…", .key = {u'f', kCommand}},
              {.title = "Mailbox Search",
               .key = {u'f', kOptionCommand},
               .enabled = [this] { return viewer() != nullptr; },
               .action = [this] { searchMailbox(); }},
              {.title = "Find Next", .key = {u'g', kCommand}, .enabled = [] { return false; }}}},
        {.title = "Spelling and Grammar",
         .submenu = {{.title = "Show Spelling and Grammar", .key = {u':', kCommand}},
                     {.title = "Check Document Now", .key = {u';', kCommand}}}}}},
      {"View",
       {{.title = "Show Favorites Bar"},
        {.title = "Sort By",
         .submenu = {{.title = "Date"}, {.title = "From"}, {.title = "Subject"}}},
        MenuItem::separator(),
        {.title = "Show Mailbox List", .key = {u'm', kShiftCommand}}}},
      {"Mailbox",
       {{.title = "Get All New Mail", .key = {u'n', kShiftCommand}},
        MenuItem::separator(),
        {.title = "Go to Favorite Mailbox",
         .submenu =
             {{.title = "Inbox",
               .key = {u'1', kCommand},
               .action = [this] { showMailbox("Inbox"); }},
              {.title = "Archive",
               .key = {u'2', kCommand},
               .action = [this] { showMailbox("Archive"); }},
              {.title = "Sent", .key = {u'3', kCommand}, .action = [this] { showMailbox("Sent"); }},
              {.title = "Junk", .key = {u'4', kCommand}, .action = [this] { showMailbox("Junk"); }},
              {.title = "Trash",
               .key = {u'5', kCommand},
               .action = [this] { showMailbox("Trash"); }}}}}},
      {"Message",
       {{.title = "Send",
         .key = {u'd', kShiftCommand},
         .enabled = composing,
         .action = [this] { send(); }},
        MenuItem::separator(),
        {.title = "Reply",
         .key = {u'r', kCommand},
         .enabled = hasTarget,
         .action = [this] { reply(false, false); }},
        {.title = "Reply All",
         .key = {u'r', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { reply(true, false); }},
        {.title = "Forward",
         .key = {u'f', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { reply(false, true); }},
        MenuItem::separator(),
        {.title = "Mark as Read",
         .key = {u'u', kShiftCommand},
         .enabled =
             [this] {
               const auto m = targetMessage();
               return m && !m->read;
             },
         .action = [this] { markTarget(true); }},
        {.title = "Mark as Unread",
         .key = {u'u', kShiftCommand},
         .enabled =
             [this] {
               const auto m = targetMessage();
               return m && m->read;
             },
         .action = [this] { markTarget(false); }},
        {.title = "Flag",
         .submenu = {{.title = "Toggle Flag",
                      .key = {u'l', kShiftCommand},
                      .enabled = hasTarget,
                      .action = [this] { toggleFlag(); }},
                     MenuItem::separator(),
                     {.title = "Red", .enabled = hasTarget},
                     {.title = "Orange", .enabled = hasTarget}}},
        {.title = variant_.junkTitle,
         .key = {u'j', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { moveTarget("Junk", variant_.junkTitle); }},
        {.title = "Archive",
         .key = {u'a', kControlCommand},
         .enabled = hasTarget,
         .action = [this] { moveTarget("Archive", "Archive"); }},
        MenuItem::separator(),
        {.title = "Move to",
         .submenu = {{.title = "Inbox",
                      .enabled = hasTarget,
                      .action = [this] { moveTarget("Inbox", "Move"); }},
                     {.title = "Archive",
                      .enabled = hasTarget,
                      .action = [this] { moveTarget("Archive", "Move"); }},
                     {.title = "Trash",
                      .enabled = hasTarget,
                      .action = [this] { moveTarget("Trash", "Move"); }}}},
        {.title = "Apply Rules", .key = {u'l', kOptionCommand}, .enabled = hasTarget}}},
      {"Format",
       {{.title = "Show Fonts", .key = {u't', kCommand}, .enabled = composing},
        {.title = "Show Colors", .key = {u'c', kShiftCommand}, .enabled = composing}}},
      {"Window",
       {{.title = "Minimize", .key = {u'm', kCommand}, .enabled = hasWindow},
        {.title = "Zoom", .enabled = hasWindow},
        MenuItem::separator(),
        {.title = "Message Viewer",
         .key = {u'0', kCommand},
         .action =
             [this] {
               const auto found = std::find(windows_.begin(), windows_.end(), viewer());
               if (found != windows_.end())
                 bringToFront(static_cast<std::size_t>(found - windows_.begin()));
             }},
        MenuItem::separator()}},
      {"Help", {{.title = "Search"}, {.title = "Mail Help"}}},
  };
  std::vector<std::string> path;
  for (auto& menu : menus) {
    path = {menu.title};
    applyVariant(menu.items, path, variant_);
  }
  buildMenuBar(std::move(menus));
  if (const auto window = menuItem({"Window"})) {
    windowMenu_ = window->children.front();
    windowMenuFixedItems_ = windowMenu_->children.size();
  }
}

// MARK: - What a user sees

const std::vector<MailMessage>& MailApp::mailbox(const std::string& name) const {
  return store_->mailbox(name);
}

std::optional<MailMessage> MailApp::selectedMessage() const {
  if (!selectedID_) return std::nullopt;
  for (const auto& message : mailbox(currentMailbox_)) {
    if (message.id == *selectedID_) return message;
  }
  return std::nullopt;
}

std::vector<MailApp::WindowInfo> MailApp::windowList() const {
  std::vector<WindowInfo> list;
  for (const auto& window : windows_) {
    list.push_back({window->kind, window->root->currentTitle().value_or(""),
                    window->sheet != nullptr, window->popover != nullptr});
  }
  return list;
}

std::string MailApp::focusDescription() const {
  const auto window = keyWindow();
  if (!window) return "no window";
  const std::string kind = window->kind == WindowKind::viewer    ? "viewer"
                           : window->kind == WindowKind::message ? "message window"
                                                                 : "compose window";
  const auto focused = window->focus.lock();
  if (!focused) return kind + ": nothing focused";
  if (window->sheet && focused->parent.lock() == window->sheet) return kind + ": sheet";
  if (window->popover) return kind + ": address suggestions";
  for (auto place : {Place::messageList, Place::mailboxList, Place::searchField, Place::preview,
                     Place::toField, Place::subjectField, Place::body, Place::messageContent}) {
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

std::optional<std::string> MailApp::undoName() const {
  if (undoStack_.empty()) return std::nullopt;
  return undoStack_.back().name;
}

// MARK: - What a user does

bool MailApp::focus(Place place) {
  const auto wanted = [place](WindowKind kind) {
    switch (place) {
      case Place::toField:
      case Place::subjectField:
      case Place::body:
        return kind == WindowKind::compose;
      case Place::messageContent:
        return kind == WindowKind::message;
      default:
        return kind == WindowKind::viewer;
    }
  };
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (!wanted(windows_[i]->kind)) continue;
    bringToFront(i);
    auto window = windows_.front();
    if (window->sheet) return false;  // a sheet keeps the focus
    window->popover.reset();
    window->focus = nodeFor(*window, place);
    return true;
  }
  return false;
}

bool MailApp::select(std::size_t index) {
  const auto& messages = mailbox(currentMailbox_);
  if (index >= messages.size()) return false;
  selectedID_ = messages[index].id;
  refreshTable();
  return true;
}

bool MailApp::selectSubject(const std::string& subject) {
  const auto& messages = mailbox(currentMailbox_);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (messages[i].subject == subject) return select(i);
  }
  return false;
}

void MailApp::showMailbox(const std::string& name) {
  if (!store_->mailboxes.contains(name)) return;
  currentMailbox_ = name;
  const auto& messages = mailbox(name);
  selectedID_ = messages.empty() ? std::nullopt : std::optional(messages.front().id);
  refreshTable();
}

void MailApp::newMessage() {
  openWindow(makeComposeWindow("", "", "", Place::toField));
}

bool MailApp::openSelectedMessage() {
  const auto selected = selectedMessage();
  if (!selected) return false;
  if (MailMessage* message = store_->find(selected->id)) message->read = true;
  openWindow(makeMessageWindow(*selected));
  return true;
}

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

// MARK: - The commands

std::optional<MailMessage> MailApp::targetMessage() const {
  const auto window = keyWindow();
  if (!window) return std::nullopt;
  if (window->kind == WindowKind::message) {
    if (const MailMessage* shown = store_->find(window->messageID)) return *shown;
    return std::nullopt;
  }
  if (window->kind == WindowKind::viewer) return selectedMessage();
  return std::nullopt;
}

void MailApp::moveTarget(const std::string& to, const std::string& undoName) {
  const auto target = targetMessage();
  if (!target) return;
  std::string from;
  if (!store_->find(target->id, &from) || from == to) return;
  auto& source = store_->mailboxes[from];
  const auto at =
      std::find_if(source.begin(), source.end(), [&](const auto& m) { return m.id == target->id; });
  const auto index = static_cast<std::size_t>(at - source.begin());
  MailMessage moved = *at;
  source.erase(at);
  store_->mailboxes[to].push_back(moved);
  // The selection moves on to the message that took its place.
  if (selectedID_ == moved.id && from == currentMailbox_) {
    selectedID_ = source.empty() ? std::nullopt
                                 : std::optional(source[std::min(index, source.size() - 1)].id);
  }
  // An opened message that goes away takes its window with it.
  std::erase_if(windows_, [&](const auto& window) {
    return window->kind == WindowKind::message && window->messageID == moved.id;
  });
  refreshWindowMenu();
  refreshTable();
  undoStack_.push_back(
      {undoName, [this, moved, from, to, index] {
         auto& there = store_->mailboxes[to];
         std::erase_if(there, [&](const auto& m) { return m.id == moved.id; });
         auto& back = store_->mailboxes[from];
         back.insert(back.begin() + static_cast<long>(std::min(index, back.size())), moved);
         if (from == currentMailbox_) selectedID_ = moved.id;
         refreshTable();
       }});
}

void MailApp::markTarget(bool read) {
  const auto target = targetMessage();
  if (!target) return;
  MailMessage* message = store_->find(target->id);
  const bool was = message->read;
  message->read = read;
  undoStack_.push_back({read ? "Mark as Read" : "Mark as Unread", [this, id = target->id, was] {
                          if (MailMessage* m = store_->find(id)) m->read = was;
                        }});
}

void MailApp::toggleFlag() {
  const auto target = targetMessage();
  if (!target) return;
  MailMessage* message = store_->find(target->id);
  message->flagged = !message->flagged;
  undoStack_.push_back({message->flagged ? "Flag" : "Unflag", [this, id = target->id] {
                          if (MailMessage* m = store_->find(id)) m->flagged = !m->flagged;
                        }});
}

void MailApp::reply(bool all, bool forward) {
  const auto target = targetMessage();
  if (!target) return;
  std::string to = forward ? "" : target->sender;
  if (all) to += ", team@larkmoor.example";
  const std::string prefix = forward ? "Fwd: " : "Re: ";
  openWindow(
      makeComposeWindow(to, prefix + target->subject, "", forward ? Place::toField : Place::body));
}

void MailApp::send() {
  const auto window = keyWindow();
  if (!window || window->kind != WindowKind::compose) return;
  const std::string subject =
      window->subject->value->empty() ? "(No Subject)" : *window->subject->value;
  store_->add("Sent", "Me", subject, true);
  closeWindow(window);
  if (currentMailbox_ == "Sent") refreshTable();
}

void MailApp::undo() {
  if (undoStack_.empty()) return;
  auto entry = std::move(undoStack_.back());
  undoStack_.pop_back();
  entry.revert();
}

void MailApp::searchMailbox() {
  const auto found = std::find(windows_.begin(), windows_.end(), viewer());
  if (found == windows_.end()) return;
  bringToFront(static_cast<std::size_t>(found - windows_.begin()));
  windows_.front()->focus = windows_.front()->searchField;
}

void MailApp::copy(bool cut) {
  const auto focused = focusedElement();
  if (focused && focused->editable) {
    mac_.pasteboard = focused->value.value_or("");
    if (cut) focused->value = "";
    return;
  }
  if (const auto target = targetMessage(); target && !cut) mac_.pasteboard = target->subject;
}

void MailApp::paste() {
  const auto focused = focusedElement();
  if (focused && focused->editable) *focused->value += mac_.pasteboard;
}

void MailApp::moveSelection(int by) {
  const auto& messages = mailbox(currentMailbox_);
  if (messages.empty()) return;
  std::size_t index = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (selectedID_ && messages[i].id == *selectedID_) index = i;
  }
  if (!selectedID_) {
    select(0);
    return;
  }
  const long next =
      std::clamp(static_cast<long>(index) + by, 0L, static_cast<long>(messages.size()) - 1);
  select(static_cast<std::size_t>(next));
}

// MARK: - Keys

void MailApp::keyDown(const Event& event) {
  const auto keyCode = event.integerValueField(EventField::keyboardEventKeycode);
  const auto window = keyWindow();
  if (window && window->sheet) {
    if (keyCode == Key::escape) dismissSheet(false);
    if (keyCode == Key::returnKey || keyCode == Key::keypadEnter) dismissSheet(true);
    return;
  }
  if (performKeyEquivalent(event)) return;
  if (window && window->popover) {
    if (keyCode == Key::escape || keyCode == Key::returnKey) {
      if (keyCode == Key::returnKey) *window->to->value = window->focus.lock()->value.value_or("");
      std::erase(window->root->children, window->popover);
      window->popover.reset();
      window->focus = window->to;
    }
    return;
  }
  const auto focused = focusedElement();
  if (!window || !focused) return;
  if (focused->editable) {
    const bool shift = event.flags() & Flags::shift;
    if (keyCode == Key::tab && window->kind == WindowKind::compose) {
      const std::vector<std::shared_ptr<AXNode>> order{window->to, window->subject, window->body};
      const auto at = std::find(order.begin(), order.end(), focused) - order.begin();
      window->focus = order[static_cast<std::size_t>((at + (shift ? 2 : 1)) % 3)];
      return;
    }
    if (focused == window->searchField && (keyCode == Key::escape || keyCode == Key::tab)) {
      if (keyCode == Key::escape) focused->value = "";
      window->focus = window->table;
      return;
    }
    if (keyCode == Key::returnKey && focused == window->body) {
      *focused->value += "\n";
      return;
    }
    typeIntoFocusedElement(event);
    return;
  }
  if (focused == window->table) {
    if (keyCode == Key::down) moveSelection(1);
    if (keyCode == Key::up) moveSelection(-1);
    if (keyCode == Key::deleteKey && !(event.flags() & (Flags::command | Flags::control))) {
      moveTarget("Trash", "Delete");
    }
  }
}

}  // namespace quillo::sim
