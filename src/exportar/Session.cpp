// Where the exchange tables live on this machine.
#include "Session.h"

#include <cstdlib>

namespace travalen {

std::filesystem::path DefaultExchangeDir() {
#ifdef _WIN32
  return "C:\\VTEMP";
#else
  if (const char* dir = std::getenv("TRAVALEN_EXCHANGE_DIR"); dir != nullptr && *dir != '\0')
    return dir;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / "VTEMP";
#endif
}

}  // namespace travalen
