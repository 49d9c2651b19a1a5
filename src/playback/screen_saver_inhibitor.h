#pragma once
#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <optional>

// Keeps the screen saver from starting while the program's windows are active, through the
// freedesktop org.freedesktop.ScreenSaver interface (Inhibit / UnInhibit) on the session bus.
// The full-screen video is a window of its own, so "active" means any of the program's windows,
// not only the main one. Without a session bus, or without the service, nothing happens.
class ScreenSaverInhibitor : public QObject {
  Q_OBJECT
 public:
  // Follows the application's active state on the session bus.
  explicit ScreenSaverInhibitor(QObject* parent = nullptr);
  // On a given bus, driven by setActive only (tests).
  ScreenSaverInhibitor(const QDBusConnection& bus, QObject* parent);
  ~ScreenSaverInhibitor() override;

  void setActive(bool active);
  bool isInhibiting() const { return cookie_.has_value(); }

 Q_SIGNALS:
  // After each answer of the service (tests wait on it).
  void serviceAnswered();

 private:
  void sync();

  QDBusConnection bus_;
  bool wanted_ = false;
  bool call_in_flight_ = false;
  std::optional<uint32_t> cookie_;
};
