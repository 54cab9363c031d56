#include "EventTap.hpp"

namespace quillo {

using namespace platform;

EventTap::EventTap(EventServices& events, SystemLog& systemLog)
    : events_(events), log_(systemLog, "app") {}

EventTap::~EventTap() {
  stop();
  onKeyEvent_ = nullptr;
  onDisabled_ = nullptr;
}

bool EventTap::start() {
  if (tap_) return true;
  const auto tap =
      events_.tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                        EventTapOptions::defaultTap, eventsOfInterest, &EventTap::callback, this);
  if (!tap) return false;
  const RunLoopSource source = events_.machPortCreateRunLoopSource(*tap);
  events_.runLoopAddSource(source);
  if (source_) events_.release(*source_);
  tap_ = tap;
  source_ = source;
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
  if (source_) {
    events_.runLoopRemoveSource(*source_);
    events_.release(*source_);
  }
  events_.machPortInvalidate(*tap_);
  events_.release(*tap_);
  tap_.reset();
  source_.reset();
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
    case EventType::tapDisabledByTimeout:
    case EventType::tapDisabledByUserInput: {
      const char* why = type == EventType::tapDisabledByTimeout ? "timeout" : "user input";
      if (onDisabled_) onDisabled_();
      const bool reenable = isListening_ && tap_;
      log_.notice(std::string("Event tap was disabled by the system (") + why +
                  "); re-enabling: " + (reenable ? "true" : "false"));
      if (reenable) events_.tapEnable(*tap_, true);
      return false;
    }
    case EventType::null:
    case EventType::flagsChanged:
      return false;  // not asked for; a tap may still be handed one
  }
  return false;
}

}  // namespace quillo
