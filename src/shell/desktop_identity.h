#pragma once

// The name of the installed .desktop file and of the icon, so that the desktop (Wayland above all)
// matches the running program to its launcher and shows its icon.
inline constexpr const char* kDesktopId = "org.talvex.Quovi";

// Gives the application its desktop file name and window icon; call once the application exists.
void apply_desktop_identity();
