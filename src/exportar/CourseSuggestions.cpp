// A level (NIVEL) and course number (CURSO) suggested from a course's Séneca description.
#include "CourseSuggestions.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace travalen {

namespace {

using Words = std::vector<std::string>;

// Windows-1252 letters from 0xC0 to 0xFF without their accents; a blank stands for the
// signs among them (× ÷ Þ þ), which separate words.
constexpr std::string_view kPlainUpper = "aaaaaaaceeeeiiiidnooooo ouuuuy s";
constexpr std::string_view kPlainLower = "aaaaaaaceeeeiiiidnooooo ouuuuy y";
constexpr unsigned char kMasculineOrdinal = 0xBA;  // º
constexpr unsigned char kFeminineOrdinal = 0xAA;   // ª

// The lower-case letter or digit a byte reads as, or 0 when it separates words.
char PlainCharacter(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c >= '0' && c <= '9') return static_cast<char>(c);
  if (c >= 0xC0 && c <= 0xDF) return kPlainUpper[c - 0xC0] == ' ' ? 0 : kPlainUpper[c - 0xC0];
  if (c >= 0xE0) return kPlainLower[c - 0xE0] == ' ' ? 0 : kPlainLower[c - 0xE0];
  if (c == 0x8A || c == 0x9A) return 's';  // Š š
  if (c == 0x8E || c == 0x9E) return 'z';  // Ž ž
  if (c == 0x9F) return 'y';               // Ÿ
  return 0;
}

// The description as plain lower-case words without accents. Séneca writes stages as
// abbreviations with dots ("E.S.O.", "C.F.G.M.", "1.º"), so a dot after a single
// character joins the pieces ("eso", "cfgm", "1o"); after a longer piece ("Bach.") it
// ends a word. An ordinal sign ends its number ("2ºESO" is "2o" and "eso").
Words PlainWords(const std::string& text) {
  Words words;
  std::string word;
  std::size_t piece = 0;  // characters since the last dot or word end
  auto endWord = [&] {
    if (!word.empty()) words.push_back(word);
    word.clear();
    piece = 0;
  };
  for (char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == kMasculineOrdinal || c == kFeminineOrdinal) {
      word += c == kMasculineOrdinal ? 'o' : 'a';
      endWord();
    } else if (c == '.') {
      if (piece <= 1)
        piece = 0;
      else
        endWord();
    } else if (char plain = PlainCharacter(c)) {
      word += plain;
      ++piece;
    } else {
      endWord();
    }
  }
  endWord();
  return words;
}

bool Has(const Words& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

bool HasAny(const Words& words, std::initializer_list<std::string_view> any) {
  return std::any_of(any.begin(), any.end(), [&](std::string_view w) { return Has(words, w); });
}

// The words one after the other, anywhere in the description.
bool HasPhrase(const Words& words, std::initializer_list<std::string_view> phrase) {
  if (phrase.size() > words.size()) return false;
  for (std::size_t start = 0; start + phrase.size() <= words.size(); ++start)
    if (std::equal(phrase.begin(), phrase.end(), words.begin() + static_cast<long>(start)))
      return true;
  return false;
}

// "1", "1o", "1a", "1er", "2do", "primero", "segunda" … as a number. Two digits at most:
// a longer number is a year or a code, not a course.
std::optional<int> OrdinalValue(const std::string& word) {
  static constexpr std::pair<std::string_view, int> kSpelled[] = {
      {"primero", 1}, {"primer", 1}, {"primera", 1}, {"segundo", 2}, {"segunda", 2},
      {"tercero", 3}, {"tercer", 3}, {"tercera", 3}, {"cuarto", 4},  {"cuarta", 4},
      {"quinto", 5},  {"quinta", 5}, {"sexto", 6},   {"sexta", 6}};
  for (const auto& [spelled, value] : kSpelled)
    if (word == spelled) return value;
  std::size_t digits = 0;
  while (digits < word.size() && std::isdigit(static_cast<unsigned char>(word[digits]))) ++digits;
  if (digits == 0 || digits > 2) return std::nullopt;
  static constexpr std::string_view kSuffixes[] = {"",   "o",  "a",  "er", "ero", "era",
                                                   "do", "da", "ro", "ra", "to",  "ta"};
  const std::string_view suffix = std::string_view(word).substr(digits);
  if (std::find(std::begin(kSuffixes), std::end(kSuffixes), suffix) == std::end(kSuffixes))
    return std::nullopt;
  return std::stoi(word.substr(0, digits));
}

// The course number: an age ("4 años") when there is one, since infant classes are named
// by it; else the first ordinal that does not count a cycle ("2º ciclo de Educación
// Infantil"; "1º Ciclo Formativo" is a first course).
std::optional<int> CourseNumber(const Words& words) {
  for (std::size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i + 1] == "anos")
      if (auto age = OrdinalValue(words[i])) return age;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const bool countsACycle = i + 1 < words.size() && words[i + 1] == "ciclo" &&
                              !(i + 2 < words.size() && words[i + 2] == "formativo");
    if (countsACycle) continue;
    if (auto number = OrdinalValue(words[i])) return number;
  }
  return std::nullopt;
}

