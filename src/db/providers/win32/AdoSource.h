// ADO through late binding: the OLE DB providers of the Windows machine.
#pragma once
#include <memory>

#include "db/Provider.h"

namespace zmw {

std::unique_ptr<DataSource> CreateAdoSource();

}  // namespace zmw
