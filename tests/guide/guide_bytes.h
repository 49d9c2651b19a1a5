#pragma once
#include <zlib.h>

#include <stdexcept>
#include <string>
#include <string_view>

// A document as a gzip file holds it.
inline std::string gzip(std::string_view text) {
  z_stream zip{};
  if (deflateInit2(&zip, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("zlib");
  std::string out(deflateBound(&zip, text.size()) + 64, '\0');
  zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zip.avail_in = static_cast<uInt>(text.size());
  zip.next_out = reinterpret_cast<Bytef*>(out.data());
  zip.avail_out = static_cast<uInt>(out.size());
  deflate(&zip, Z_FINISH);
  out.resize(zip.total_out);
  deflateEnd(&zip);
  return out;
}
