#include "guide/xmltv_reader.h"

#include "catalogue/code_page.h"
#include "guide/guide_read_ahead.h"

// Debian's expat is built with DTD support, which declares the bounds on entity expansion.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <optional>
#include <vector>

namespace {
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

size_t capture_bound(Capture what) {
  switch (what) {
    case Capture::display_name:
      return kMaxGuideNameBytes;
    case Capture::title:
    case Capture::sub_title:
      return kMaxGuideTitleBytes;
    case Capture::description:
      return kMaxGuideDescriptionBytes;
    case Capture::none:
      break;
  }
  return 0;
}

// Turns the parser's events into channels and programmes for the GuideBuilder; what is kept is
// the builder's business.
class XmltvEvents {
 public:
  XmltvEvents(XML_Parser parser, const GuideKeepRules& rules) : build(rules), parser_(parser) {}

  GuideBuilder build;
  std::string stop_reason;  // set when the reading itself stopped the parser

  void start(const XML_Char* name, const XML_Char** attributes) {
    noticed();
    ++depth_;
    if (depth_ > kMaxGuideDepth) return stop("The guide nests its elements too deeply; the rest was left out.");
    if (depth_ == 2) {
      if (is(name, "channel")) {
        const XML_Char* id = attribute(attributes, "id");
        in_channel_ = id != nullptr;
        channel_id_ = id ? id : "";
        names_.clear();
      } else if (is(name, "programme")) {
        start_programme(attributes);
      }
    } else if (depth_ == 3 && capture_ == Capture::none) {
      if (in_channel_ && is(name, "display-name")) {
        const XML_Char* lang = attribute(attributes, "lang");
        // A language is a short tag ("de", "pt-BR"); it is kept with every name.
        lang_ = lang ? cut_utf8(lang, kMaxGuideLangBytes) : "";
        begin(Capture::display_name);
      } else if (programme_channel_) {
        if (is(name, "title") && title_.empty()) begin(Capture::title);
        else if (is(name, "sub-title") && sub_title_.empty()) begin(Capture::sub_title);
        else if (is(name, "desc") && description_.empty()) begin(Capture::description);
      }
    }
  }

  void end() {
    noticed();
    if (capture_ != Capture::none && depth_ == capture_depth_) finish_capture();
    if (depth_ == 2) {
      if (in_channel_) build.add_channel(channel_id_, names_);
      if (programme_channel_)
        build.add_programme(*programme_channel_, start_, stop_, {title_, sub_title_, description_});
      in_channel_ = false;
      programme_channel_.reset();
      if (build.full()) XML_StopParser(parser_, XML_FALSE);
    }
    --depth_;
  }

  void text(const XML_Char* text, int size) {
    noticed();
    const size_t bound = capture_bound(capture_) + 4;  // past the bound, a character may still end
    if (capture_ == Capture::none || captured_.size() >= bound) return;
    captured_.append(text, std::min<size_t>(static_cast<size_t>(size), bound - captured_.size()));
  }

  // Any event: the markup before it has been read whole.
  void noticed() { last_event_ = static_cast<uint64_t>(XML_GetCurrentByteIndex(parser_)); }
  uint64_t last_event() const { return last_event_; }

  void stop(std::string reason) {
    if (stop_reason.empty()) stop_reason = std::move(reason);
    XML_StopParser(parser_, XML_FALSE);
  }

 private:
  void start_programme(const XML_Char** attributes) {
    const XML_Char* channel = attribute(attributes, "channel");
    const XML_Char* start = attribute(attributes, "start");
    const XML_Char* stop = attribute(attributes, "stop");
    const int64_t start_time = start ? parse_guide_time(start).value_or(kGuideNoStop) : kGuideNoStop;
    const int64_t stop_time = stop ? parse_guide_time(stop).value_or(kGuideNoStop) : kGuideNoStop;
    title_.clear();
    sub_title_.clear();
    description_.clear();
    if (!channel || start_time == kGuideNoStop) {
      build.programme_channel({}, kGuideNoStop, kGuideNoStop);  // counted as skipped
      return;
    }
    start_ = start_time;
    stop_ = stop_time >= start_time ? stop_time : kGuideNoStop;
    programme_channel_ = build.programme_channel(channel, start_, stop_);
  }

  void begin(Capture what) {
    capture_ = what;
    capture_depth_ = depth_;
    captured_.clear();
  }

