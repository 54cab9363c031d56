#include "EventTap.hpp"

namespace quillo {

using namespace platform;

std::string TapRenewal::description() const {
  const std::string why = [&]() -> std::string {
    switch (reason) {
      case Reason::repeatedTimeouts:
        return "timed out " + std::to_string(TapTimeouts::limit) + " times within " +
               std::to_string(static_cast<int>(TapTimeouts::window.count())) + " seconds";
      case Reason::portInvalid:
        return "its port became invalid";
    }
    return {};
  }();
  return (installed ? "event tap re-created (" : "event tap re-creation failed (") + why + ")";
}

EventTap::EventTap(EventServices& events, SystemLog& systemLog, MainLoop& loop)
    : events_(events), log_(systemLog, "app"), loop_(loop) {}

EventTap::~EventTap() {
  stop();
  onKeyEvent_ = nullptr;
  onDisabled_ = nullptr;
  onRenewed_ = nullptr;
}

bool EventTap::start() {
  if (tap_) return true;
  auto tap =
      events_.tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                        EventTapOptions::defaultTap, eventsOfInterest, &EventTap::callback, this);
  if (!tap) return false;
  auto source = events_.machPortCreateRunLoopSource(*tap);
  events_.runLoopAddSource(source);
  tap_ = std::move(tap);
  source_ = std::move(source);
  timeouts_.clear();  // a new tap's record is clean
  // A new tap is on only if listening was already asked for.
  events_.tapEnable(*tap_, isListening_);
  return true;
}

void EventTap::setListening(bool on) {
  isListening_ = on;
  if (tap_) events_.tapEnable(*tap_, on);
}

void EventTap::stop() {
  if (!tap_) return;
  events_.tapEnable(*tap_, false);
  if (source_) events_.runLoopRemoveSource(*source_);
  source_.reset();
  events_.machPortInvalidate(*tap_);
  tap_.reset();
}

bool EventTap::renewIfPortInvalid() {
  if (!tap_ || events_.machPortIsValid(*tap_)) return false;
  renew(tap_->get(), TapRenewal::Reason::portInvalid);
  return true;
}

void EventTap::renew(MachPort broken, TapRenewal::Reason reason) {
  if (tap_ != broken) return;  // removed or replaced meanwhile
  stop();
  const TapRenewal renewal{reason, start()};
  ++renewals_;
  if (renewal.installed) {
    log_.notice(renewal.description());
  } else {
    log_.error(renewal.description());
  }
  if (onRenewed_) onRenewed_(renewal);
}

Event* EventTap::callback(EventTapProxy, EventType type, Event* event, void* userInfo) {
  if (userInfo == nullptr || event == nullptr) return event;
  try {
    return static_cast<EventTap*>(userInfo)->handle(type, *event) ? nullptr : event;
  } catch (...) {
    return event;  // whatever went wrong, the key passes
  }
}

bool EventTap::handle(EventType type, const Event& event) {
  switch (type) {
    case EventType::keyDown:
    case EventType::keyUp:
      return onKeyEvent_ ? onKeyEvent_(type, event) : false;
    case EventType::leftMouseDown:
    case EventType::rightMouseDown:
      if (onKeyEvent_) onKeyEvent_(type, event);
      return false;  // a click always goes on
    case EventType::tapDisabledByTimeout:
    case EventType::tapDisabledByUserInput: {
      const bool timeout = type == EventType::tapDisabledByTimeout;
      if (onDisabled_) onDisabled_();
      const bool reenable = isListening_ && tap_;
      log_.notice(std::string("Event tap was disabled by the system (") +
                  (timeout ? "timeout" : "user input") +
                  "); re-enabling: " + (reenable ? "true" : "false"));
      if (!reenable) return false;
      if (timeout && timeouts_.noteTimeout(loop_.now())) {
        // Re-enabling has not held; a new tap replaces this one, once this
        // callback has returned. It stays off until then.
        loop_.post([weak = lifeline_.weak(), broken = tap_->get()] {
          if (auto* self = Lifeline<EventTap>::lock(weak))
            self->renew(broken, TapRenewal::Reason::repeatedTimeouts);
        });
        return false;
      }
      events_.tapEnable(*tap_, true);
      return false;
    }
    case EventType::null:
    case EventType::flagsChanged:
      return false;  // not asked for; a tap may still be handed one
  }
  return false;
}

}  // namespace quillo
