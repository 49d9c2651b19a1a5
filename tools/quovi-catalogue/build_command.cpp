#include "build_command.h"

#include "catalogue/zip_memory_reader.h"
#include "catalogue_build.h"
#include "catalogue_file.h"
#include "catalogue_reply.h"
#include "feedback_store.h"
#include "static_replies.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace {
constexpr const char* kBuildUsage =
    "usage: quovi-catalogue build SOURCE -o OUT [--feedback DATABASE] [--stamp YYYYMMDDhhmm] [--static FOLDER]";

struct BuildArguments {
  std::string source;
  std::string output;
  std::string feedback;
  std::string stamp;
  std::string static_folder;
};

std::optional<BuildArguments> parse(const std::vector<std::string>& arguments, std::string& error) {
  BuildArguments a;
  std::vector<std::string> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    std::string* target = nullptr;
    if (arg == "-o") target = &a.output;
    else if (arg == "--feedback") target = &a.feedback;
    else if (arg == "--stamp") target = &a.stamp;
    else if (arg == "--static") target = &a.static_folder;
    else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
      continue;
    }
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
      error = "missing value after " + arg;
      return std::nullopt;
    }
    *target = arguments[++i];
  }
  if (positional.size() != 1 || a.output.empty()) {
    error = kBuildUsage;
    return std::nullopt;
  }
  a.source = positional[0];
  if (!a.stamp.empty() &&
      (!is_version_stamp(a.stamp) ||
       !QDateTime::fromString(QString::fromStdString(a.stamp), QStringLiteral("yyyyMMddHHmm")).isValid())) {
    error = "--stamp needs a date and time as YYYYMMDDhhmm, not \"" + a.stamp + "\"";
    return std::nullopt;
  }
  return a;
}

// The stamps the new catalogue must be newer than: the source's and that of the file it replaces.
std::vector<std::string> earlier_stamps(const std::vector<ZipMember>& members, const std::string& output) {
  std::vector<std::string> stamps;
  for (const auto& m : members)
    if (member_name_matches(m.name, "version.dat")) stamps.push_back(m.content.substr(0, 12));
  QFile previous(QFile::decodeName(output.c_str()));
  if (previous.open(QIODevice::ReadOnly)) {
    try {
      stamps.push_back(catalogue_stamp(previous.readAll().toStdString()));
    } catch (const std::exception&) {
      // A damaged previous file is simply replaced.
    }
  }
  return stamps;
}

void write_file(const std::string& path, const std::string& bytes) {
  QSaveFile file(QFile::decodeName(path.c_str()));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
      !file.commit())
    throw std::runtime_error("cannot write " + path + ": " + file.errorString().toStdString());
}
}  // namespace

int run_build_command(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  std::string usage_error;
  const auto args = parse(arguments, usage_error);
  if (!args) {
    err << "quovi-catalogue: " << usage_error << "\n";
    return 2;
  }
  try {
    std::vector<ZipMember> members = read_source_members(args->source);
    std::map<int32_t, ChannelFeedback> totals;
    std::vector<StoredSubmission> submissions;
    if (!args->feedback.empty()) {
      const auto store = open_feedback_store(args->feedback, FeedbackStore::Mode::existing, 1);
      totals = store->channel_totals();
      submissions = store->submissions();
    }
    const QDateTime now = QDateTime::currentDateTime();
    const std::string stamp =
        args->stamp.empty() ? next_version_stamp(now, earlier_stamps(members, args->output)) : args->stamp;
    const BuildSummary summary = fold_feedback_into_catalogue(members, totals, stamp);
    const std::string catalogue = make_channel_file(members, now);
    write_file(args->output, catalogue);
    if (!args->static_folder.empty()) publish_static_replies(args->static_folder, catalogue, summary.stamp);

    out << args->output << ": version " << summary.stamp << ", feedback folded into " << summary.channels_changed
        << " channel" << (summary.channels_changed == 1 ? "" : "s") << "\n";
    if (!summary.unknown_channel_ids.empty()) {
      out << "feedback about channels the source does not hold (ignored):";
      for (int32_t id : summary.unknown_channel_ids) out << " " << id;
      out << "\n";
    }
    if (!submissions.empty()) {
      out << submissions.size() << " submitted channel" << (submissions.size() == 1 ? "" : "s")
          << " to review (not published):\n";
      for (const auto& s : submissions) out << "  " << describe_submission(s) << "\n";
    }
    return 0;
  } catch (const std::exception& e) {
    err << "quovi-catalogue: " << e.what() << "\n";
    return 1;
  }
}
