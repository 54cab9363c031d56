/* MacShim's stand-in for the Carbon umbrella: Text Input Sources, Unicode key
 * layouts and secure event input, as far as Quillo's macOS adapters use them. */
#ifndef MACSHIM_CARBON_H
#define MACSHIM_CARBON_H

#include "ApplicationServices/ApplicationServices.h"
#include "MacShim/TextInputSources.h"

#endif
