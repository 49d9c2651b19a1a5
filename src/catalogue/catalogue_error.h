#pragma once
#include <stdexcept>

// Failure of a catalogue load or a user file; the message is UTF-8 text fit for the user.
class CatalogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
