// The event adapter over the MacShim: Quillo's event tap re-enabled after
// both ways the system disables it, posted keys carrying the own-event
// marker to Mail alone, and the tap's lifetime handled however the handles
// are let go. Keys typed, held, dropped and passed through the adapter are
// the golden transcripts' business: every one also runs over these adapters.
#include <gtest/gtest.h>

#include "EventTap.hpp"
#include "MacShimFixture.hpp"
#include "Platform/Text.hpp"
#include "Platform/macos/MacEventServices.hpp"
#include "Session/RecordedServices.hpp"

namespace quillo {
namespace {

using namespace platform;
using Place = sim::MailApp::Place;

constexpr std::int64_t kOwnEventMarker = 0x514C4F21;  // "QLO!"

class MacEventServicesTest : public testing::MacShimTest {
 protected:
  void releaseAdapters() override {
    sources.clear();
    tap.reset();
    events.reset();
  }

  /// A tap through the adapter that records what it sees.
  struct Recorder {
    std::vector<Event> seen;
    std::vector<EventType> types;
    static Event* callback(EventTapProxy, EventType type, Event* event, void* userInfo) {
      auto* self = static_cast<Recorder*>(userInfo);
      self->types.push_back(type);
      self->seen.push_back(*event);
      return event;
    }
  };
  Owned<MachPort> install(Recorder& recorder) {
    auto port = events->tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                                  EventTapOptions::defaultTap, EventTap::eventsOfInterest,
                                  &Recorder::callback, &recorder);
    EXPECT_TRUE(port);
    auto source = events->machPortCreateRunLoopSource(*port);
    events->runLoopAddSource(source);
    sources.push_back(std::move(source));
    return std::move(*port);
  }

  std::unique_ptr<EventServices> events = std::make_unique<macos::MacEventServices>();
  RecordingSystemLog systemLog;
  std::unique_ptr<EventTap> tap = std::make_unique<EventTap>(*events, systemLog, mac.loop());
  std::vector<Owned<RunLoopSource>> sources;
};

TEST_F(MacEventServicesTest, QuillosTapIsReEnabledAfterEitherWayTheSystemDisablesIt) {
  ASSERT_TRUE(tap->start());
  tap->setListening(true);
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  mac.windowServer().disableTapsByTimeout();
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 0u);
  loop.runUntilIdle();
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  mac.windowServer().disableTapsByUserInput();
  loop.runUntilIdle();
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  EXPECT_EQ(systemLog.messages("app"),
            (std::vector<std::string>{
                "Event tap was disabled by the system (timeout); re-enabling: true",
                "Event tap was disabled by the system (user input); re-enabling: true"}));
  // Told to stop listening after the system disabled it, it stays off.
  mac.windowServer().disableTapsByTimeout();
  tap->setListening(false);
  loop.runUntilIdle();
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 0u);
  EXPECT_EQ(systemLog.messages("app").back(),
            "Event tap was disabled by the system (timeout); re-enabling: false");
}

TEST_F(MacEventServicesTest, WithoutThePermissionNoTapIsInstalled) {
  mac.permissions.accessibility = false;
  EXPECT_FALSE(tap->start());
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
}

TEST_F(MacEventServicesTest, StoppingRemovesTheTapAndStartingAgainInstallsAnEnabledOne) {
  ASSERT_TRUE(tap->start());
  EXPECT_EQ(macshim::mainRunLoopModes(), std::vector<std::string>{"kCFRunLoopCommonModes"});
  tap->setListening(true);
  tap->stop();
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
  EXPECT_TRUE(macshim::mainRunLoopModes().empty());
  ASSERT_TRUE(tap->start());
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
}

TEST_F(MacEventServicesTest, APostedKeyCarriesTheMarkerAndReachesOnlyMail) {
  Recorder recorder;
  install(recorder);
  user.switchTo("com.apple.Safari", "Safari");  // another application has the keyboard
  std::optional<Event> down, up;
  {
    const auto source = events->eventSourceCreate(EventSourceStateID::privateState);
    ASSERT_TRUE(source);
    events->eventSourceSetUserData(*source, kOwnEventMarker);
    down = events->createKeyboardEvent(source->get(), KeyCode::down, true);
    up = events->createKeyboardEvent(source->get(), KeyCode::down, false);
  }  // the events outlive their source
  ASSERT_TRUE(down && up);
  EXPECT_EQ(down->integerValueField(EventField::eventSourceUserData), kOwnEventMarker);
  const std::uint64_t before = mac.windowServer().eventsLogged();
  events->postToPid(mail->pid(), *down);
  events->postToPid(mail->pid(), *up);
  loop.runUntilIdle();
  ASSERT_EQ(mac.windowServer().eventsLogged(), before + 2);
  for (std::uint64_t i = before; i < before + 2; ++i) {
    const auto* logged = mac.windowServer().loggedEvent(i);
    EXPECT_TRUE(logged->posted);
    EXPECT_EQ(logged->userData, kOwnEventMarker);
    EXPECT_EQ(logged->targetPID, mail->pid());
    EXPECT_EQ(logged->deliveredTo, std::optional<pid_t>(mail->pid()));
    EXPECT_EQ(logged->keyCode, KeyCode::down);
  }
  // Quillo's own tap sees them too, marked, and aimed at Mail.
  ASSERT_EQ(recorder.seen.size(), 2u);
  EXPECT_EQ(recorder.seen[0].integerValueField(EventField::eventSourceUserData), kOwnEventMarker);
  EXPECT_EQ(recorder.seen[0].integerValueField(EventField::eventTargetUnixProcessID), mail->pid());
}

TEST_F(MacEventServicesTest, EventCreationCanFail) {
  mac.windowServer().eventCreationFails = true;
  EXPECT_FALSE(events->eventSourceCreate(EventSourceStateID::privateState));
  EXPECT_FALSE(events->createKeyboardEvent(std::nullopt, KeyCode::down, true));
}

TEST_F(MacEventServicesTest, APortReleasedWhileItsSourceIsInTheRunLoopStillDelivers) {
  Recorder recorder;
  install(recorder);  // its port is let go at once; the run loop's source still holds the tap
  user.press("e");
  EXPECT_EQ(recorder.types.size(), 2u);
  events->runLoopRemoveSource(sources.front());
  sources.clear();
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
}

TEST_F(MacEventServicesTest, AnInvalidatedPortIsNoLongerValid) {
  Recorder recorder;
  const auto port = install(recorder);
  EXPECT_TRUE(events->machPortIsValid(port));
  EXPECT_TRUE(events->tapIsEnabled(port));
  events->machPortInvalidate(port);
  EXPECT_FALSE(events->machPortIsValid(port));
  EXPECT_FALSE(events->tapIsEnabled(port));
  user.press("e");
  EXPECT_TRUE(recorder.types.empty());
}

TEST_F(MacEventServicesTest, PermissionsAndSecureInputAreTheSystems) {
  EXPECT_FALSE(events->preflightListenEventAccess());
  EXPECT_FALSE(events->requestListenEventAccess());
  EXPECT_EQ(mac.permissions.prompts, std::vector<std::string>{"Input Monitoring"});
  mac.permissions.inputMonitoring = true;
  EXPECT_TRUE(events->preflightListenEventAccess());
  EXPECT_FALSE(events->isSecureEventInputEnabled());
  mac.windowServer().enableSecureEventInput(404);
  EXPECT_TRUE(events->isSecureEventInputEnabled());
  mac.windowServer().disableSecureEventInput(404);
  EXPECT_FALSE(events->isSecureEventInputEnabled());
}

}  // namespace
}  // namespace quillo
