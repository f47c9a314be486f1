// Creation of tree nodes by type name, and the path helpers.
#pragma once
#include <string>

#include "BOMInterfaces.h"

namespace vpw {

// Creates the node described by `itemDescriptor` and names it when `name` is
// not empty. Nothing for an unregistered type or a class that is no tree node.
IPtr<IBOMObjectSlave> CreateBOMObject(const std::string& itemDescriptor, const std::string& name);
// A "BOMPARAM" node of that name.
IPtr<IBOMParam> CreateBOMParam(const std::string& name);

// "/x" gives "/" and "x"; "a/b/c" gives "a" and "b/c"; "a" gives "a" and "".
void SplitPath(const std::string& path, std::string& first, std::string& rest);
// Exact (case-sensitive) prefix test; an empty prefix always matches.
bool StartsWith(const std::string& prefix, const std::string& text);
// Removes one trailing "/".
std::string StripTrailingSlash(const std::string& text);

}  // namespace vpw
