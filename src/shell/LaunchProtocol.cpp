// Parsing the host's two launch parameters.
#include "LaunchProtocol.h"

namespace travalen {

namespace {

// The host writes the job in any case; only the ASCII letters fold, so that no
// locale's special case rules can make another word equal "importar".
QString AsciiLower(const QString& text) {
  QString lower = text;
  for (QChar& c : lower)
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
  return lower;
}

int HexDigitValue(QChar c) {
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
  if (c >= QLatin1Char('a') && c <= QLatin1Char('f')) return c.unicode() - 'a' + 10;
  if (c >= QLatin1Char('A') && c <= QLatin1Char('F')) return c.unicode() - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::uint32_t> ParseHexHandle(const QString& digits) {
  if (digits.isEmpty()) return std::nullopt;
  std::uint64_t value = 0;
  for (QChar c : digits) {
    int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

LaunchRequest ParseLaunch(const QStringList& parameters) {
  LaunchRequest request;
  request.parameterCount = static_cast<int>(parameters.size());
  if (!request.HostProtocol()) return request;
  request.job = AsciiLower(parameters[0]);
  request.hostWindow = ParseHexHandle(parameters[1]);
  if (!request.hostWindow)
    request.conversionError =
        QStringLiteral("'$%1' no es un valor entero válido").arg(parameters[1]);
  return request;
}

}  // namespace travalen
