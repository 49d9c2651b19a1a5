#include "catalogue/report_status.h"

#include "catalogue/records.h"

int32_t report_status(int32_t w, int32_t n, int32_t r, int32_t d, int32_t s) {
  if (w == 0 && n == 0 && r == 0 && d == 0 && s == 0) return kStatusNew;
  if (s > w && s > n && s > r && s > d) return kStatusSpam;
  if (d > w && d > n && d > r && d >= s) return kStatusDuplicate;
  if (r > w && r > n && r >= d && r >= s) return kStatusWrongInfo;
  if (n > w && n >= r && n >= d && n >= s) return kStatusNotWorking;
  return kStatusWorksFine;
}
