#include "services/http_request.h"

#include "version.h"

#include <QMetaObject>

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

// Without CURLOPT_QUICK_EXIT, ending a transfer during its name lookup waits for the lookup.
#if LIBCURL_VERSION_NUM < 0x075700
#error "libcurl 7.87.0 or later is needed"
#endif

namespace {
void init_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A poll sleeps at most this long; abort() wakes it at once, so this only bounds how often a
// quiet transfer looks at the time-out.
constexpr int kPollMilliseconds = 1000;

QString curl_error_text(CURLcode code, const char* buffer) {
  if (buffer && buffer[0]) return QString::fromUtf8(buffer).trimmed();
  return QString::fromUtf8(curl_easy_strerror(code));
}

std::mutex stall_limits_mutex;
HttpRequest::StallLimits stall_limits_in_use;

// Which limit a timed-out transfer ran into, in words: curl says it in its own terms.
QString timed_out_text(CURL* easy, long timeout_seconds, const HttpRequest::StallLimits& limits) {
  curl_off_t connected = 0, total = 0;
  curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
  curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &total);
  if (connected == 0) return HttpRequest::unreachable_text(limits.connect_seconds);
  if (timeout_seconds > 0 && total >= curl_off_t{timeout_seconds} * 1000000)
    return QStringLiteral("No whole reply within %1 seconds").arg(timeout_seconds);
  return HttpRequest::too_slow_text(limits.low_speed_bytes, limits.low_speed_seconds);
}
}  // namespace

// What a request shares with the thread that carries out its transfer. The thread holds it until
// it has ended, so the request may go away at any moment without waiting for the thread.
struct HttpRequest::Transfer {
  ~Transfer() {
    if (multi) curl_multi_cleanup(multi);
  }

  // Runs `call` on the request's thread, unless the request is gone. The lock keeps the request
  // from being destroyed while the call is posted; a posted call the request does not live to see
  // is dropped with it.
  template <typename Call>
  void post(Call call) {
    std::lock_guard lock(owner_mutex);
    if (HttpRequest* request = owner)
      QMetaObject::invokeMethod(request, [request, call] { call(request); }, Qt::QueuedConnection);
  }

  void run(const QByteArray& url, const QByteArray& user_agent, const QList<QByteArray>& headers,
           long timeout_seconds, const StallLimits& limits);
  static size_t write_body(char* data, size_t size, size_t count, void* user);
  static size_t write_header(char* data, size_t size, size_t count, void* user);

  std::mutex owner_mutex;
  HttpRequest* owner = nullptr;  // cleared by the request's destructor
  CURLM* multi = nullptr;        // made before the thread starts; abort() wakes it
  qint64 max_body = kLargestBody;
  BodySink sink;  // when set, the body goes there instead of into `body`
  std::atomic<bool> abort{false};
  std::atomic<qint64> received{0};
  std::atomic<bool> work_pending{false};
  // The thread's own until it posts the end; the request reads them after that.
  CURL* easy = nullptr;
  bool begun = false;
  bool too_large = false;
  bool sink_refused = false;
  qint64 body_bytes = 0;
  std::string body;
  QString error;
  long status = 0;
  QList<QByteArray> reply_headers;  // of the last reply only: a redirect's are dropped
  size_t reply_header_bytes = 0;
};

namespace {
// No reply the program asks for needs more; a server sending endless headers is cut off here.
constexpr size_t kMaxReplyHeaderBytes = 64 * 1024;
}  // namespace

size_t HttpRequest::Transfer::write_header(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (t->abort.load()) return 0;
  const QByteArray line = QByteArray(data, static_cast<qsizetype>(bytes)).trimmed();
  // Each reply (a redirect, a 100 Continue, the final one) begins with its status line.
  if (line.startsWith("HTTP/")) {
    t->reply_headers.clear();
    t->reply_header_bytes = 0;
    return bytes;
  }
  t->reply_header_bytes += bytes;
  if (t->reply_header_bytes > kMaxReplyHeaderBytes) return 0;
  if (!line.isEmpty()) t->reply_headers.append(line);
  return bytes;
}

