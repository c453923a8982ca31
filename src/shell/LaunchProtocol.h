// The command line by which the timetable program launches us: a job and a window handle.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace travalen {

struct LaunchRequest {
  int parameterCount = 0;
  // Parameter 1 with its ASCII letters in lower case; empty unless there are exactly two.
  QString job;
  // Parameter 2 as a window handle, when there are two parameters and it converts.
  std::optional<std::uint32_t> hostWindow;
  // "'$<parameter 2>' no es un valor entero válido" when it does not convert.
  QString conversionError;

  // Exactly two parameters: the host's launch, whatever they hold.
  bool HostProtocol() const { return parameterCount == 2; }
  bool RunsImportar() const { return HostProtocol() && job == QLatin1String("importar"); }
  bool RunsExportar() const { return HostProtocol() && job == QLatin1String("exportar"); }
};

// `parameters` are the program's arguments without the program's own name.
LaunchRequest ParseLaunch(const QStringList& parameters);

// Hexadecimal digits without a prefix, as a 32-bit number; nothing when `digits` is empty,
// holds anything but hexadecimal digits, or names a number above 32 bits. Leading zeros
// are allowed, as in any number.
std::optional<std::uint32_t> ParseHexHandle(const QString& digits);

}  // namespace travalen
