// MailApp: a simulated Apple Mail — a real little mail program behind the
// accessibility server.
//
// Its parts, each in a file of its own:
//  * MailStore.hpp: the mailboxes and messages, which outlive the process;
//  * MailWindows.cpp (with MailWindow.hpp): the windows — viewer, opened
//    message, compose — their sheets and popovers, the accessibility tree
//    they expose, and where the focus is;
//  * MailMenuBar.cpp: the menu bar — titles, structure, key equivalents —
//    with the items Mail has for Quillo's actions, enabled as the state allows;
//  * MailCommands.cpp: what those menu items (and the message list's keys)
//    really do to the mailboxes, the selection and the undo stack;
//  * MailApp.cpp: the app as the Mac sees it — its start, the windows it
//    reports, and where a key that reaches it goes. Keys work as in Mail:
//    menu key equivalents first (⌘R, ⌃⌘A, ⇧⌘D, …), then the focused
//    element (typing into text, arrows and Delete in the message list).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Simulator/MailStore.hpp"
#include "Simulator/SimApp.hpp"

namespace quillo::sim {

/// How this copy of Mail differs from the usual one (fault injection).
struct MailVariant {
  /// The title of Message › Move to Junk (some versions say "Move to Spam").
  std::string junkTitle = "Move to Junk";
  /// Menu items this version lacks, as paths of titles.
  std::vector<std::vector<std::string>> missingItems{};
  /// Menu items that stay disabled whatever the state.
  std::vector<std::vector<std::string>> disabledItems{};
  /// Menu items whose command is slow or runs a modal sheet: pressed over
  /// Accessibility they do their job, but the press fails by time-out.
  std::vector<std::vector<std::string>> blockingItems{};
  /// Extra plain groups inside the viewer window (for deep trees).
  int decorativeGroups = 0;
  /// Menu items whose enabled state cannot be read over Accessibility.
  std::vector<std::vector<std::string>> unreadableEnabledItems{};
  /// Where Mail reports its focus: in the usual element, on the key window
  /// itself, or in a viewer whose message list hangs outside any window (its
  /// parents reach the application first).
  enum class Focus { usual, onWindow, outsideWindows };
  Focus focus = Focus::usual;
  /// Plain groups the viewer's message list sits in (for long parent chains).
  int listNesting = 0;
  /// The compose body as a plain text area without a Mail identifier.
  bool plainTextBody = false;
  /// Anonymous groups in the viewer, followed by a group holding one with a
  /// Mail identifier: a tree walk that stops counting early never meets it.
  int fillerGroups = 0;
  /// Menu items' enabled states lag until their menu is validated (see
  /// SimApp::setMenusLag).
  bool lagMenus = false;
  /// The language of the menu titles: "en", "de" or "fr". The key
  /// equivalents are the same in every language.
  std::string language = "en";
  /// A key equivalent the user gave a menu item in System Settings' App
  /// Shortcuts; `path` is in the menus' language. The item loses its own.
  struct AppShortcut {
    std::vector<std::string> path;
    KeyEquivalent key;
  };
  std::vector<AppShortcut> appShortcuts{};
  /// How long it takes to answer each accessibility request, from its
  /// first (a Mail busy syncing as it starts).
  double latency = 0;
};

/// The languages a simulated Mail's menus can be in.
bool isMenuLanguage(const std::string& language);

class MailApp final : public SimApp {
 public:
  enum class WindowKind { viewer, message, compose };
  /// Where the keyboard focus can be put, as a user would click it.
  enum class Place {
    messageList,
    mailboxList,
    searchField,
    preview,
    toField,
    subjectField,
    body,
    messageContent,
  };

  MailApp(SimulatedMac& mac, pid_t pid, std::shared_ptr<MailStore> store, MailVariant variant);
  ~MailApp() override;

  // MARK: SimApp
  std::shared_ptr<AXNode> focusedElement() const override;
  std::shared_ptr<AXNode> focusedWindow() const override;
  std::vector<std::shared_ptr<AXNode>> windows() const override;
  void keyDown(const platform::Event& event) override;