size_t HttpRequest::Transfer::write_body(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  if (t->abort.load()) return 0;
  const size_t bytes = size * count;
  if (static_cast<qint64>(bytes) > t->max_body - t->body_bytes) {
    t->too_large = true;
    return 0;
  }
  if (!t->begun) {
    t->begun = true;
    curl_off_t length = -1;
    curl_easy_getinfo(t->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    const qint64 total = length > 0 ? static_cast<qint64>(length) : 0;
    // An announced body is held in one block of its size, never grown and moved (never more than
    // the limit, which a larger announcement has already been refused for).
    if (total > 0 && !t->sink) t->body.reserve(static_cast<size_t>(std::min(total, t->max_body)));
    t->post([total](HttpRequest* request) {
      if (!request->aborted()) Q_EMIT request->work_begin(total);
    });
  }
  if (!t->sink) {
    t->body.append(data, bytes);
  } else if (!t->sink(data, bytes)) {
    t->sink_refused = true;
    return 0;
  }
  t->body_bytes += static_cast<qint64>(bytes);
  t->received.store(t->body_bytes);
  // Coalesce: one pending work event at a time carries the latest count.
  if (!t->work_pending.exchange(true)) {
    t->post([t](HttpRequest* request) {
      t->work_pending.store(false);
      if (!request->aborted()) Q_EMIT request->work(t->received.load());
    });
  }
  return bytes;
}

void HttpRequest::Transfer::run(const QByteArray& url, const QByteArray& user_agent,
                                const QList<QByteArray>& headers, long timeout_seconds, const StallLimits& limits) {
  char error_buffer[CURL_ERROR_SIZE] = {};
  easy = curl_easy_init();
  curl_slist* header_list = nullptr;
  for (const QByteArray& header : headers) header_list = curl_slist_append(header_list, header.constData());
  if (header_list) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, header_list);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::write_header);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_URL, url.constData());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 20L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, user_agent.constData());
  curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // The threaded resolver cannot interrupt a lookup; without this, removing the handle below
  // waits for the lookup to end (up to the system's DNS time-out) instead of leaving it behind.
  curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
  // A reply that announces more than the limit is refused before its body comes.
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(max_body));
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error_buffer);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::write_body);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  if (timeout_seconds > 0) curl_easy_setopt(easy, CURLOPT_TIMEOUT, timeout_seconds);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits.low_speed_bytes);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.low_speed_seconds);

  curl_multi_add_handle(multi, easy);
  QString failure;
  for (;;) {
    if (abort.load()) {
      failure = HttpRequest::aborted_text();
      break;
    }
    int still_running = 0;
    CURLMcode mc = curl_multi_perform(multi, &still_running);
    if (mc != CURLM_OK) {
      failure = QString::fromUtf8(curl_multi_strerror(mc));
      break;
    }
    if (!still_running) {
      int left = 0;
      CURLcode result = CURLE_OK;
      while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE) result = msg->data.result;
      }
      if (result == CURLE_FILESIZE_EXCEEDED) too_large = true;
      // A write refused because of abort() shows as a write error; report it as the abort.
      if (abort.load()) failure = HttpRequest::aborted_text();
      else if (too_large) failure = HttpRequest::too_large_text(max_body);
      else if (sink_refused) failure = HttpRequest::sink_refused_text();
      else if (result == CURLE_OPERATION_TIMEDOUT) failure = timed_out_text(easy, timeout_seconds, limits);
      else if (result != CURLE_OK) failure = curl_error_text(result, error_buffer);
      break;
    }
    mc = curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    if (mc != CURLM_OK) {
      failure = QString::fromUtf8(curl_multi_strerror(mc));
      break;
    }
  }
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_multi_remove_handle(multi, easy);
  curl_easy_cleanup(easy);
  curl_slist_free_all(header_list);
  easy = nullptr;
  // The sink may hold a file or more; it is let go here, before the end is told.
  sink = nullptr;
  // Nothing of a reply past the limit is handed on.
  if (too_large) body = std::string();
  error = failure;
  post([](HttpRequest* request) { request->deliver_finish(); });
}

HttpRequest::HttpRequest(QObject* parent) : QObject(parent), user_agent_(default_user_agent()) {}

HttpRequest::~HttpRequest() {
  if (!transfer_) return;
  {
    std::lock_guard lock(transfer_->owner_mutex);
    transfer_->owner = nullptr;
  }
  transfer_->abort.store(true);
  curl_multi_wakeup(transfer_->multi);
}

QByteArray HttpRequest::default_user_agent() { return QByteArrayLiteral("Quovi/" QUOVI_PRODUCT_VERSION); }
QString HttpRequest::aborted_text() { return QStringLiteral("Transfer aborted"); }
QString HttpRequest::sink_refused_text() { return QStringLiteral("The reply could not be stored"); }
QString HttpRequest::too_large_text(qint64 max_body_bytes) {
  return QStringLiteral("The reply is larger than %1 bytes").arg(max_body_bytes);
}
QString HttpRequest::unreachable_text(long seconds) {
  return QStringLiteral("The server could not be reached within %1 seconds").arg(seconds);
}
QString HttpRequest::too_slow_text(long bytes_per_second, long seconds) {
  return QStringLiteral("The server sent less than %1 bytes a second for %2 seconds").arg(bytes_per_second).arg(seconds);
}

void HttpRequest::set_stall_limits(const StallLimits& limits) {
  std::lock_guard lock(stall_limits_mutex);
  stall_limits_in_use = limits;
}
HttpRequest::StallLimits HttpRequest::stall_limits() {
  std::lock_guard lock(stall_limits_mutex);
  return stall_limits_in_use;
}

void HttpRequest::set_user_agent(const QByteArray& user_agent) { user_agent_ = user_agent; }
void HttpRequest::set_timeout_seconds(long seconds) { timeout_seconds_ = seconds; }
void HttpRequest::set_body_sink(BodySink sink) {
  if (!started_) sink_ = std::move(sink);
}
void HttpRequest::set_max_body_bytes(qint64 bytes) { max_body_bytes_ = std::clamp<qint64>(bytes, 0, kLargestBody); }

bool HttpRequest::add_header(const QByteArray& line) {
  if (started_ || line.contains('\r') || line.contains('\n') || line.contains('\0') || !line.contains(':'))
    return false;
  headers_.append(line);
  return true;
}

QByteArray HttpRequest::reply_header(const QByteArray& name) const {
  for (const QByteArray& line : reply_headers_) {
    const qsizetype colon = line.indexOf(':');
    if (colon == name.size() && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
      return line.mid(colon + 1).trimmed();
  }
  return {};
}

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
  transfer_->max_body = max_body_bytes_;
  transfer_->sink = std::move(sink_);
  // Never joined: a thread stuck in a name lookup must not hold up the thread that owns the request.
  std::thread([t = transfer_, url, agent = user_agent_, headers = headers_, timeout = timeout_seconds_,
               limits = stall_limits()] { t->run(url, agent, headers, timeout, limits); })
      .detach();
}

void HttpRequest::deliver_finish() {
  body_ = std::move(transfer_->body);
  error_ = transfer_->error;
  too_large_ = transfer_->too_large;
  status_ = transfer_->status;
  reply_headers_ = std::move(transfer_->reply_headers);
  running_ = false;
  Q_EMIT finished();
}
