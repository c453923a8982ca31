// Fuzz target: any bytes as the timetable program's SOLUC.DBF, through the importar job.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ImportDocument.h"
#include "Importar.h"
#include "SenecaDocument.h"
#include "Session.h"
#include "TravalenError.h"

using namespace travalen;

namespace {

const auto& ExchangeDir() {
  static const auto dir = fuzz::ProcessDir() / "VTEMP";
  return dir;
}

const auto& Document() {
  static const auto file = fuzz::ProcessDir() / "Horarios.xml";
  return file;
}

}  // namespace

// The exchange tables are the ones a real export of the small document writes; only SOLUC
// changes from input to input, and importar writes nothing but its result beside the
// document, so every input meets the same tables.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const auto lookup = fuzz::ProcessDir() / "SENEMATERIAS.DBF";
  fuzz::WriteSubjectLookup(lookup);
  fuzz::WriteBytes(Document(), fuzz::SmallSenecaDocument());
  if (!fuzz::RunExportar(Document(), ExchangeDir(), lookup))
    fuzz::Fail("the small document does not export");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteBytes(ExchangeDir() / "SOLUC.DBF", data, size);
  Session session;
  session.exchangeDir = ExchangeDir();
  fuzz::FuzzPort port(Document());
  BImportarClick(session, port);
  // A saved result is a document the school's system can load, whatever SOLUC held.
  if (session.TransformResult == 1) {
    try {
      SenecaDocument::Load(ImportResultPath(Document()));
    } catch (const TravalenError& error) {
      fuzz::Fail("the saved result does not load: " + std::string(error.what()));
    }
  }
  return 0;
}
