#include "desktop/application_adaptor.h"

#include "desktop/one_copy.h"

ApplicationAdaptor::ApplicationAdaptor(OneCopy* copy) : QDBusAbstractAdaptor(copy), copy_(copy) {}

void ApplicationAdaptor::Activate(const QVariantMap& platform_data, const QDBusMessage& call) {
  copy_->take({}, platform_data, call);
}

void ApplicationAdaptor::Open(const QStringList& uris, const QVariantMap& platform_data, const QDBusMessage& call) {
  copy_->take(uris, platform_data, call);
}

void ApplicationAdaptor::ActivateAction(const QString& action_name, const QVariantList& parameter,
                                        const QVariantMap& platform_data, const QDBusMessage& call) {
  Q_UNUSED(action_name);
  Q_UNUSED(parameter);
  copy_->take({}, platform_data, call);
}
