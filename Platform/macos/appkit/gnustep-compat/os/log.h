/* Used only by the Objective-C++ syntax check against GNUstep, never on a
 * Mac: the part of the unified logging API (os/log.h) Quillo calls,
 * declared from Apple's public documentation. On a Mac os_log_with_type is
 * a macro that needs a literal format; the function here takes the same
 * arguments. */
#pragma once
#ifdef __APPLE__
#error "gnustep-compat is for the syntax check on Linux only"
#endif
#import <Foundation/Foundation.h>

#include <stdint.h>

@protocol OS_os_log <NSObject>
@end
typedef NSObject<OS_os_log>* os_log_t;

typedef uint8_t os_log_type_t;
#define OS_LOG_TYPE_DEFAULT ((os_log_type_t)0x00)
#define OS_LOG_TYPE_INFO ((os_log_type_t)0x01)
#define OS_LOG_TYPE_DEBUG ((os_log_type_t)0x02)
#define OS_LOG_TYPE_ERROR ((os_log_type_t)0x10)
#define OS_LOG_TYPE_FAULT ((os_log_type_t)0x11)

#ifdef __cplusplus
extern "C" {
#endif
os_log_t os_log_create(const char* subsystem, const char* category);
void os_log_with_type(os_log_t log, os_log_type_t type, const char* format, ...);
#ifdef __cplusplus
}
#endif
