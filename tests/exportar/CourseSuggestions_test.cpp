// Levels and course numbers suggested from the descriptions Séneca gives its courses.
#include "CourseSuggestions.h"

#include <gtest/gtest.h>

#include "Text8.h"

namespace travalen {
namespace {

TEST(SuggestCourseLevel, RecognisesTheStagesAndLeavesTheRestEmpty) {
  struct Case {
    const char* estud;  // UTF-8 here, 8-bit when asked
    const char* nivel;
    const char* curso;
  };
  const Case cases[] = {
      // Secondary, however Séneca spells it.
      {"1º de Educación Secundaria Obligatoria", "ESO", "1"},
      {"1º de E.S.O.", "ESO", "1"},
      {"2º ESO (LOMLOE)", "ESO", "2"},
      {"4º DE E.S.O. (LOMLOE)", "ESO", "4"},
      {"1.º ESO", "ESO", "1"},
      {"2ºESO", "ESO", "2"},
      {"Primero de Educacion Secundaria Obligatoria", "ESO", "1"},
      {"3º de E.S.O. (Diversificación Curricular)", "EDSO", "3"},
      // Upper secondary and its modalities.
      {"1º de Bachillerato (Ciencias y Tecnología)", "BCT", "1"},
      {"2º de Bachillerato (Humanidades y Ciencias Sociales)", "BHC", "2"},
      {"1º de Bachillerato (Artes)", "BAR", "1"},
      {"2º de Bachillerato (Artes: Música y Artes Escénicas)", "BAR", "2"},
      {"1º de Bachillerato (General)", "BGE", "1"},
      {"1º BACHILLERATO DE CIENCIAS", "BCT", "1"},
      {"1º de Bachillerato", "BAC", "1"},
      // Vocational training: basic by name, the cycles by their title's initials.
      {"1º F.P.B. (Servicios Administrativos)", "FPB", "1"},
      {"2º de Formación Profesional Básica (Informática y Comunicaciones)", "FPB", "2"},
      {"1º Ciclo Formativo de Grado Básico en Electricidad y Electrónica", "FPB", "1"},
      {"1º C.F.G.M. Gestión Administrativa", "GAD", "1"},
      {"2º F.P.I.G.M. (Sistemas Microinformáticos y Redes)", "SMR", "2"},
      {"1º C.F.G.M. (Electromecánica de Vehículos Automóviles)", "EVA", "1"},
      {"1º C.F.G.S. (Desarrollo de Aplicaciones Web)", "DAW", "1"},
      {"2º C.F.G.S. (Administración y Finanzas)", "AFI", "2"},
      {"1º Ciclo Formativo de Grado Superior (Administración de Sistemas Informáticos en Red)",
       "ASIR", "1"},
      {"1º C.F.G.S. Técnico Superior en Educación Infantil", "EIN", "1"},
      {"2º C.F.G.M.", "GM", "2"},
      // Primary and infant classes, the latter by age.
      {"3º de Educación Primaria", "PRI", "3"},
      {"6º de Educación Primaria (LOMLOE)", "PRI", "6"},
      {"Educación Infantil (4 años)", "INF", "4"},
      {"3 años (2º ciclo de Educación Infantil)", "INF", "3"},
      // No sensible guess: nothing.
      {"", "", ""},
      {"2º ciclo de Educación Infantil", "", ""},
      {"Educación Secundaria Obligatoria para Personas Adultas Nivel II", "", ""},
      {"1º de Bachillerato de Adultos (Ciencias y Tecnología)", "", ""},
      {"Programa de Formación para la Transición a la Vida Adulta", "", ""},
      {"Aula Específica de Educación Especial", "", ""},
      {"Enseñanzas Profesionales de Música", "", ""},
      {"Curso de especialización en Ciberseguridad en entornos de las TI", "", ""},
      {"5º de E.S.O.", "", ""},
      {"3º de Bachillerato (Ciencias y Tecnología)", "", ""},
      {"Bachillerato (Ciencias y Tecnología)", "", ""},
      {"E.S.O. plan 2022", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.estud);
    const LevelSuggestion suggestion = SuggestCourseLevel(Utf8ToCp1252(c.estud));
    EXPECT_EQ(suggestion, (LevelSuggestion{c.nivel, c.curso}));
    // Whatever is suggested fits CURSOST's fields as it is.
    EXPECT_LE(suggestion.nivel.size(), 5u);
    EXPECT_LE(suggestion.curso.size(), 3u);
  }
}

}  // namespace
}  // namespace travalen
