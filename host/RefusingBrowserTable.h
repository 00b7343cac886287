// The part of the browser's function table (NPNetscapeFuncs) that a browser without a
// network, Java or scriptable values answers alike: version 0.9, the URL and stream
// requests and the value calls refused with NPERR_GENERIC_ERROR, the rest doing
// nothing. Each host fills in what it serves itself: status, uagent, memalloc, memfree
// and the three invalidation calls.
#pragma once

#include <npupp.h>

namespace nphost {

NPNetscapeFuncs RefusingBrowserTable();

}  // namespace nphost
