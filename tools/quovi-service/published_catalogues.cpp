#include "published_catalogues.h"

std::shared_ptr<const std::string> PublishedCatalogues::find(const std::string& address) {
  const auto it = by_address_.find(address);
  if (it == by_address_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, it->second);
  return it->second->bytes;
}

void PublishedCatalogues::keep(const std::string& address, std::shared_ptr<const std::string> bytes) {
  if (const auto it = by_address_.find(address); it != by_address_.end()) {
    bytes_ -= it->second->bytes->size();
    entries_.erase(it->second);
    by_address_.erase(it);
  }
  bytes_ += bytes->size();
  entries_.push_front({address, std::move(bytes)});
  by_address_[address] = entries_.begin();
  while (entries_.size() > 1 && (entries_.size() > count_limit_ || bytes_ > byte_limit_)) {
    bytes_ -= entries_.back().bytes->size();
    by_address_.erase(entries_.back().address);
    entries_.pop_back();
  }
}

void PublishedCatalogues::clear() {
  entries_.clear();
  by_address_.clear();
  bytes_ = 0;
}
