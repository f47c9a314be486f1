// Registers every detail panel of the configuration program by the name
// that the model's detail-panel strings use.
#pragma once

namespace vpw {

void RegisterDetailPanels();

}  // namespace vpw
