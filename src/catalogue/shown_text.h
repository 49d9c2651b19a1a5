#pragma once
#include <QString>

#include <limits>
#include <string_view>

// Text from outside made fit to show on one line: no control, formatting, unassigned or
// private-use characters (a direction override or a zero-width mark could disguise it), nor half of
// a surrogate pair; every run of blanks and line breaks one space, none at either end; at most
// `max_length` UTF-16 units, a longer text ending in "...". A stream's title, a playlist's titles,
// groups and user agents: one rule for all of them.
inline constexpr qsizetype kUnboundedShownText = std::numeric_limits<qsizetype>::max();
QString clean_shown_text(const QString& raw, qsizetype max_length = kUnboundedShownText);

// Whether clean_shown_text would leave the UTF-8 text as it is; cheap, without a QString, so that
// the texts of a large playlist, nearly all clean, cost only a look.
bool is_clean_shown_text(std::string_view utf8, qsizetype max_length = kUnboundedShownText);
