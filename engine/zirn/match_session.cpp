#include "match_session.h"

#include <utility>

namespace zirn {
namespace {

MatchColor Converted(cmsHTRANSFORM transform, MatchColor color) {
  std::uint16_t rgb[3];
  cmsDoTransform(transform, color.c, rgb, 1);
  std::memcpy(color.c, rgb, sizeof rgb);
  return color;
}

}  // namespace

MatchSession::MatchSession(TransformPtr transform, const MatchColor& keyMask)
    : m_transform(std::move(transform)),
      m_cache(keyMask, Converted(m_transform.get(), MatchColor{})) {}

void MatchSession::MatchMany(std::uint32_t count, MatchColor* records) {
  for (std::uint32_t i = 0; i < count; ++i) MatchOne(&records[i]);
}

void MatchSession::MatchMissed(MatchColor* record, std::uint64_t key) {
  ColorCache::Entry* slot = m_cache.SlotForMiss(key);
  if (slot != nullptr && slot->key == key) {
    std::memcpy(record->c, slot->rgb, sizeof slot->rgb);
    return;
  }
  std::uint16_t rgb[3];
  cmsDoTransform(m_transform.get(), record->c, rgb, 1);
  std::memcpy(record->c, rgb, sizeof rgb);
  if (slot != nullptr) {
    slot->key = key;
    std::memcpy(slot->rgb, rgb, sizeof rgb);
  }
}

}  // namespace zirn
