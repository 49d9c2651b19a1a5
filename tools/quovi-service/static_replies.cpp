#include "static_replies.h"

#include "catalogue_reply.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <stdexcept>

std::string up_to_date_reply_file(const std::string& stamp) { return "up-to-date-" + stamp + ".reply"; }

std::vector<StaticReply> static_download_replies(const std::string& catalogue_bytes, const std::string& stamp) {
  // The service's own answers to a client without a stamp and to one with this stamp.
  return {{kCatalogueReplyFile, catalogue_download_reply(catalogue_bytes, stamp, std::nullopt)},
          {up_to_date_reply_file(stamp), catalogue_download_reply(catalogue_bytes, stamp, stamp)}};
}

void publish_static_replies(const std::string& folder, const std::string& catalogue_bytes, const std::string& stamp) {
  const QDir dir(QFile::decodeName(folder.c_str()));
  if (!QDir().mkpath(dir.path())) throw std::runtime_error("cannot create the folder " + folder);
  const QString current = QString::fromStdString(up_to_date_reply_file(stamp));
  // Earlier stamps lose their "up to date" first and the new stamp gains it last (the replies
  // come in that order), so no client is ever told it is up to date when it is not; meanwhile a
  // client may be handed the catalogue it already has.
  for (const QString& name : dir.entryList({"up-to-date-*.reply"}, QDir::Files))
    if (name != current && !QFile::remove(dir.filePath(name)))
      throw std::runtime_error("cannot remove " + folder + "/" + name.toStdString());
  for (const auto& reply : static_download_replies(catalogue_bytes, stamp)) {
    QSaveFile file(dir.filePath(QString::fromStdString(reply.name)));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reply.bytes.data(), static_cast<qint64>(reply.bytes.size())) !=
            static_cast<qint64>(reply.bytes.size()) ||
        !file.commit())
      throw std::runtime_error("cannot write " + folder + "/" + reply.name + ": " + file.errorString().toStdString());
  }
}
