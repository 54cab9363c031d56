#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>

#include "MacMainLoop.hpp"

#include "MacDispatchSource.h"
#include "MacDispatchTime.hpp"
#include "MacFileSources.hpp"
#include "Platform/MainLoopHandles.hpp"

namespace quillo::platform::mac {

void MacMainLoop::post(std::function<void()> work) {
  dispatch_async(dispatch_get_main_queue(), ^{
    work();
  });
}

std::shared_ptr<WorkItem> MacMainLoop::schedule(Duration delay, std::function<void()> work) {
  // Cancelling only marks the item: the block handed to Dispatch checks the
  // mark when it comes due. The block holds the item, so the work runs even
  // if the caller drops it.
  auto item = std::make_shared<ScheduledWork>([] { return true; });
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, dispatchNanoseconds(delay)),
                 dispatch_get_main_queue(), ^{
                   if (!item->isCancelled()) work();
                 });
  return item;
}

std::unique_ptr<Timer> MacMainLoop::repeat(Duration interval, std::function<void()> work) {
  dispatch_source_t source =
      dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue());
  const TimerSchedule schedule = timerSchedule(interval);
  dispatch_source_set_timer(
      source, dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(schedule.interval)),
      schedule.interval, schedule.leeway);
  dispatch_source_set_event_handler(source, ^{
    work();
  });
  dispatch_resume(source);
  return std::make_unique<RepeatingTimer>(
      [held = std::make_shared<MacDispatchSource>(source)] { held->cancel(); });
}

std::unique_ptr<FileSource> MacMainLoop::watch(const std::filesystem::path& path, FileEvents events,
                                               std::function<void(FileEvents)> handler) {
  return watchFile(path, events, std::move(handler));
}

void MacMainLoop::run() {
  [[NSApplication sharedApplication] run];
}

void MacMainLoop::stop() {
  NSApplication* application = [NSApplication sharedApplication];
  [application stop:nil];
  // stop: takes effect after the next event; this one makes it come now.
  NSEvent* wake = [NSEvent otherEventWithType:NSEventTypeApplicationDefined
                                     location:NSZeroPoint
                                modifierFlags:0
                                    timestamp:0
                                 windowNumber:0
                                      context:nil
                                      subtype:0
                                        data1:0
                                        data2:0];
  [application postEvent:wake atStart:YES];
}

WallClock::time_point MacMainLoop::now() const {
  return WallClock::now();
}

}  // namespace quillo::platform::mac
