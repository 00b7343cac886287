// Owning handles for LittleCMS objects.
#pragma once

#include <lcms2.h>

#include <memory>

namespace zirn {

struct ProfileCloser {
  void operator()(cmsHPROFILE profile) const { cmsCloseProfile(profile); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
  void operator()(cmsHTRANSFORM transform) const { cmsDeleteTransform(transform); }
};
using TransformPtr = std::unique_ptr<void, TransformDeleter>;

}  // namespace zirn
