// A level (NIVEL) and course number (CURSO) suggested from a course's Séneca description.
#pragma once

#include <string>

namespace travalen {

// What the level/course dialog could offer for one course. Texts are 8-bit. Both are
// empty, or both are set: a level without its course number would only half help, and a
// description we do not recognise gets no guess at all.
struct LevelSuggestion {
  std::string nivel;  // at most 5 characters, the width of CURSOST.NIVEL
  std::string curso;  // at most 3 characters, the width of CURSOST.CURSO

  bool Empty() const { return nivel.empty(); }
  bool operator==(const LevelSuggestion&) const = default;
};

// The level and course number the description `estud` (8-bit, as CURSOST.ESTUD holds it)
// points to, read without regard to letter case or accents:
//   "1º de E.S.O.", "2º ESO (LOMLOE)", "1º de Educación Secundaria Obligatoria" → ESO 1..4
//   "3º de E.S.O. (Diversificación Curricular)"                               → EDSO 3
//   "1º de Bachillerato (Ciencias y Tecnología)" → BCT; "(Humanidades y Ciencias
//     Sociales)" → BHC; "(Artes …)" → BAR; "(General)" → BGE; no modality → BAC; 1..2
//   "1º F.P.B. (…)", "Formación Profesional Básica", "Grado Básico" → FPB 1..2
//   "1º C.F.G.M. (Gestión Administrativa)" → GAD 1; "2º C.F.G.S. (Desarrollo de
//     Aplicaciones Web)" → DAW 2: the initials of the cycle's title; GM or GS when the
//     description names no title
//   "3º de Educación Primaria" → PRI 1..6; "Educación Infantil (4 años)" → INF 0..5
// Anything else, a number outside the stage's courses, or a course for adults or special
// education (numbered by levels and blocks, and kept apart by every school) gives nothing.
LevelSuggestion SuggestCourseLevel(const std::string& estud);

}  // namespace travalen
