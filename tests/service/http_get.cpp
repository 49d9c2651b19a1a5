#include "http_get.h"

#include "services/http_request.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

bool wait_for(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

HttpResult http_get(const std::string& url) {
  HttpRequest request;
  request.set_timeout_seconds(20);
  request.get(QByteArray::fromStdString(url));
  HttpResult result;
  if (!wait_for([&] { return !request.running(); }, 30000)) {
    result.error = "no answer";
    return result;
  }
  result.body = request.body().toStdString();
  result.error = request.error().toStdString();
  if (result.error.empty()) {
    result.status = 200;
  } else if (const auto m = QRegularExpression("error: (\\d{3})").match(request.error()); m.hasMatch()) {
    result.status = m.captured(1).toLong();
  }
  return result;
}
