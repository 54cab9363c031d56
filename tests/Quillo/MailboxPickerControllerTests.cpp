#include "MailboxPickerController.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "PanelWindowSpy.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloFixture.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimStatusItem.hpp"

namespace quillo {
namespace {

/// A drawing that keeps what it was last given, at a size of its own.
class PickerViewSpy final : public PickerView {
 public:
  using PickerView::makeRequest;
  void display(const PickerContent& content) override {
    last = content;
    ++displays;
  }
  std::optional<platform::Size> fittingSize() const override { return platform::Size{400, 300}; }
  std::optional<PickerContent> last;
  int displays = 0;
};

class MailboxPickerControllerTest : public testing::KeyPathTest {
 protected:
  /// Accessibility requests to Mail made by `work`.
  template <class Work>
  std::size_t requestsToMail(Work&& work) {
    auto& ax = mac.accessibility();
    ax.resetRoundTrips();
    work();
    return ax.roundTrips(mail->pid());
  }
  std::string note() const { return view.last && view.last->note ? *view.last->note : "none"; }

  sim::SimStatusItem item;
  testing::PanelWindowSpy window;
  sim::SimEventMonitors monitors{mac, 9999};
  PickerViewSpy view;
  MailboxPickerController picker{app, item, window, monitors, view, 9999};
};

TEST_F(MailboxPickerControllerTest, TheFirstOpeningReadsInPostedWorkAndALaterOneAsksMailNothing) {
  EXPECT_EQ(requestsToMail([&] { picker.open(ActionID::moveToMailbox); }), 0u);
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(note(), "Reading Mail's mailboxes\u2026");  // shown before anything is read
  EXPECT_GT(requestsToMail([&] { loop.runUntilIdle(); }), 0u);
  EXPECT_EQ(view.last->rows.size(), 9u);
  picker.close("Esc");
  EXPECT_FALSE(window.visible);

  std::string said;
  EXPECT_EQ(requestsToMail([&] {
              said = picker.open(ActionID::moveToMailbox);
              loop.runUntilIdle();
            }),
            0u);
  EXPECT_EQ(said, "opened the picker");
  EXPECT_EQ(view.last->rows.size(), 9u);  // at once, from the cache
  picker.close("Esc");

  // Each menu has its own list; an old list is shown, then read again.
  EXPECT_EQ(picker.open(ActionID::copyToMailbox), "opened the picker; reading Mail's mailboxes");
  picker.close("Esc");
  loop.advance(platform::Duration(MailboxPickerController::freshFor + 1));
  EXPECT_EQ(requestsToMail([&] {
              EXPECT_EQ(picker.open(ActionID::moveToMailbox),
                        "opened the picker; reading Mail's mailboxes again");
            }),
            0u);
  EXPECT_EQ(view.last->rows.size(), 9u);
  EXPECT_GT(requestsToMail([&] { loop.runUntilIdle(); }), 0u);
}

TEST_F(MailboxPickerControllerTest, ANewMailProcessIsReadAfreshAndItsQuittingClosesThePicker) {
  picker.open(ActionID::moveToMailbox);
  loop.runUntilIdle();
  picker.close("Esc");
  mail = &user.relaunchMail();
  loop.runUntilIdle();
  EXPECT_EQ(picker.open(ActionID::moveToMailbox), "opened the picker; reading Mail's mailboxes");
  user.quitMail();
  loop.runUntilIdle();
  EXPECT_FALSE(picker.isOpen());
  EXPECT_EQ(picker.lastCloseReason(), "Mail quit");
  EXPECT_EQ(picker.open(ActionID::moveToMailbox), "Mail isn't running");
  EXPECT_FALSE(window.visible);
}

TEST_F(MailboxPickerControllerTest, EveryKeyIsThePickersAndARowsClickFilesThere) {
  picker.open(ActionID::moveToMailbox);
  loop.runUntilIdle();
  platform::MonitoredEvent key;
  key.keyCode = platform::KeyCode::t;
  key.characters = "t";
  EXPECT_FALSE(picker.handleLocalEvent(key));  // typed into the picker, nowhere else
  EXPECT_EQ(view.last->query, "t");
  key.keyCode = platform::KeyCode::tab;
  key.characters = "\t";
  EXPECT_FALSE(picker.handleLocalEvent(key));  // does nothing, reaches nothing
  platform::MonitoredEvent click;
  click.type = platform::MonitoredEvent::Type::leftMouseDown;
  EXPECT_TRUE(picker.handleLocalEvent(click));  // the drawing's to handle
  view.makeRequest(PickerRequests::Choose{Mailbox{{"Travel"}}});
  EXPECT_FALSE(picker.isOpen());
  loop.runUntilIdle();
  EXPECT_EQ(mail->menuPresses.back().path, "Message \u203a Move To \u203a Travel");
  EXPECT_EQ(app.prefs().recentMailboxes(5), (std::vector<Mailbox>{Mailbox{{"Travel"}}}));
}

}  // namespace
}  // namespace quillo
