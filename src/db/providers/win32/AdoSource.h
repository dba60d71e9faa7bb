// ADO through late binding: the OLE DB providers of the Windows machine.
#pragma once
#include <memory>

#include "db/Provider.h"

namespace zmw {

std::unique_ptr<DataSource> CreateAdoSource();
// ADO for a workbook text: as written, except that an Office Open XML workbook named to Jet,
// which cannot read it, goes to the ACE provider when the machine has it.
std::unique_ptr<DataSource> CreateAdoWorkbookSource();

}  // namespace zmw
