#include "lcms_context.h"

namespace zirn {

LcmsContext::LcmsContext() : m_context(cmsCreateContext(nullptr, this)) {
  // Without a context of its own (no memory) the engine runs on the process-wide one,
  // whose default handler prints nothing either; its handler is not replaced.
  if (m_context != nullptr) cmsSetLogErrorHandlerTHR(m_context, &LcmsContext::OnError);
}

LcmsContext::~LcmsContext() {
  if (m_context != nullptr) cmsDeleteContext(m_context);
}

void LcmsContext::OnError(cmsContext context, cmsUInt32Number, const char*) {
  auto* self = static_cast<LcmsContext*>(cmsGetContextUserData(context));
  if (self != nullptr) self->m_error = true;
}

}  // namespace zirn
