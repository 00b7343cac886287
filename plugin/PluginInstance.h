// The record the plug-in hangs on each instance handle.
#pragma once

#include <cstdint>

class CImgVuWnd;
class CImgVuDoc;

struct PluginInstance {
  CImgVuWnd* window;    // null until the first NPP_SetWindow with a window
  CImgVuDoc* document;  // null when its creation failed, and after teardown
  uint16_t mode;        // NP_EMBED or NP_FULL
};
