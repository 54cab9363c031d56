/* MacShim's stand-in for the ApplicationServices umbrella: CoreFoundation,
 * Quartz Event Services and the Accessibility API, as far as Quillo's macOS
 * adapters use them. */
#ifndef MACSHIM_APPLICATIONSERVICES_H
#define MACSHIM_APPLICATIONSERVICES_H

#include "MacShim/CoreFoundation.h"
#include "MacShim/CoreGraphics.h"
#include "MacShim/HIServices.h"

#endif
