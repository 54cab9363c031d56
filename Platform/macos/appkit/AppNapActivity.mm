#import <Foundation/Foundation.h>

#include "AppNapActivity.hpp"

#include "MacBridging.h"

namespace quillo::platform::mac {

struct AppNapActivity::Token {
  id<NSObject> activity;
};

AppNapActivity::AppNapActivity(std::string_view reason) : token_(std::make_unique<Token>()) {
  // User-initiated work is never napped; allowing idle system sleep keeps
  // the activity from holding the Mac awake all day.
  token_->activity = [[NSProcessInfo processInfo]
      beginActivityWithOptions:NSActivityUserInitiatedAllowingIdleSystemSleep
                        reason:toNSString(reason)];
}

AppNapActivity::~AppNapActivity() {
  if (token_->activity) [[NSProcessInfo processInfo] endActivity:token_->activity];
}

}  // namespace quillo::platform::mac
