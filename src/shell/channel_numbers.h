#pragma once
#include <cstdint>
#include <optional>

struct AppState;

// The numbers playlists give their channels (tvg-chno), as the list shows and finds them: a "No."
// column while any channel of the view has one, and digits typed over the list that jump to that
// number, as on a television's remote control.

// Whether any channel of the view has a number.
bool view_has_numbers(const AppState& state);
// The row of the view's first channel with that number; -1 when none has it.
int row_of_number(const AppState& state, uint32_t number);

// The digits typed over the list, one at a time: a digit within kDigitPause of the one before adds
// to the number, else starts a new one (as does a tenth digit). Answers the number typed so far.
class TypedNumber {
 public:
  static constexpr int64_t kDigitPause = 1500;  // milliseconds

  std::optional<uint32_t> add(int digit, int64_t now_ms);

 private:
  uint64_t number_ = 0;
  int digits_ = 0;
  int64_t last_ms_ = 0;
};
