/* close-window ID: asks the X window ID to close as its close box does, with the
 * WM_DELETE_WINDOW message a window manager sends (xdotool has no such command).
 * Exit status 0 when the message was sent. */
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: close-window ID\n");
    return 2;
  }
  char* end = NULL;
  const Window window = strtoul(argv[1], &end, 0);
  if (*argv[1] == '\0' || *end != '\0') {
    fprintf(stderr, "close-window: not a window id: %s\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "close-window: no display\n");
    return 1;
  }
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XCloseDisplay(display);
  return sent != 0 ? 0 : 1;
}
