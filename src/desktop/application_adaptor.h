#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class OneCopy;

// org.freedesktop.Application of the running copy: how a later start, or a desktop that starts
// the program by D-Bus, asks for the window and hands over files and addresses.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
 public:
  explicit ApplicationAdaptor(OneCopy* copy);

 public Q_SLOTS:
  void Activate(const QVariantMap& platform_data, const QDBusMessage& call);
  void Open(const QStringList& uris, const QVariantMap& platform_data, const QDBusMessage& call);
  // The program names no actions: any is taken as a plain activation.
  void ActivateAction(const QString& action_name, const QVariantList& parameter, const QVariantMap& platform_data,
                      const QDBusMessage& call);

 private:
  OneCopy* copy_;
};
