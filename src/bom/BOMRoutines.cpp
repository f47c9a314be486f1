#include "BOMRoutines.h"

#include "AbstractObjects.h"

namespace vpw {

IPtr<IBOMObjectSlave> CreateBOMObject(const std::string& itemDescriptor, const std::string& name) {
    // The first reference; an object that is no tree node goes with it.
    IPtr<TAbstractObject> created(CreateItem(itemDescriptor));
    IPtr<IBOMObjectSlave> slave = Supports<IBOMObjectSlave>(created);
    if (slave && !name.empty()) slave->SetName(name);
    return slave;
}

IPtr<IBOMParam> CreateBOMParam(const std::string& name) {
    return Supports<IBOMParam>(CreateBOMObject("BOMPARAM", name));
}

void SplitPath(const std::string& path, std::string& first, std::string& rest) {
    if (path.empty()) {
        first.clear();
        rest.clear();
        return;
    }
    if (path[0] == '/') {
        first = "/";
        rest = path.substr(1);
        return;
    }
    std::size_t p = path.find('/');
    if (p == std::string::npos) {
        first = path;
        rest.clear();
    } else {
        first = path.substr(0, p);
        rest = path.substr(p + 1);
    }
}

bool StartsWith(const std::string& prefix, const std::string& text) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string StripTrailingSlash(const std::string& text) {
    if (!text.empty() && text.back() == '/') return text.substr(0, text.size() - 1);
    return text;
}

}  // namespace vpw