  void finish_capture() {
    const std::string_view text = cut_utf8(trimmed(captured_), capture_bound(capture_));
    switch (capture_) {
      case Capture::display_name:
        if (!text.empty() && names_.size() < kMaxGuideNamesPerChannel) names_.push_back({std::string(text), lang_});
        break;
      case Capture::title:
        title_.assign(text);
        break;
      case Capture::sub_title:
        sub_title_.assign(text);
        break;
      case Capture::description:
        description_.assign(text);
        break;
      case Capture::none:
        break;
    }
    capture_ = Capture::none;
  }

  XML_Parser parser_;
  size_t depth_ = 0;
  uint64_t last_event_ = 0;
  bool in_channel_ = false;
  std::string channel_id_;
  std::vector<GuideDisplayNameRead> names_;
  std::optional<uint32_t> programme_channel_;
  int64_t start_ = 0, stop_ = kGuideNoStop;
  std::string title_, sub_title_, description_;
  Capture capture_ = Capture::none;
  size_t capture_depth_ = 0;
  std::string captured_, lang_;
};

XmltvEvents& builder(void* data) { return *static_cast<XmltvEvents*>(data); }

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

bool same_name(const XML_Char* name, const char* expected) {
  for (; *name && *expected; ++name, ++expected)
    if (std::tolower(static_cast<unsigned char>(*name)) != *expected) return false;
  return *name == *expected;
}

// Guides written on Windows declare its code page; expat knows only UTF-8, UTF-16, Latin-1 and ASCII
// itself, and is told the others here, one byte to one character.
int on_unknown_encoding(void*, const XML_Char* name, XML_Encoding* info) {
  if (!same_name(name, "windows-1252") && !same_name(name, "cp1252") && !same_name(name, "x-cp1252"))
    return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) info->map[byte] = cp1252_character(static_cast<unsigned char>(byte));
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
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
  XML_SetUnknownEncodingHandler(parser, on_unknown_encoding, nullptr);

  XmltvEvents events(parser, {options.window, options.wanted, guide_budget(options.memory_budget, source_size)});
  XML_SetUserData(parser, &events);
  XML_SetElementHandler(parser, on_start, on_end);
  XML_SetCharacterDataHandler(parser, on_text);
  XML_SetCommentHandler(parser, on_comment);
  XML_SetDoctypeDeclHandler(parser, on_doctype_start, on_doctype_end);
  XML_SetEntityDeclHandler(parser, on_entity);

  GuideRead result;
  GuideReadAhead input(std::move(source));
  uint64_t fed = 0, source_bytes = 0;
  std::string input_problem;  // the source's fault, once the pieces read have told of one
  bool fault = false;
  for (;;) {
    if (options.progress && !options.progress(source_bytes, source_size)) {
      result.cancelled = true;
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
      if (events.stop_reason.empty()) events.stop_reason = events.build.stop_reason();
      if (events.stop_reason.empty() && XML_GetErrorCode(parser) == XML_ERROR_NO_MEMORY)
        events.stop_reason = "There is not enough memory to read the guide.";
      fault = events.stop_reason.empty();
      break;
    }
    if (last) break;
    if (fed - events.last_event() > kMaxGuideMarkupBytes + GuideReadAhead::kPieceBytes) {
      events.stop_reason = "The guide holds a piece of markup larger than 1 MB; the rest was left out.";
      break;
    }
    if (fed > kGuideWorkGrace && fed > kMaxGuideBytesPerElement * (events.build.elements() + 1)) {
      events.stop_reason = "The guide holds more than " + std::to_string(kMaxGuideBytesPerElement >> 10) +
                           " KB for each of its channels and programmes, more than any guide does; the rest was left out.";
      break;
    }
  }
  result.programmes_outside_window = events.build.programmes_outside_window();
  result.programmes_skipped = events.build.programmes_skipped();
  const std::string notes = events.build.notes();
  result.guide = events.build.finish();
  // The first fault met is the one the user is told, then what was left out along the way.
  std::string problem = !input_problem.empty()        ? input_problem
                        : !events.stop_reason.empty() ? events.stop_reason
                        : fault                       ? fault_text(parser)
                                                      : std::string();
  if (!notes.empty()) problem += (problem.empty() ? "" : " ") + notes;
  result.problem = std::move(problem);
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
