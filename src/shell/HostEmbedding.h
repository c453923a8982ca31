// Living inside a window of another program on X11: checking the handle, embedding,
// and keeping our dialogs above the host.
#pragma once

#include <QSize>
#include <cstdint>
#include <optional>

class QWidget;
class QWindow;

namespace travalen {

// The size of the X11 window `id` when it names a window on our display; nothing when it
// does not, or when we do not run on X11 at all.
std::optional<QSize> ForeignWindowSize(std::uint32_t id);

// Makes `window` a borderless child of the X11 window `id` of size `hostSize`, centred in
// it when there is room. Returns the foreign window object; the caller owns it and must
// take `window` out of it (ReleaseFromHost) before deleting it.
QWindow* EmbedInForeignWindow(QWidget* window, std::uint32_t id, QSize hostSize);
void ReleaseFromHost(QWidget* window);

// The foreign window that the window of `widget` is embedded in, or null.
QWindow* ForeignHost(const QWidget* widget);

// The parent for a dialog of `owner`: its window, unless that is embedded. A dialog
// parented to an embedded window would be a child of a window that is not top-level,
// which the windowing system does not allow, so such dialogs go without a parent...
QWidget* DialogParent(QWidget* owner);
// ...and are kept above the host's window instead. Call before showing `dialog`.
void KeepAboveHost(QWidget* dialog, QWidget* owner);

}  // namespace travalen
