// Fuzz target: any bytes as a Séneca export, through the whole exportar job.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"

using namespace travalen;

namespace {

const auto& Lookup() {
  static const auto file = fuzz::ProcessDir() / "SENEMATERIAS.DBF";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSubjectLookup(Lookup());
  return 0;
}

// The job reports every failure through the port; the port stops the process only when an
// exception the core did not expect got that far. A completed run must have written tables
// that read back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto xml = fuzz::ProcessDir() / "SENECA.xml";
  fuzz::WriteBytes(xml, data, size);
  const auto exchange = fuzz::ProcessDir() / "VTEMP";
  if (fuzz::RunExportar(xml, exchange, Lookup())) fuzz::CheckExchangeTables(exchange);
  return 0;
}
