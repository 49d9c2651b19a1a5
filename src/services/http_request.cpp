#include "services/http_request.h"

#include "version.h"

#include <QMetaObject>

#include <curl/curl.h>

#include <atomic>
#include <limits>
#include <mutex>

namespace {
void init_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A poll sleeps at most this long; abort() wakes it at once, so this only bounds how often a
// quiet transfer looks at the time-out.
constexpr int kPollMilliseconds = 1000;

// No reply the program understands is larger: its header counts the length in 31 bits.
constexpr qint64 kMaxBodyBytes = std::numeric_limits<int32_t>::max();
}  // namespace

struct HttpRequest::Transfer {
  HttpRequest* owner = nullptr;  // alive until the worker has been joined
  CURLM* multi = nullptr;
  std::atomic<bool> abort{false};
  std::atomic<qint64> received{0};
  std::atomic<bool> work_pending{false};
  bool begun = false;  // worker only
  bool too_large = false;  // worker only
  CURL* easy = nullptr;
  // Written by the worker, read by the owner once the worker has posted its end.
  QByteArray body;
  QString error;

  static size_t write_body(char* data, size_t size, size_t count, void* user);
};

size_t HttpRequest::Transfer::write_body(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  if (t->abort.load()) return 0;
  const size_t bytes = size * count;
  if (static_cast<qint64>(bytes) > kMaxBodyBytes - t->body.size()) {
    t->too_large = true;
    return 0;
  }
  if (!t->begun) {
    t->begun = true;
    curl_off_t length = -1;
    curl_easy_getinfo(t->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    const qint64 total = length > 0 ? static_cast<qint64>(length) : 0;
    HttpRequest* owner = t->owner;
    QMetaObject::invokeMethod(owner, [owner, total] {
      if (!owner->aborted()) Q_EMIT owner->work_begin(total);
    }, Qt::QueuedConnection);
  }
  t->body.append(data, static_cast<qsizetype>(bytes));
  t->received.store(t->body.size());
  // Coalesce: one pending work event at a time carries the latest count.
  if (!t->work_pending.exchange(true)) {
    HttpRequest* owner = t->owner;
    QMetaObject::invokeMethod(owner, [owner, t] {
      t->work_pending.store(false);
      if (!owner->aborted()) Q_EMIT owner->work(t->received.load());
    }, Qt::QueuedConnection);
  }
  return bytes;
}

namespace {
QString curl_error_text(CURLcode code, const char* buffer) {
  if (buffer && buffer[0]) return QString::fromUtf8(buffer).trimmed();
  return QString::fromUtf8(curl_easy_strerror(code));
}
}  // namespace

HttpRequest::HttpRequest(QObject* parent) : QObject(parent), user_agent_(default_user_agent()) {}

HttpRequest::~HttpRequest() {
  abort();
  if (worker_.joinable()) worker_.join();
  if (transfer_ && transfer_->multi) curl_multi_cleanup(transfer_->multi);
}

QByteArray HttpRequest::default_user_agent() { return QByteArrayLiteral("Quovi/" QUOVI_PRODUCT_VERSION); }
QString HttpRequest::aborted_text() { return QStringLiteral("Transfer aborted"); }

void HttpRequest::set_user_agent(const QByteArray& user_agent) { user_agent_ = user_agent; }
void HttpRequest::set_timeout_seconds(long seconds) { timeout_seconds_ = seconds; }

bool HttpRequest::running() const { return running_; }
bool HttpRequest::aborted() const { return transfer_ && transfer_->abort.load(); }

void HttpRequest::abort() {
  if (!transfer_ || !running_) return;
  transfer_->abort.store(true);
  curl_multi_wakeup(transfer_->multi);
}

void HttpRequest::get(const QByteArray& url) {
  if (started_) return;
  started_ = true;
  running_ = true;
  init_curl_once();
  transfer_ = std::make_shared<Transfer>();
  transfer_->owner = this;
  transfer_->multi = curl_multi_init();

  worker_ = std::thread([t = transfer_, url, agent = user_agent_, timeout = timeout_seconds_] {
    char error_buffer[CURL_ERROR_SIZE] = {};
    CURL* easy = curl_easy_init();
    t->easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error_buffer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::write_body);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
    if (timeout > 0) curl_easy_setopt(easy, CURLOPT_TIMEOUT, timeout);

    curl_multi_add_handle(t->multi, easy);
    QString error;
    for (;;) {
      if (t->abort.load()) {
        error = HttpRequest::aborted_text();
        break;
      }
      int still_running = 0;
      CURLMcode mc = curl_multi_perform(t->multi, &still_running);
      if (mc != CURLM_OK) {
        error = QString::fromUtf8(curl_multi_strerror(mc));
        break;
      }
      if (!still_running) {
        int left = 0;
        CURLcode result = CURLE_OK;
        while (CURLMsg* msg = curl_multi_info_read(t->multi, &left)) {
          if (msg->msg == CURLMSG_DONE) result = msg->data.result;
        }
        // A write refused because of abort() shows as a write error; report it as the abort.
        if (t->abort.load()) error = HttpRequest::aborted_text();
        else if (t->too_large) error = QStringLiteral("The reply is too large");
        else if (result != CURLE_OK) error = curl_error_text(result, error_buffer);
        break;
      }
      mc = curl_multi_poll(t->multi, nullptr, 0, kPollMilliseconds, nullptr);
      if (mc != CURLM_OK) {
        error = QString::fromUtf8(curl_multi_strerror(mc));
        break;
      }
    }
    curl_multi_remove_handle(t->multi, easy);
    curl_easy_cleanup(easy);
    t->easy = nullptr;
    t->error = error;
    HttpRequest* owner = t->owner;
    QMetaObject::invokeMethod(owner, [owner] { owner->deliver_finish(); }, Qt::QueuedConnection);
  });
}

void HttpRequest::deliver_finish() {
  if (worker_.joinable()) worker_.join();
  body_ = std::move(transfer_->body);
  error_ = transfer_->error;
  running_ = false;
  Q_EMIT finished();
}
