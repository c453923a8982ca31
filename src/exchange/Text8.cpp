// UTF-8 ⇄ Windows-1252 through iconv, with "?" for what the other side cannot hold.
#include "Text8.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "TravalenError.h"

namespace travalen {

namespace {

constexpr const char* kCodePage = "WINDOWS-1252";

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

Converter OpenConverter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw TravalenError(std::string("No se puede convertir texto entre ") + from + " y " + to +
                        " en este sistema.");
  return Converter(cd);
}

// Length of the UTF-8 sequence that starts with `lead`; a stray byte counts as one.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Runs iconv over the whole input; a character it cannot take becomes one "?" and the
// conversion goes on after it.
template <typename SkipLength>
std::string Convert(iconv_t cd, std::string_view input, SkipLength skip) {
  std::string out;
  out.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    out.append(buffer, dst);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an unconvertible or cut-off character.
    out += '?';
    std::size_t n = std::min(skip(static_cast<unsigned char>(*in)), inLeft);
    in += n;
    inLeft -= n;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

namespace {
bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
}  // namespace

// Most values are plain ASCII, which both sides spell alike: no converter needed.
std::string Utf8ToCp1252(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  static thread_local Converter cd = OpenConverter(kCodePage, "UTF-8");
  return Convert(cd.get(), utf8, Utf8SequenceLength);
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  if (IsAscii(cp1252)) return std::string(cp1252);
  static thread_local Converter cd = OpenConverter("UTF-8", kCodePage);
  return Convert(cd.get(), cp1252, [](unsigned char) { return std::size_t{1}; });
}

}  // namespace travalen
