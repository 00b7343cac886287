// The engine's own LittleCMS context. Its error handler records that LittleCMS
// complained instead of printing anything, so each operation can turn a complaint into
// its status. The process-wide LittleCMS context is left alone for other users.
#pragma once

#include <lcms2.h>

namespace zirn {

class LcmsContext {
 public:
  LcmsContext();
  ~LcmsContext();
  LcmsContext(const LcmsContext&) = delete;
  LcmsContext& operator=(const LcmsContext&) = delete;

  cmsContext get() const { return m_context; }

  // Forgets the errors reported so far; call before the LittleCMS calls to be judged.
  void ClearErrors() { m_error = false; }
  // True when LittleCMS reported an error since ClearErrors.
  bool HadError() const { return m_error; }

 private:
  static void OnError(cmsContext context, cmsUInt32Number code, const char* text);

  cmsContext m_context;
  bool m_error = false;
};

}  // namespace zirn
