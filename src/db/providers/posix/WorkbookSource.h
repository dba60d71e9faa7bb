// The provider behind a Jet or ACE connection text with Excel properties on this platform.
#pragma once
#include <memory>

#include "db/Provider.h"

namespace zmw {

std::unique_ptr<DataSource> CreateWorkbookSource();

}  // namespace zmw
