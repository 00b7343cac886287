// The plug-in's own exception, raised inside the TIFF reader and caught where a
// reading or conversion step reports failure.
#pragma once

#include <afx.h>

#include <cstdint>

class CImgVuError : public CException {
 public:
  CImgVuError(int16_t nError, int32_t lErrorId);
  ~CImgVuError() override;

  int16_t m_nError;    // the error code
  int32_t m_lErrorId;  // where or what failed, chosen by the raiser
};

// Always raises CImgVuError(nError, lErrorId).
[[noreturn]] void RaiseImgVuError(int16_t nError, int32_t lErrorId);

// Raises CImgVuError(low 16 bits, 0) when the low 16 bits of the status are not 0;
// otherwise returns the status.
int32_t CheckStatus(int32_t status);

// Raises CImgVuError(-108, 0) for a null pointer (a failed allocation); otherwise
// returns the pointer.
void* CheckPointer(void* pointer);

template <class T>
T* CheckPointer(T* pointer) {
  return static_cast<T*>(CheckPointer(static_cast<void*>(pointer)));
}
