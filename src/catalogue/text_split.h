#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Fields of a split text. They are views into the text that was split, so the text must outlive
// them; copy a field into a std::string to keep it longer.
using TextFields = std::vector<std::string_view>;

// Splits text at every separator. The text ends at its first NUL. A separator at the very end
// gives no empty last field, an empty text no field at all, a negative limit nothing. A positive
// limit n makes the n-th field hold the rest of the text, separators included.
TextFields split_text(std::string_view separator, std::string_view text, int limit = 0);

// The same into an array the caller keeps, so splitting many lines reuses one allocation.
void split_text_into(TextFields& fields, std::string_view separator, std::string_view text, int limit = 0);

// split_text with a one-character separator and no limit, for a text known to hold no NUL (a line
// of a text already cut at its first NUL); the loaders' hot path.
void split_at(TextFields& fields, std::string_view text, char separator);

// Extends text with NULs to the next multiple of n above its length when the length is no
// multiple of n or is 0 (an empty text becomes n NULs); otherwise returns it unchanged.
std::string pad_with_nul(std::string_view text, std::size_t n);
