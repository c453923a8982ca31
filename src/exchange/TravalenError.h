// The one exception type of the core: a message for the person running the job.
#pragma once

#include <stdexcept>
#include <string>

namespace travalen {

// Thrown anywhere inside the core; the job drivers catch it at the job's boundary and
// hand its text to the port. The message is UTF-8 and names the file, row or field
// and what is wrong, so that a head of studies knows what to do about it.
class TravalenError : public std::runtime_error {
 public:
  explicit TravalenError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace travalen
