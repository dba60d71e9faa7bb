// The captions and static texts of the library's dialog templates, for hosts that draw no
// template of their own (the terminal and the batch log). The templates themselves are in
// resources/DialogTemplates.def.
#pragma once
#include <string>

namespace zmw::platform {

std::string DialogCaption(int templateId);
std::string DialogStaticText(int templateId);

}  // namespace zmw::platform
