#include "services/feedback.h"

#include "catalogue/channel_sources.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"

#include <QCoreApplication>

namespace {
// A feedback request the service leaves unanswered is given up after this long.
constexpr long kFeedbackTimeoutSeconds = 60;

const Channel* channel_at_position(const Catalogue& catalogue, int position) {
  const auto& channels = catalogue.channels;
  if (position < 0 || static_cast<size_t>(position) >= channels.size()) return nullptr;
  return &channels[static_cast<size_t>(position)];
}
}  // namespace

HttpRequest* send_feedback_request(const QByteArray& url) {
  auto* request = new HttpRequest(QCoreApplication::instance());
  request->set_timeout_seconds(kFeedbackTimeoutSeconds);
  request->set_max_body_bytes(kFeedbackReplyLimit);
  QObject::connect(request, &HttpRequest::finished, request, &QObject::deleteLater);
  // At the end of the run nothing is waited for: pending requests are cut off while the event
  // loop still stands.
  if (auto* app = QCoreApplication::instance())
    QObject::connect(app, &QCoreApplication::aboutToQuit, request, [request] { delete request; });
  request->get(url);
  return request;
}

void send_rating(Catalogue& catalogue, const QString& rating, int position) {
  const Channel* channel = channel_at_position(catalogue, position);
  if (!channel || !rules_of(*channel).rated_and_flagged) return;
  catalogue.rated_ids.push_back(channel->id);
  send_feedback_request(rating_url(feedback_service_base(), rating, channel->id));
}

void send_flag(Catalogue& catalogue, const QString& flag, int position) {
  const Channel* channel = channel_at_position(catalogue, position);
  if (!channel || !rules_of(*channel).rated_and_flagged) return;
  catalogue.flagged_ids.push_back(channel->id);
  send_feedback_request(flag_url(feedback_service_base(), flag, channel->id));
}

void report_bad_channel_at(const ChannelListState& state, int position) {
  const Channel* channel = channel_at_position(state.catalogue, position);
  if (!channel || !rules_of(*channel).reported_when_broken) return;
  send_feedback_request(bad_channel_url(feedback_service_base(), channel->id));
}

void submit_channel_at(const ChannelListState& state, int position) {
  const Channel* channel = channel_at_position(state.catalogue, position);
  if (!channel || !rules_of(*channel).submitted_when_played) return;
  send_feedback_request(submission_url(feedback_service_base(), *channel));
}
