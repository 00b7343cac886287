#include "viewer/ImgVuError.h"

namespace {
constexpr int16_t kOutOfMemory = -108;
}

CImgVuError::CImgVuError(int16_t nError, int32_t lErrorId)
    : m_nError(nError), m_lErrorId(lErrorId) {}

CImgVuError::~CImgVuError() = default;

void RaiseImgVuError(int16_t nError, int32_t lErrorId) { throw new CImgVuError(nError, lErrorId); }

int32_t CheckStatus(int32_t status) {
  auto low = static_cast<int16_t>(status & 0xFFFF);
  if (low != 0) RaiseImgVuError(low, 0);
  return status;
}

void* CheckPointer(void* pointer) {
  if (pointer == nullptr) RaiseImgVuError(kOutOfMemory, 0);
  return pointer;
}
