#include "guide/xmltv_reader.h"

#include "guide/guide_read_ahead.h"
#include "guide/guide_shared_texts.h"

// Debian's expat is built with DTD support, which declares the bounds on entity expansion.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>

namespace {
constexpr int64_t kNoStop = std::numeric_limits<int64_t>::min();
// Texts once seen again are shared; titles repeat all through a guide (news, films, shows).
constexpr size_t kMaxSharedTitles = 1'000'000;

struct ParserFree {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

bool is(const XML_Char* name, const char* expected) { return std::strcmp(name, expected) == 0; }

const XML_Char* attribute(const XML_Char** attributes, const char* name) {
  for (; *attributes; attributes += 2)
    if (is(attributes[0], name)) return attributes[1];
  return nullptr;
}

std::string_view trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// Cuts a UTF-8 text to at most `size` bytes without splitting a character.
std::string_view cut_utf8(std::string_view text, size_t size) {
  if (text.size() <= size) return text;
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  return text.substr(0, size);
}

enum class Capture { none, display_name, title, sub_title, description };

class XmltvBuilder {
 public:
  XmltvBuilder(XML_Parser parser, const GuideWindow& window) : parser_(parser), window_(window) {}

  GuideRead result;
  std::string stop_reason;  // set when the builder itself stopped the parser

  void start(const XML_Char* name, const XML_Char** attributes) {
    noticed();
    ++depth_;
    if (depth_ > kMaxGuideDepth) return stop("The guide nests its elements too deeply; the rest was left out.");
    if (depth_ == 2) {
      if (is(name, "channel")) {
        const XML_Char* id = attribute(attributes, "id");
        channel_ = id ? channel_index(id) : kNone;
      } else if (is(name, "programme")) {
        start_programme(attributes);
      }
    } else if (depth_ == 3 && capture_ == Capture::none) {
      if (channel_ != kNone && is(name, "display-name")) {
        const XML_Char* lang = attribute(attributes, "lang");
        lang_ = lang ? lang : "";
        begin(Capture::display_name);
      } else if (in_programme_) {
        if (is(name, "title") && !has_title_) begin(Capture::title);
        else if (is(name, "sub-title") && !has_sub_title_) begin(Capture::sub_title);
        else if (is(name, "desc") && !has_description_) begin(Capture::description);
      }
    }
  }

  void end() {
    noticed();
    if (capture_ != Capture::none && depth_ == capture_depth_) finish_capture();
    if (depth_ == 2) {
      if (in_programme_) end_programme();
      channel_ = kNone;
    }
    --depth_;
  }

  void text(const XML_Char* text, int size) {
    noticed();
    if (capture_ == Capture::none || captured_.size() >= GuideTextPool::kMaxText) return;
    captured_.append(text, std::min<size_t>(static_cast<size_t>(size), GuideTextPool::kMaxText + 4 - captured_.size()));
  }

  // Any event: the markup before it has been read whole.
  void noticed() { last_event_ = static_cast<uint64_t>(XML_GetCurrentByteIndex(parser_)); }
  uint64_t last_event() const { return last_event_; }

  void stop(std::string reason) {
    if (stop_reason.empty()) stop_reason = std::move(reason);
    XML_StopParser(parser_, XML_FALSE);
  }

  void finish() {
    for (GuideChannel& channel : result.guide.channels) finish_channel(channel);
  }

 private:
  static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

  uint32_t channel_index(std::string_view id) {
    if (id == last_id_) return last_index_;
    auto found = channel_ids_.find(std::string(id));
    if (found == channel_ids_.end()) {
      Guide& guide = result.guide;
      if (guide.channels.size() >= kMaxGuideChannels) {
        if (result.problem.empty()) result.problem = "The guide names more than 200 000 channels; the rest were left out.";
        return kNone;
      }
      GuideChannel channel;
      if (!add_text(id, channel.id)) return kNone;
      guide.channels.push_back(std::move(channel));
      found = channel_ids_.emplace(std::string(id), static_cast<uint32_t>(guide.channels.size() - 1)).first;
    }
    last_id_.assign(id);
    last_index_ = found->second;
    return last_index_;
  }

