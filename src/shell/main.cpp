// travalen: the desktop program, on its own or launched into the timetable program's window.
#include <QApplication>
#include <QStringList>

#include "MainForm.h"

int main(int argc, char** argv) {
  // Counted before Qt takes out the arguments it understands: the host's protocol is
  // about every parameter it passed.
  QStringList parameters;
  for (int i = 1; i < argc; ++i) parameters << QString::fromLocal8Bit(argv[i]);

  // Only X11 lets a window live inside another program's window; under Wayland we ask
  // for XWayland. An explicit other choice (offscreen, for scripts) is respected.
  if (parameters.size() == 2) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform.startsWith("wayland")) qputenv("QT_QPA_PLATFORM", "xcb");
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Travalen"));

  travalen::TMForm form(parameters);
  form.show();
  return app.exec();
}
