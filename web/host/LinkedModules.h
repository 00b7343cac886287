// The modules the web build links in, registered with the platform's module registry.
#pragma once

#include <platform/linkedmodules.h>

namespace webhost {

// Registers the plug-in, the engine, its dialog library and the marker module, and
// writes their files; false when a file cannot be written.
bool RegisterModules();

}  // namespace webhost
