// MailWindow: one of the simulated Mail's windows and the accessibility
// nodes a user can reach in it — shared by the files that build the
// windows, run the commands and route the keys.
//
// Each kind fills its own nodes and leaves the others null:
//  * the viewer: a standard window whose direct children are a toolbar (with
//    the search field) and a split group holding the mailbox list, the
//    message-list table (identifier "Mail.messageList", one AXRow per
//    message) and the preview (which is therefore not a direct child);
//  * an opened message: a standard window whose direct children include the
//    scroll area "_MAIL_MESSAGE_CONTENT" holding the message's web area;
//  * a compose window: direct children include the text fields
//    "Mail.toField" and "Mail.subjectField", and the body's web area.
// Sheets (AXSheet) and popovers (AXPopover) open over any of them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Simulator/MailApp.hpp"

namespace quillo::sim {

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

}  // namespace quillo::sim
