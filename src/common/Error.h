// Format and load errors carry the text the user or the caller sees.
#pragma once
#include <stdexcept>
#include <string>

namespace qv {

class EQVError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qv