  // MARK: What a user sees
  const std::vector<MailMessage>& mailbox(const std::string& name) const;
  const std::string& currentMailbox() const { return currentMailbox_; }
  std::optional<MailMessage> selectedMessage() const;
  struct WindowInfo {
    WindowKind kind;
    std::string title;
    bool hasSheet;
    bool hasPopover;
  };
  /// Windows front to back; the first is the key window.
  std::vector<WindowInfo> windowList() const;
  /// Where the focus is, in words ("message list", "compose: subject field").
  std::string focusDescription() const;
  /// The text of a text element of the key window (or of the viewer's search field).
  std::optional<std::string> text(Place place) const;
  /// The undo stack's top entry, as the Edit menu names it.
  std::optional<std::string> undoName() const;

  // MARK: What a user does
  /// Clicks into a place of the front window of the kind that has it.
  bool focus(Place place);
  /// Selects the message at `index` of the current mailbox.
  bool select(std::size_t index);
  bool selectSubject(const std::string& subject);
  void showMailbox(const std::string& name);
  void newMessage();
  bool openSelectedMessage();
  /// A sheet over the key window ("Do you want to save…"), taking the focus.
  void showSheet(const std::string& message);
  /// Address suggestions under the To field, with the focus in the list.
  void showPopover();
  /// Presses the front sheet's default button, or Esc's action.
  void dismissSheet(bool accept);
  void closeKeyWindow();
  bool bringToFront(std::size_t index);

 private:
  struct Window;

  // The windows and the focus (MailWindows.cpp).
  std::shared_ptr<Window> makeViewer();
  std::shared_ptr<Window> makeMessageWindow(const MailMessage& message);
  std::shared_ptr<Window> makeComposeWindow(std::string to, std::string subject, std::string body,
                                            Place focusAt);
  void openWindow(std::shared_ptr<Window> window);
  void closeWindow(const std::shared_ptr<Window>& window);
  /// Brings one of the windows to the front; false when it is not open.
  bool bringToFront(const std::shared_ptr<Window>& window);
  /// Closes the key window's address suggestions, taking the chosen one
  /// into the To field when `accept`.
  void dismissPopover(bool accept);
  void refreshTable();
  std::shared_ptr<Window> keyWindow() const;
  std::shared_ptr<Window> viewer() const;
  std::shared_ptr<AXNode> nodeFor(const Window& window, Place place) const;
  /// The message the key window shows: the opened one, or the viewer's selection.
  std::optional<MailMessage> targetMessage() const;

  // The menu bar (MailMenuBar.cpp).
  void buildMenus();
  void refreshWindowMenu();

  // The commands behind the menu items (MailCommands.cpp).
  void moveTarget(const std::string& to, const std::string& undoName);
  void deleteTarget();
  void archiveTarget();
  void junkTarget();
  void moveTargetTo(const std::string& mailbox);
  /// A copy of the message, with an id of its own, goes into the mailbox.
  void copyTargetTo(const std::string& mailbox);
  void markTarget(bool read);
  void toggleFlag();
  void reply(bool all, bool forward);
  void send();
  void undo();
  void searchMailbox();
  void copy(bool cut);
  void paste();
  void moveSelection(int by);

  std::shared_ptr<MailStore> store_;
  MailVariant variant_;
  std::string currentMailbox_ = "Inbox";
  std::optional<std::uint64_t> selectedID_;
  std::vector<std::shared_ptr<Window>> windows_;  // front to back
  std::map<std::uint64_t, std::shared_ptr<AXNode>> rows_;
  std::shared_ptr<AXNode> windowMenu_;
  std::size_t windowMenuFixedItems_ = 0;
  struct UndoEntry {
    std::string name;
    std::function<void()> revert;
  };
  std::vector<UndoEntry> undoStack_;
};

std::string placeName(MailApp::Place place);
std::optional<MailApp::Place> placeNamed(const std::string& name);

}  // namespace quillo::sim