  void start_programme(const XML_Char** attributes) {
    in_programme_ = false;
    const XML_Char* channel = attribute(attributes, "channel");
    const XML_Char* start = attribute(attributes, "start");
    const XML_Char* stop = attribute(attributes, "stop");
    const int64_t start_time = start ? parse_guide_time(start).value_or(kNoStop) : kNoStop;
    const int64_t stop_time = stop ? parse_guide_time(stop).value_or(kNoStop) : kNoStop;
    if (!channel || start_time == kNoStop) {
      ++result.programmes_skipped;
      return;
    }
    const int64_t stop_or_none = stop_time >= start_time ? stop_time : kNoStop;
    // Without an end it may still run into the window; the following programme will tell.
    const bool outside = start_time >= window_.to || (stop_or_none != kNoStop && !window_.contains(start_time, stop_or_none));
    if (outside) {
      ++result.programmes_outside_window;
      return;
    }
    programme_channel_ = channel_index(channel);
    if (programme_channel_ == kNone) {
      ++result.programmes_skipped;
      return;
    }
    programme_ = GuideProgramme{};
    programme_.start = start_time;
    programme_.stop = stop_or_none;
    has_title_ = has_sub_title_ = has_description_ = false;
    in_programme_ = true;
  }

  void end_programme() {
    in_programme_ = false;
    if (kept_ >= kMaxGuideProgrammes) return stop("The guide holds more than 10 million programmes; the rest were left out.");
    result.guide.channels[programme_channel_].programmes.push_back(programme_);
    ++kept_;
  }

  void begin(Capture what) {
    capture_ = what;
    capture_depth_ = depth_;
    captured_.clear();
  }

  void finish_capture() {
    const std::string_view text = cut_utf8(trimmed(captured_), GuideTextPool::kMaxText);
    Guide& guide = result.guide;
    switch (capture_) {
      case Capture::display_name: {
        GuideChannel& channel = guide.channels[channel_];
        if (text.empty() || channel.name_count >= kMaxGuideNamesPerChannel) break;
        // Names are kept together per channel; a channel named again later moves its names.
        if (channel.name_count > 0 && channel.first_name + channel.name_count != guide.names.size()) {
          const size_t first = guide.names.size();
          for (uint32_t i = 0; i < channel.name_count; ++i) guide.names.push_back(guide.names[channel.first_name + i]);
          channel.first_name = static_cast<uint32_t>(first);
        }
        GuideDisplayName name;
        if (!add_text(text, name.name) || !add_shared(lang_, name.lang)) break;
        if (channel.name_count == 0) channel.first_name = static_cast<uint32_t>(guide.names.size());
        guide.names.push_back(name);
        ++channel.name_count;
        break;
      }
      case Capture::title:
        has_title_ = add_shared(text, programme_.title);
        break;
      case Capture::sub_title:
        has_sub_title_ = add_shared(text, programme_.sub_title);
        break;
      case Capture::description:
        has_description_ = add_text(text, programme_.description);
        break;
      case Capture::none:
        break;
    }
    capture_ = Capture::none;
  }

  bool add_text(std::string_view text, GuideText& where) {
    if (result.guide.texts.add(text, where)) return true;
    stop("The guide's texts pass 2 GB; the rest was left out.");
    return false;
  }

  bool add_shared(std::string_view text, GuideText& where) {
    if (text.empty()) {
      where = {};
      return true;
    }
    if (const GuideText found = shared_.find(result.guide.texts, text); found.size != 0) {
      where = found;
      return true;
    }
    if (!add_text(text, where)) return false;
    shared_.keep(result.guide.texts, text, where);
    return true;
  }

  void finish_channel(GuideChannel& channel) {
    auto& programmes = channel.programmes;
    std::stable_sort(programmes.begin(), programmes.end(),
                     [](const GuideProgramme& a, const GuideProgramme& b) { return a.start < b.start; });
    // Two sources or a repeated block give the same start twice: the first one read stays.
    programmes.erase(std::unique(programmes.begin(), programmes.end(),
                                 [](const GuideProgramme& a, const GuideProgramme& b) { return a.start == b.start; }),
                     programmes.end());
    for (size_t i = 0; i < programmes.size(); ++i)
      if (programmes[i].stop == kNoStop) programmes[i].stop = i + 1 < programmes.size() ? programmes[i + 1].start : programmes[i].start;
    const auto outside = std::remove_if(programmes.begin(), programmes.end(), [&](const GuideProgramme& p) {
      return !window_.contains(p.start, p.stop);
    });
    result.programmes_outside_window += static_cast<size_t>(programmes.end() - outside);
    programmes.erase(outside, programmes.end());
    programmes.shrink_to_fit();
  }

