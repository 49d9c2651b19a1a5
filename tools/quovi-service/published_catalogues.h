#pragma once
#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

// The catalogues built for the addresses clients reached the service at. Anyone can name any
// host, so they are kept within a bound, by number and by their bytes together: the one asked for
// least recently goes first. The newest is always kept, however large.
class PublishedCatalogues {
 public:
  PublishedCatalogues(size_t count_limit, size_t byte_limit) : count_limit_(count_limit), byte_limit_(byte_limit) {}

  // The catalogue built for `address`, null when none is kept; it is now the most recently asked for.
  std::shared_ptr<const std::string> find(const std::string& address);
  void keep(const std::string& address, std::shared_ptr<const std::string> bytes);
  void clear();

 private:
  struct Entry {
    std::string address;
    std::shared_ptr<const std::string> bytes;
  };

  const size_t count_limit_;
  const size_t byte_limit_;
  std::list<Entry> entries_;  // the most recently asked for first
  std::unordered_map<std::string, std::list<Entry>::iterator> by_address_;
  size_t bytes_ = 0;
};