// Words that say what kind of course it is, or nothing at all, and so are no part of a
// vocational cycle's title.
bool IsTitleNoise(const std::string& word) {
  static constexpr std::string_view kNoise[] = {"de",
                                                "del",
                                                "la",
                                                "las",
                                                "el",
                                                "los",
                                                "y",
                                                "e",
                                                "en",
                                                "a",
                                                "para",
                                                "con",
                                                "por",
                                                "o",
                                                "lomloe",
                                                "loe",
                                                "logse",
                                                "lomce",
                                                "tecnico",
                                                "tecnica",
                                                "curso",
                                                "ciclo",
                                                "ciclos",
                                                "formativo",
                                                "formativa",
                                                "formacion",
                                                "profesional",
                                                "inicial",
                                                "grado",
                                                "medio",
                                                "superior",
                                                "basico",
                                                "basica",
                                                "fp",
                                                "fpi",
                                                "cf",
                                                "cfgm",
                                                "cfgs",
                                                "fpigm",
                                                "fpigs",
                                                "fpgm",
                                                "fpgs",
                                                "gm",
                                                "gs",
                                                "modalidad",
                                                "presencial",
                                                "semipresencial",
                                                "distancia",
                                                "dual",
                                                "bilingue",
                                                "oferta",
                                                "parcial",
                                                "completa"};
  return std::find(std::begin(kNoise), std::end(kNoise), word) != std::end(kNoise) ||
         OrdinalValue(word).has_value() ||
         std::all_of(word.begin(), word.end(), [](char c) { return std::isdigit(c); });
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A vocational cycle's level from its title, the way schools name these groups: one word
// gives its first three letters ("Electromecánica" → ELE), two words the first one's
// initial and the second one's first two letters ("Gestión Administrativa" → GAD), more
// words their initials, five at most ("Sistemas Microinformáticos y Redes" → SMR).
std::string TitleLevel(const Words& words, const std::string& whenUntitled) {
  Words title;
  std::copy_if(words.begin(), words.end(), std::back_inserter(title),
               [](const std::string& w) { return !IsTitleNoise(w); });
  constexpr std::size_t kMostInitials = 5;
  std::string level;
  if (title.empty()) return whenUntitled;
  if (title.size() == 1) {
    level = title[0].substr(0, 3);
  } else if (title.size() == 2) {
    level = title[0].substr(0, 1) + title[1].substr(0, 2);
  } else {
    for (std::size_t i = 0; i < title.size() && level.size() < kMostInitials; ++i)
      level += title[i].front();
  }
  return Upper(level);
}

struct Stage {
  std::string nivel;
  int firstCourse;
  int lastCourse;
};

std::optional<Stage> StageOf(const Words& w) {
  // Adult and special education number their courses by levels and blocks, and a school
  // keeps them apart from its day courses: the person names those.
  if (HasAny(w, {"adultas", "adultos", "adulta", "adulto", "especial", "especifica"}))
    return std::nullopt;

  if (HasAny(w, {"fpb", "fpigb", "fpgb", "cfgb"}) ||
      HasPhrase(w, {"formacion", "profesional", "basica"}) || HasPhrase(w, {"fp", "basica"}) ||
      HasPhrase(w, {"grado", "basico"}))
    return Stage{"FPB", 1, 2};
  if (HasAny(w, {"cfgs", "fpigs", "fpgs", "gs"}) || HasPhrase(w, {"grado", "superior"}) ||
      HasPhrase(w, {"tecnico", "superior"}))
    return Stage{TitleLevel(w, "GS"), 1, 2};
  if (HasAny(w, {"cfgm", "fpigm", "fpgm", "gm"}) || HasPhrase(w, {"grado", "medio"}))
    return Stage{TitleLevel(w, "GM"), 1, 2};

  if (HasAny(w, {"bachillerato", "bach"})) {
    // Humanities first: its full name holds "Ciencias" too.
    if (HasAny(w, {"humanidades"}) || HasPhrase(w, {"ciencias", "sociales"}))
      return Stage{"BHC", 1, 2};
    if (HasAny(w, {"artes", "arte"})) return Stage{"BAR", 1, 2};
    if (HasAny(w, {"general"})) return Stage{"BGE", 1, 2};
    if (HasAny(w, {"ciencias", "ciencia", "tecnologia", "tecnologico"})) return Stage{"BCT", 1, 2};
    return Stage{"BAC", 1, 2};
  }

  if (HasAny(w, {"eso"}) || HasPhrase(w, {"educacion", "secundaria"}) ||
      HasPhrase(w, {"secundaria", "obligatoria"}))
    return Stage{HasAny(w, {"diversificacion"}) ? "EDSO" : "ESO", 1, 4};
  if (HasAny(w, {"primaria"})) return Stage{"PRI", 1, 6};
  if (HasAny(w, {"infantil"})) return Stage{"INF", 0, 5};
  return std::nullopt;
}

}  // namespace

LevelSuggestion SuggestCourseLevel(const std::string& estud) {
  const Words words = PlainWords(estud);
  const std::optional<Stage> stage = StageOf(words);
  if (!stage) return {};
  const std::optional<int> number = CourseNumber(words);
  if (!number || *number < stage->firstCourse || *number > stage->lastCourse) return {};
  return {stage->nivel, std::to_string(*number)};
}

}  // namespace travalen
