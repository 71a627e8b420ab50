/* A pointer for tests under a wlroots compositor. Reads commands from stdin,
 * one a line, and answers "ok" to each once the compositor has seen it:
 *   move X Y     the pointer to (X, Y) of the layout
 *   down | up    the left button
 * Arguments: the layout's width and height. The one pointer stays
 * connected until stdin ends: a client loses its pointer focus when the
 * last pointer device goes. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1 *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  const uint32_t width = (uint32_t)atoi(argv[1]), height = (uint32_t)atoi(argv[2]);
  struct wl_display *display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "no Wayland display\n");
    return 1;
  }
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (manager == NULL) {
    fprintf(stderr, "the compositor offers no virtual pointer\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  wl_display_roundtrip(display);
  setvbuf(stdout, NULL, _IOLBF, 0);
  char line[128];
  while (fgets(line, sizeof line, stdin) != NULL) {
    unsigned x, y;
    if (sscanf(line, "move %u %u", &x, &y) == 2) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
    } else if (strncmp(line, "down", 4) == 0 || strncmp(line, "up", 2) == 0) {
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT,
                                     line[0] == 'd' ? WL_POINTER_BUTTON_STATE_PRESSED
                                                    : WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      fprintf(stderr, "unknown command: %s", line);
      return 2;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) return 1;
    puts("ok");
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
