#include "playback/volume.h"

#include <algorithm>
#include <cmath>

int volume_from_click(int x, int width) {
  if (width <= 0) return 0;
  const long v = std::lround(static_cast<double>(x) * 100.0 / width);
  return static_cast<int>(std::clamp(v, 0L, 100L));
}

int volume_picture_index(int volume) {
  volume = std::clamp(volume, 0, 100);
  int index = volume / 10;
  const int rest = volume % 10;
  if (rest > 5 || (rest == 5 && index % 2 == 1)) ++index;
  return index;
}

QString volume_hint(int volume) { return QString::number(volume) + QLatin1Char('%'); }

