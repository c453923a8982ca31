// X11 embedding through xcb: Qt accepts any number as a foreign window, so we ask the
// X server ourselves whether the host's handle names a window.
#include "HostEmbedding.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace travalen {

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* X11Connection() {
  auto* guiApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!guiApp) return nullptr;
  auto* x11 = guiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::optional<QSize> ForeignWindowSize(std::uint32_t id) {
  xcb_connection_t* connection = X11Connection();
  if (!connection || id == 0) return std::nullopt;
  // Geometry alone would also answer for a pixmap; the attributes exist for windows only.
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, id), &error));
  std::free(error);
  if (!attributes) return std::nullopt;
  error = nullptr;
  XcbReply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), &error));
  std::free(error);
  if (!geometry) return std::nullopt;
  return QSize(geometry->width, geometry->height);
}

QWindow* EmbedInForeignWindow(QWidget* window, std::uint32_t id, QSize hostSize) {
  // Frameless before the native window exists: changing the flags afterwards would
  // re-create the native window and lose its new parent.
  window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  window->winId();
  QWindow* host = QWindow::fromWinId(id);
  window->windowHandle()->setParent(host);
  // The form keeps its fixed size; in a larger host it sits in the middle.
  const QSize size = window->size();
  window->move(std::max(0, (hostSize.width() - size.width()) / 2),
               std::max(0, (hostSize.height() - size.height()) / 2));
  return host;
}

void ReleaseFromHost(QWidget* window) {
  if (QWindow* handle = window->windowHandle()) handle->setParent(nullptr);
}

QWindow* ForeignHost(const QWidget* widget) {
  if (!widget) return nullptr;
  QWindow* handle = widget->window()->windowHandle();
  return handle ? handle->parent() : nullptr;
}

QWidget* DialogParent(QWidget* owner) {
  if (!owner || ForeignHost(owner)) return nullptr;
  return owner->window();
}

namespace {

// Places a dialog without a position of its own over the middle of the embedded window
// when it shows, where a parent would have put it; its size is known only then.
class CentreOverOwner : public QObject {
 public:
  CentreOverOwner(QWidget* dialog, QWidget* owner) : QObject(dialog), owner_(owner) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QWidget*>(watched);
    if (dialog && event->type() == QEvent::Show && owner_ && !dialog->testAttribute(Qt::WA_Moved)) {
      const QWidget* window = owner_->window();
      const QPoint centre = window->mapToGlobal(window->rect().center());
      QPoint place = centre - dialog->rect().center();
      // A dialog larger than our window stays on the screen.
      if (const QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        place.setX(std::clamp(place.x(), area.left(),
                              std::max(area.left(), area.right() - dialog->width())));
        place.setY(std::clamp(place.y(), area.top(),
                              std::max(area.top(), area.bottom() - dialog->height())));
      }
      dialog->move(place);
    }
    return false;
  }

 private:
  QPointer<QWidget> owner_;
};

}  // namespace

void KeepAboveHost(QWidget* dialog, QWidget* owner) {
  QWindow* host = ForeignHost(owner);
  if (!host) return;
  dialog->winId();
  dialog->windowHandle()->setTransientParent(host);
  dialog->installEventFilter(new CentreOverOwner(dialog, owner));
}

}  // namespace travalen
