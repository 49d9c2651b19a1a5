// Feeds arbitrary bytes as one of the small files the guide keeps beside the user's data: the first
// byte picks the guide sources, the user's guide matches, or the info beside a downloaded copy; the
// rest is the file's content. Besides crashes it stops on a broken promise: a source that is empty,
// untrimmed, past a bound, holds a control character or comes twice; a validator that could not be
// sent back as a header line; or a file written from what was read that does not read back the same
// (the copy's info: its validators).
#include "guide/guide_matching.h"
#include "guide/guide_sources.h"
#include "services/remote_copy.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}

bool one_header_value(const QByteArray& value) {
  return value.size() <= 1024 && !value.contains('\n') && !value.contains('\r') && !value.contains('\0');
}

const QString& folder() {
  static QTemporaryDir dir;
  static const QString path = dir.path();
  return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const QByteArray content(reinterpret_cast<const char*>(bytes + 1), static_cast<qsizetype>(size - 1));
  const QString copy = folder() + "/guide.xml.gz";
  const QString path = bytes[0] % 3 == 2 ? copy + ".source" : folder() + "/file.txt";
  {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
  }
  switch (bytes[0] % 3) {
    case 0: {
      // Whatever is read writes back as the same list, within the bounds.
      const GuideSources list = parse_guide_sources(content).list;
      require(list.sources.size() <= kMaxGuideSources && list.refused.size() <= kMaxGuideSources);
      QSet<QString> seen;
      for (const GuideSource& source : list.sources) {
        require(source.location == source.location.trimmed() && guide_location_problem(source.location).isEmpty());
        require(!seen.contains(source.location));
        seen.insert(source.location);
      }
      for (const RefusedGuide& refused : list.refused) require(guide_location_problem(refused.location).isEmpty());
      const QByteArray text = guide_sources_text(list);
      require(text.size() <= kMaxGuideSourcesFileBytes);
      const GuideSourcesParsed again = parse_guide_sources(text);
      require(again.unusable == 0 && again.list == list);
      break;
    }
    case 1: {
      const ManualGuideMatches matches = load_guide_matches(path);
      require(save_guide_matches(path, matches));
      require(load_guide_matches(path) == matches);
      break;
    }
    default: {
      const RemoteCopyInfo info = read_remote_copy_info(copy);
      require(one_header_value(info.etag) && one_header_value(info.last_modified));
      require(write_remote_copy_info(copy, info));
      const RemoteCopyInfo again = read_remote_copy_info(copy);
      require(again.etag == info.etag && again.last_modified == info.last_modified);
      break;
    }
  }
  return 0;
}
