// host-standin: plays the timetable program's side of the launch protocol in tests.
//
//   host-standin TRAVALEN JOB [WIDTHxHEIGHT]
//
// Opens a window of its own, prints its X11 window id in hexadecimal ("window 1E00003"),
// launches `TRAVALEN JOB <id>` so that travalen embeds itself in that window, waits for it
// to end, then prints what travalen reported in Velmora.ini beside itself
// ("Transformado=1", or "Transformado=" when nothing was written). Exit code: travalen's.
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <filesystem>
#include <iostream>

#include "IniFile.h"

namespace {

int Usage() {
  std::cerr << "usage: host-standin TRAVALEN JOB [WIDTHxHEIGHT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return Usage();
  // The window must be an X11 window for travalen to live in it.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);

  const QString travalen = QString::fromLocal8Bit(argv[1]);
  const QString job = QString::fromLocal8Bit(argv[2]);
  QSize size(720, 360);
  if (argc == 4) {
    const QStringList parts = QString::fromLatin1(argv[3]).split(QLatin1Char('x'));
    if (parts.size() != 2) return Usage();
    size = QSize(parts[0].toInt(), parts[1].toInt());
  }

  QWidget host;
  host.setWindowTitle(QStringLiteral("Velmora (stand-in host)"));
  host.setObjectName(QStringLiteral("HostStandin"));
  QPalette palette = host.palette();
  palette.setColor(QPalette::Window, QColor(60, 72, 88));
  palette.setColor(QPalette::WindowText, Qt::white);
  host.setPalette(palette);
  host.setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(&host);
  layout->addWidget(
      new QLabel(QStringLiteral("Velmora stand-in: the window travalen is launched into")), 0,
      Qt::AlignTop | Qt::AlignLeft);
  host.resize(size);
  host.show();

  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  int exitCode = 1;
  QObject::connect(&child, &QProcess::finished, &app, [&](int code, QProcess::ExitStatus status) {
    const auto ini =
        std::filesystem::path(QFileInfo(travalen).absolutePath().toStdString()) / "Velmora.ini";
    const auto value = travalen::ReadIniValue(ini, "Transformadores", "Transformado");
    std::cout << "Transformado=" << value.value_or("") << std::endl;
    exitCode = status == QProcess::NormalExit ? code : 1;
    app.quit();
  });
  QObject::connect(&child, &QProcess::errorOccurred, &app, [&](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    std::cerr << "host-standin: cannot start " << travalen.toStdString() << "\n";
    app.exit(1);
  });

  // Launched once the window exists on the X server, as the host's window does.
  QTimer::singleShot(0, &app, [&] {
    const QString id = QString::number(host.winId(), 16).toUpper();
    std::cout << "window " << id.toStdString() << std::endl;
    child.start(travalen, {job, id});
  });
  const int loop = app.exec();
  return loop != 0 ? loop : exitCode;
}
