#include "shell/qt_dialog_placement.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#ifdef TUMBOL_WAYLAND_DIALOGS
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <cstring>

#include <gtk-shell-client-protocol.h>  // made from shell/protocols/gtk-shell.xml
#endif

namespace tumbol {

#ifdef TUMBOL_WAYLAND_DIALOGS
namespace {

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, gtk_shell1_interface.name) == 0)
    *static_cast<gtk_shell1**>(data) = static_cast<gtk_shell1*>(wl_registry_bind(registry, name, &gtk_shell1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

// GNOME's shell extension, or null where the compositor has none. Looked up
// once, on a queue of its own so that the wait dispatches none of Qt's events.
gtk_shell1* GtkShell(wl_display* display) {
  static gtk_shell1* const shell = [display] {
    gtk_shell1* found = nullptr;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* ours = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(ours), queue);
    wl_registry* registry = wl_display_get_registry(ours);
    wl_proxy_wrapper_destroy(ours);
    static const wl_registry_listener listener{OnGlobal, OnGlobalRemove};
    wl_registry_add_listener(registry, &listener, &found);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    // The queue stays: the shell's events (none that matter here) go to it.
    return found;
  }();
  return shell;
}

// Marks the window's surface as a dialog. The compositor places a window when
// its first picture arrives, which comes after this on the same connection.
void MarkAsDialog(QWindow* window) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (native == nullptr) return;
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
  if (display == nullptr || surface == nullptr) return;
  gtk_shell1* shell = GtkShell(display);
  if (shell == nullptr) return;
  gtk_surface1* dialog = gtk_shell1_get_gtk_surface(shell, surface);
  gtk_surface1_set_modal(dialog);
  // The mark lasts as long as the surface; this side needs no handle on it.
  gtk_surface1_destroy(dialog);
  wl_display_flush(display);
}

}  // namespace
#endif

void PlaceAsDialog(QWidget* box) {
#ifdef TUMBOL_WAYLAND_DIALOGS
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
  box->winId();  // the box's window, so that its showing can be seen
  QWindow* window = box->windowHandle();
  if (window == nullptr) return;
  // At the first exposure the surface has its role and the compositor's
  // first answer, and the first picture is about to go.
  struct FirstExposure : QObject {
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Expose) {
        MarkAsDialog(static_cast<QWindow*>(watched));
        deleteLater();
        watched->removeEventFilter(this);
      }
      return false;
    }
  };
  window->installEventFilter(new FirstExposure(window));
#else
  (void)box;
#endif
}

}  // namespace tumbol