  XML_Parser parser_;
  GuideWindow window_;
  size_t depth_ = 0;
  uint64_t last_event_ = 0;
  uint32_t channel_ = kNone;
  std::unordered_map<std::string, uint32_t> channel_ids_;
  std::string last_id_;
  uint32_t last_index_ = kNone;
  GuideSharedTexts shared_{kMaxSharedTitles};
  bool in_programme_ = false, has_title_ = false, has_sub_title_ = false, has_description_ = false;
  uint32_t programme_channel_ = kNone;
  GuideProgramme programme_;
  size_t kept_ = 0;
  Capture capture_ = Capture::none;
  size_t capture_depth_ = 0;
  std::string captured_, lang_;
};

XmltvBuilder& builder(void* data) { return *static_cast<XmltvBuilder*>(data); }

void on_start(void* data, const XML_Char* name, const XML_Char** attributes) { builder(data).start(name, attributes); }
void on_end(void* data, const XML_Char*) { builder(data).end(); }
void on_text(void* data, const XML_Char* text, int size) { builder(data).text(text, size); }
void on_comment(void* data, const XML_Char*) { builder(data).noticed(); }
void on_doctype_start(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) { builder(data).noticed(); }
void on_doctype_end(void* data) { builder(data).noticed(); }
void on_entity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
               const XML_Char*, const XML_Char*) {
  builder(data).noticed();
}

std::string fault_text(XML_Parser parser) {
  return "The guide is damaged at line " + std::to_string(XML_GetCurrentLineNumber(parser)) + " (" +
         XML_ErrorString(XML_GetErrorCode(parser)) + "); what came before it was kept.";
}
}  // namespace

GuideRead read_guide(GuideInput::RawRead source, uint64_t source_size, const GuideReadOptions& options) {
  const std::unique_ptr<XML_ParserStruct, ParserFree> owner(XML_ParserCreate(nullptr));
  XML_Parser parser = owner.get();
  if (!parser) {
    GuideRead failed;
    failed.problem = "There is not enough memory to read the guide.";
    return failed;
  }
  // Nothing outside the document is ever read: no external DTD or parameter entities, and with no
  // external entity handler, references to external entities are skipped. Internal entities may
  // not blow up the document.
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, 8.0f);
  XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 1u << 20);

  XmltvBuilder build(parser, options.window);
  XML_SetUserData(parser, &build);
  XML_SetElementHandler(parser, on_start, on_end);
  XML_SetCharacterDataHandler(parser, on_text);
  XML_SetCommentHandler(parser, on_comment);
  XML_SetDoctypeDeclHandler(parser, on_doctype_start, on_doctype_end);
  XML_SetEntityDeclHandler(parser, on_entity);

  GuideReadAhead input(std::move(source));
  uint64_t fed = 0, source_bytes = 0;
  std::string input_problem;  // the source's fault, once the pieces read have told of one
  bool fault = false;
  for (;;) {
    if (options.progress && !options.progress(source_bytes, source_size)) {
      build.result.cancelled = true;
      break;
    }
    const GuideReadAhead::Piece& piece = input.next();
    source_bytes = piece.source_bytes;
    if (!piece.problem.empty()) input_problem = piece.problem;
    fed += piece.size;
    // At the source's end the document must be complete; after a fault of the source it cannot be.
    const bool last = piece.size == 0;
    if (last && !input_problem.empty()) break;
    const XML_Status status = XML_Parse(parser, piece.bytes.get(), static_cast<int>(piece.size), last ? XML_TRUE : XML_FALSE);
    input.release();
    if (status != XML_STATUS_OK) {
      if (build.stop_reason.empty() && XML_GetErrorCode(parser) == XML_ERROR_NO_MEMORY)
        build.stop_reason = "There is not enough memory to read the guide.";
      fault = build.stop_reason.empty();
      break;
    }
    if (last) break;
    if (fed - build.last_event() > kMaxGuideMarkupBytes + GuideReadAhead::kPieceBytes) {
      build.stop_reason = "The guide holds a piece of markup larger than 1 MB; the rest was left out.";
      break;
    }
  }
  build.finish();
  GuideRead result = std::move(build.result);
  // The first fault met is the one the user is told.
  std::string problem = !input_problem.empty()       ? input_problem
                        : !build.stop_reason.empty() ? build.stop_reason
                        : fault                      ? fault_text(parser)
                                                     : std::string();
  if (!problem.empty()) result.problem = std::move(problem);
  return result;
}

GuideRead read_guide_bytes(std::string_view bytes, const GuideReadOptions& options) {
  size_t position = 0;
  return read_guide(
      [bytes, position](char* out, size_t capacity) mutable -> long long {
        const size_t size = std::min(capacity, bytes.size() - position);
        std::memcpy(out, bytes.data() + position, size);
        position += size;
        return static_cast<long long>(size);
      },
      bytes.size(), options);
}

GuideRead read_guide_file(const QString& path, const GuideReadOptions& options) {
  auto file = std::make_shared<QFile>(path);
  if (!file->open(QIODevice::ReadOnly)) {
    GuideRead failed;
    failed.problem = "The guide file could not be opened: " + file->errorString().toStdString();
    return failed;
  }
  const uint64_t size = static_cast<uint64_t>(file->size());
  return read_guide([file](char* out, size_t capacity) -> long long { return file->read(out, static_cast<qint64>(capacity)); },
                    size, options);
}
