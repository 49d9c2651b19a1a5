#pragma once
#include "guide/guide.h"
#include "guide/guide_time.h"

#include <ostream>

// The text listing of `quovi-catalogue guide`, TAB-separated with texts escaped as the catalogue
// dump escapes them: a line `channel`, id, display names joined by "|" for each channel; a line
// `programme`, channel id, start and stop in UTC as YYYY-MM-DDTHH:MM:SSZ (stop empty when the guide
// gave none and nothing followed), title, sub-title for each programme kept; then
// `kept C channels, P programmes`.
void write_guide_listing(std::ostream& out, const Guide& guide);

// Every day a guide may hold, for a listing of all its programmes.
GuideWindow every_guide_day();
