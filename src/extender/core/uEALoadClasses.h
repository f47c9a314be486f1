// Registration of the actions, agents and triggers under the type names the
// rule model stores (the nineteen names, in their fixed order).
#pragma once

namespace vpw {

void RegisterEAItemClasses();

}  // namespace vpw
