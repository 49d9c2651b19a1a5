#pragma once
#include <QString>

// Size of the volume control; the click position is read against its width.
inline constexpr int kVolumeControlWidth = 61;
inline constexpr int kVolumeControlHeight = 16;
inline constexpr int kVolumePictureCount = 11;
// The volume every start begins with; the program keeps none between runs.
inline constexpr int kStartVolume = 30;
// What one press of an arrow key on the volume control, or of a volume key, changes.
inline constexpr int kVolumeKeyStep = 5;

// Volume 0..100 for a mouse release at x (control coordinates; outside the control clamps).
int volume_from_click(int x, int width = kVolumeControlWidth);
// Picture 0..10 for a volume: volume / 10 rounded to the nearest, a tie going to the even neighbour.
int volume_picture_index(int volume);
// "30%".
QString volume_hint(int volume);
